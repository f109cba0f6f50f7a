#include "transcript/TranscriptTextEdit.h"

#include "app/Prompt.h"
#include "transcript/AnswerOptions.h"
#include "transcript/CJyxAnswerDlg.h"
#include "transcript/SpeakerHighlighter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>

using textrules::FindOptions;
using textrules::MarkerKey;

// The find dialog: find only, with direction and case options; each
// "查找下一个" runs one find step of the text area.
class FindTextDialog : public QDialog {
public:
    explicit FindTextDialog(TranscriptTextEdit* text) : QDialog(text->window()), m_text(text) {
        setObjectName(QStringLiteral("findDialog"));
        setWindowTitle(QStringLiteral("查找"));
        m_needle = new QLineEdit(this);
        m_needle->setObjectName(QStringLiteral("findText"));
        m_up = new QRadioButton(QStringLiteral("向上"), this);
        m_up->setObjectName(QStringLiteral("findUp"));
        m_down = new QRadioButton(QStringLiteral("向下"), this);
        m_down->setObjectName(QStringLiteral("findDown"));
        m_case = new QCheckBox(QStringLiteral("区分大小写"), this);
        m_case->setObjectName(QStringLiteral("findCase"));
        m_down->setChecked(true);
        m_case->setChecked(true);
        auto* next = new QPushButton(QStringLiteral("查找下一个"), this);
        next->setObjectName(QStringLiteral("findNext"));
        auto* cancel = new QPushButton(QStringLiteral("取消"), this);
        next->setDefault(true);
        connect(next, &QPushButton::clicked, this, [this] { findNext(); });
        connect(cancel, &QPushButton::clicked, this, &QDialog::hide);

        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("查找内容："), this));
        row->addWidget(m_needle, 1);
        row->addWidget(next);
        auto* options = new QHBoxLayout;
        options->addWidget(m_case);
        options->addStretch();
        options->addWidget(m_up);
        options->addWidget(m_down);
        options->addWidget(cancel);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(row);
        layout->addLayout(options);
    }

    void restart() {
        m_needle->clear();
        m_down->setChecked(true);
        m_case->setChecked(true);
    }

private:
    void findNext() {
        m_text->findNext(m_needle->text(), FindOptions{m_down->isChecked(), m_case->isChecked()});
    }

    TranscriptTextEdit* m_text;
    QLineEdit* m_needle;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QCheckBox* m_case;
};

namespace {

// Plain-text document positions: paragraph separators count as one character,
// exactly like the "\n" of transcriptText().
QString RawToTranscript(QString raw) {
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return raw;
}

} // namespace

TranscriptTextEdit::TranscriptTextEdit(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    setUndoRedoEnabled(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QTextEdit::WidgetWidth);
    // The selection stays visible while another control has the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
    m_highlighter = new SpeakerHighlighter(document());
    applyFont();
    connect(this, &QTextEdit::textChanged, this, &TranscriptTextEdit::transcriptChanged);
}

TranscriptTextEdit::~TranscriptTextEdit() = default;

void TranscriptTextEdit::setTranscriptText(const QString& text) {
    setPlainText(text);
    moveCursor(text.isEmpty() ? QTextCursor::Start : QTextCursor::End);
}

QString TranscriptTextEdit::transcriptText() const {
    return RawToTranscript(document()->toRawText());
}

void TranscriptTextEdit::setColouring(bool on) {
    m_highlighter->setColouring(on);
}

bool TranscriptTextEdit::colouring() const {
    return m_highlighter->colouring();
}

void TranscriptTextEdit::applyColours() {
    m_highlighter->rehighlight();
}

void TranscriptTextEdit::setRuledLines(bool on) {
    m_ruledLines = on;
    viewport()->update();
}

void TranscriptTextEdit::setFace(const QString& face) {
    m_face = face.left(31);
    applyFont();
}

void TranscriptTextEdit::setPointSize(double points) {
    if (points <= 0)
        return;
    m_points = points;
    applyFont();
}

void TranscriptTextEdit::applyFont() {
    QFont font(m_face);
    font.setPointSizeF(textrules::ScreenPointSize(m_points));
    setFont(font);
    document()->setDefaultFont(font);
}

void TranscriptTextEdit::insertAtCaret(const QString& text) {
    QTextCursor c = textCursor();
    c.insertText(text);
    setTextCursor(c);
}

void TranscriptTextEdit::insertDictatedText(const QString& text) {
    QTextCursor c = textCursor();
    c.clearSelection();
    c.insertText(text);
    setTextCursor(c);
}

void TranscriptTextEdit::insertMarker(MarkerKey key) {
    QTextCursor c = textCursor();
    const QTextBlock block = document()->findBlock(c.selectionStart());
    const auto ins = textrules::MarkerInsertion(block.text(), !block.next().isValid(), key);
    c.setPosition(block.position() + ins.offset);
    c.insertText(ins.text);
    c.setPosition(block.position() + ins.caret);
    setTextCursor(c);
    ensureCursorVisible();
}

