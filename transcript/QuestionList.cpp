#include "transcript/QuestionList.h"

#include "transcript/AnswerList.h"
#include "transcript/AnswerOptions.h"
#include "transcript/TranscriptTextEdit.h"

#include <QHeaderView>

namespace {

const QString kHeader = QStringLiteral("根据模板内容，双击自动加入！");
constexpr int kQuestionColumn = 1;
constexpr int kAnswerColumn = 2; // hidden

} // namespace

QuestionList::QuestionList(QWidget* parent) : QTableWidget(parent) {
    setObjectName(QStringLiteral("QuestionList"));
    setColumnCount(3);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setColumnHidden(kAnswerColumn, true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setQuestions({});
    setRowCount(kInitialRows);
    for (int r = 1; r < kInitialRows; ++r)
        setRowHeight(r, kRowHeight);
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int) { showOptions(row); });
    connect(this, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { insertQuestion(row); });
}

void QuestionList::attach(TranscriptTextEdit* text, AnswerList* answers) {
    m_text = text;
    m_answers = answers;
}

void QuestionList::setKeywordFiller(std::function<QString(const QString&)> filler) {
    m_filler = std::move(filler);
}

QString QuestionList::fill(const QString& text) const {
    return m_filler ? m_filler(text) : text;
}

void QuestionList::setQuestions(const QList<QuestionRow>& rows) {
    clearContents();
    setRowCount(int(rows.size()) + 1);
    setSpan(0, 0, 1, 2);
    auto* header = new QTableWidgetItem(kHeader);
    header->setTextAlignment(Qt::AlignCenter);
    header->setFlags(Qt::ItemIsEnabled);
    header->setBackground(QColor(230, 238, 247));
    setItem(0, 0, header);
    setRowHeight(0, kHeaderHeight);
    for (int i = 0; i < rows.size(); ++i) {
        setItem(i + 1, kQuestionColumn, new QTableWidgetItem(rows[i].question));
        setItem(i + 1, kAnswerColumn, new QTableWidgetItem(rows[i].answer));
        setRowHeight(i + 1, rows[i].height > 0 ? rows[i].height : kRowHeight);
    }
    fitColumns();
}

QList<QuestionRow> QuestionList::questions() const {
    QList<QuestionRow> rows;
    for (int r = 1; r < rowCount(); ++r) {
        const QTableWidgetItem* q = item(r, kQuestionColumn);
        const QTableWidgetItem* a = item(r, kAnswerColumn);
        rows.append({q ? q->text() : QString(), a ? a->text() : QString(), rowHeight(r)});
    }
    return rows;
}

int QuestionList::questionCount() const {
    return std::max(0, rowCount() - 1);
}

void QuestionList::clearAnswers() {
    for (int r = 1; r < rowCount(); ++r)
        if (QTableWidgetItem* a = item(r, kAnswerColumn))
            a->setText(QString());
}

void QuestionList::markRow(int row) {
    for (int r = 1; r < rowCount(); ++r) {
        if (r == row)
            setItem(r, 0, new QTableWidgetItem(QStringLiteral(">")));
        else if (item(r, 0))
            delete takeItem(r, 0);
    }
}

void QuestionList::showOptions(int row) {
    if (row < 1 || row >= rowCount())
        return;
    markRow(row);
    const QTableWidgetItem* a = item(row, kAnswerColumn);
    const QString answer = a ? a->text() : QString();
    if (answer.isEmpty()) {
        emit commonAnswersWanted();
        return;
    }
    if (m_answers)
        m_answers->showAnswerOptions(fill(answer));
}

void QuestionList::insertQuestion(int row) {
    if (row < 1 || row >= rowCount())
        return;
    QTableWidgetItem* q = item(row, kQuestionColumn);
    if (!q || q->text().isEmpty() || !m_text)
        return;
    markRow(row);
    q->setForeground(kUsedColour);
    const QTableWidgetItem* a = item(row, kAnswerColumn);
    const QString answer = a ? a->text() : QString();
    m_text->insertQuestion(fill(q->text()));
    if (answers::OpensPicker(q->text(), answer)) {
        const QString filled = fill(answer);
        if (m_answers)
            m_answers->showAnswerOptions(filled);
        m_text->openAnswerPicker(answers::Options(filled));
    } else {
        if (answer.isEmpty())
            emit commonAnswersWanted();
        m_text->setFocus();
    }
    emit questionInserted(row);
}

void QuestionList::fitColumns() {
    setColumnWidth(0, kMarkerWidth);
    // 38 = the marker column and room for the vertical scroll bar, so the
    // question column never pushes the grid into horizontal scrolling.
    setColumnWidth(kQuestionColumn, std::max(0, viewport()->width() - kTextMargin));
    setColumnWidth(kAnswerColumn, 0);
}

void QuestionList::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    fitColumns();
}