bool TranscriptTextEdit::insertQuestion(const QString& question) {
    if (question.isEmpty())
        return false;
    QTextCursor c = textCursor();
    const int caret = c.selectionStart();
    const QTextBlock block = document()->findBlock(caret);
    const QString paragraph = block.text();
    const bool hasBreak = block.next().isValid();
    const int blockEnd = block.position() + int(paragraph.size());
    const bool atStart = caret == block.position() && !paragraph.trimmed().isEmpty();
    const QString insertion = answers::QuestionInsertion(question, paragraph, atStart);

    // Where the text goes: an empty paragraph is replaced; at the start of a
    // paragraph the question goes in front of it; otherwise it follows the
    // paragraph, taking the place of its line break (the insertion ends with
    // one). No character of the paragraph is ever replaced.
    if (paragraph.trimmed().isEmpty()) {
        c.setPosition(block.position());
        c.setPosition(blockEnd + (hasBreak ? 1 : 0), QTextCursor::KeepAnchor);
    } else if (atStart) {
        c.setPosition(block.position());
    } else {
        c.setPosition(blockEnd);
        c.setPosition(blockEnd + (hasBreak ? 1 : 0), QTextCursor::KeepAnchor);
    }
    c.insertText(insertion);
    const int end = c.position();
    m_answerAnchor = QTextCursor(document());
    m_answerAnchor.setPosition(end - 1);
    c.setPosition(end - 1);
    setTextCursor(c);
    ensureCursorVisible();
    return true;
}

CJyxAnswerDlg* TranscriptTextEdit::answerPicker() {
    if (!m_picker) {
        m_picker = new CJyxAnswerDlg(this);
        connect(m_picker, &CJyxAnswerDlg::answerChosen, this,
                &TranscriptTextEdit::insertChosenAnswer);
    }
    return m_picker;
}

void TranscriptTextEdit::hideAnswerPicker() {
    if (m_picker)
        m_picker->hide();
}

void TranscriptTextEdit::openAnswerPicker(const QStringList& options) {
    answerPicker()->setOptionList(options);
    placeAnswerPicker();
}

void TranscriptTextEdit::placeAnswerPicker() {
    // Beside the paragraph the answer goes to: below it when there is room in
    // the text area, otherwise above it; always inside the screen.
    QTextCursor at = m_answerAnchor.isNull() ? textCursor() : m_answerAnchor;
    at.movePosition(QTextCursor::StartOfBlock);
    const QRect line = cursorRect(at);
    const int roomBelow = viewport()->height() - line.bottom();
    const QSize size = m_picker->sizeHint().expandedTo(m_picker->size());
    QPoint pos = viewport()->mapToGlobal(line.topLeft());
    pos.rx() += roomBelow < 50 ? 80 : 40;
    pos.ry() += roomBelow >= size.height() + 40 ? line.height() + 30 : -size.height() - 10;
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        pos.setX(qBound(area.left(), pos.x(), area.right() - size.width()));
        pos.setY(qBound(area.top(), pos.y(), area.bottom() - size.height()));
    }
    m_picker->showAt(pos);
}

void TranscriptTextEdit::insertChosenAnswer(const QString& answer) {
    QTextCursor c = m_answerAnchor.isNull() ? textCursor() : QTextCursor(m_answerAnchor);
    c.clearSelection();
    c.insertText(answers::ChosenAnswerText(answer, c.block().text()));
    setTextCursor(c);
    setFocus();
    ensureCursorVisible();
}

void TranscriptTextEdit::insertCommonAnswer(const QString& answer) {
    const QString paragraph = answers::CommonAnswerParagraph(answer);
    QTextCursor c = textCursor();
    QTextBlock block = document()->findBlock(c.selectionStart());
    const bool last = !block.next().isValid();
    int start = block.position();
    int end = block.position() + int(block.text().size());
    QString text;
    if (block.text().isEmpty() && last && block.previous().isValid() &&
        answers::IsReplaceableAnswerParagraph(block.previous().text()) &&
        !block.previous().text().trimmed().isEmpty()) {
        // The caret sits on the empty last line below a bare answer marker:
        // the marker paragraph becomes the answer.
        start = block.previous().position();
        text = paragraph + QLatin1Char('\n');
    } else if (answers::IsReplaceableAnswerParagraph(block.text())) {
        text = paragraph + QLatin1Char('\n');
        end += last ? 0 : 1;
    } else {
        // A paragraph with other text is kept; the answer follows it.
        start = end;
        text = QLatin1Char('\n') + paragraph + (last ? QStringLiteral("\n") : QString());
    }
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    c.insertText(text);
    c.setPosition(start + int(text.size()) - (text.endsWith(QLatin1Char('\n')) ? 1 : 0));
    setTextCursor(c);
    setFocus();
    ensureCursorVisible();
}

void TranscriptTextEdit::showFindDialog() {
    if (!m_findDialog)
        m_findDialog = new FindTextDialog(this);
    m_findDialog->restart();
    m_findPosition = 0;
    m_findDialog->adjustSize();
    const QRect frame = window()->geometry();
    m_findDialog->move(frame.center() - m_findDialog->rect().center());
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

QDialog* TranscriptTextEdit::findDialog() const {
    return m_findDialog;
}

bool TranscriptTextEdit::findNext(const QString& needle, const FindOptions& options) {
    const auto result = textrules::FindNext(transcriptText(), needle, m_findPosition, options);
    if (result.index < 0) {
        m_findPosition = 0;
        if (result.reportNotFound)
            Messages().show(this, QStringLiteral("没有找到匹配的字符串"));
        return false;
    }
    QTextCursor c = textCursor();
    c.setPosition(result.index);
    c.setPosition(result.index + int(needle.size()), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
    m_findPosition = result.nextPosition;
    return true;
}

QString TranscriptTextEdit::textFromCaret() const {
    return transcriptText().mid(textCursor().position());
}

void TranscriptTextEdit::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_F1) {
        insertMarker(MarkerKey::F1);
        return;
    }
    if (plain && event->key() == Qt::Key_F2) {
        insertMarker(MarkerKey::F2);
        return;
    }
    // Shift+Enter would put a line separator inside the paragraph; the stored
    // text knows only paragraphs, so every Enter starts a new one.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        insertAtCaret(QStringLiteral("\n"));
        return;
    }
    QTextEdit::keyPressEvent(event);
}

QMenu* TranscriptTextEdit::createTextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool selected = textCursor().hasSelection();
    menu->addAction(QStringLiteral("撤销(U)            CTRL+Z"), this, &QTextEdit::undo)
        ->setEnabled(document()->isUndoAvailable());
    menu->addSeparator();
    menu->addAction(QStringLiteral("剪切(X)            CTRL+X"), this, &QTextEdit::cut)
        ->setEnabled(selected);
    menu->addAction(QStringLiteral("复制(C)"), this, &QTextEdit::copy)->setEnabled(selected);
    menu->addAction(QStringLiteral("粘贴(P)"), this, &QTextEdit::paste)->setEnabled(canPaste());
    menu->addAction(QStringLiteral("删除(D)"), this, &TranscriptTextEdit::deleteSelection)
        ->setEnabled(selected);
    menu->addSeparator();
    menu->addAction(QStringLiteral("全部选择（A)   CTRL+A"), this, &QTextEdit::selectAll);
    menu->addSeparator();
    menu->addAction(QStringLiteral("全文朗读"), this,
                    [this] { emit readAloudRequested(transcriptText()); });
    menu->addAction(QStringLiteral("选取指定内容朗读"), this, [this] {
        emit readAloudRequested(RawToTranscript(textCursor().selectedText()));
    });
    // The read-aloud menu of the editor reads from the caret with this
    // caption, so the text area's item does the same.
    menu->addAction(QStringLiteral("光标位置开始朗读"), this, [this] {
        emit readAloudRequested(textFromCaret());
        setFocus();
    });
    return menu;
}

void TranscriptTextEdit::deleteSelection() {
    QTextCursor c = textCursor();
    c.removeSelectedText();
    setTextCursor(c);
}

void TranscriptTextEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createTextMenu(this);
    menu->exec(event->globalPos());
    delete menu;
}

void TranscriptTextEdit::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    if (m_ruledLines)
        paintRuledLines();
}

void PaintRuledLines(QTextEdit& edit) {
    // Only the blocks in view are visited, so the cost does not grow with the
    // length of the transcript.
    QPainter painter(edit.viewport());
    painter.setPen(QPen(QColor(194, 217, 242), 2, Qt::DashLine));
    const int width = edit.viewport()->width();
    const int height = edit.viewport()->height();
    const int dy = edit.verticalScrollBar()->value();
    const auto* layout = edit.document()->documentLayout();
    for (QTextBlock block = edit.cursorForPosition(QPoint(0, 0)).block(); block.isValid();
         block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        if (rect.top() - dy > height)
            break;
        const QTextLayout* lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const int y = int(rect.top() + lines->lineAt(i).y()) - dy;
            if (y > 1 && y < height)
                painter.drawLine(0, y, width, y);
        }
    }
}

void TranscriptTextEdit::paintRuledLines() {
    PaintRuledLines(*this);
}

void TranscriptTextEdit::focusOutEvent(QFocusEvent* event) {
    QTextEdit::focusOutEvent(event);
    // The picker hides when the focus goes elsewhere, but not when it goes to
    // the picker itself (a click on an answer). Focus moves between windows
    // settle after this event, so the check runs afterwards.
    QTimer::singleShot(0, this, [this] {
        if (!m_picker || !m_picker->isVisible() || hasFocus())
            return;
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == m_picker || m_picker->isAncestorOf(focus)))
            return;
        m_picker->hide();
    });
}
