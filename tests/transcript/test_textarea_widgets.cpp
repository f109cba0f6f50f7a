// The text area and its lists: colouring, F1/F2, question and answer
// insertion with the answer picker, common answers and find.
#include "app/Prompt.h"
#include "transcript/AnswerList.h"
#include "transcript/CJyxAnswerDlg.h"
#include "transcript/QuestionList.h"
#include "transcript/SpeakerHighlighter.h"
#include "transcript/TextToolbar.h"
#include "transcript/TranscriptTextEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Foreground colour of a block as the highlighter left it (black when none).
QColor BlockColour(const QTextBlock& block) {
    const auto formats = block.layout()->formats();
    if (formats.isEmpty())
        return Qt::black;
    return formats.front().format.foreground().color();
}

std::vector<QColor> Colours(const QTextDocument* doc) {
    std::vector<QColor> colours;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        colours.push_back(BlockColour(b));
    return colours;
}

const QColor Q = SpeakerHighlighter::kQuestionColour;
const QColor A = SpeakerHighlighter::kAnswerColour;
const QColor K = Qt::black;

class TextArea : public ::testing::Test {
protected:
    void SetUp() override { InstallPrompt(&prompt); }
    void TearDown() override { InstallPrompt(nullptr); }

    void setText(const char* text, int caret) {
        edit.setTranscriptText(U(text));
        QTextCursor c = edit.textCursor();
        c.setPosition(caret);
        edit.setTextCursor(c);
    }

    ScriptedPrompt prompt;
    TranscriptTextEdit edit;
};

} // namespace

TEST_F(TextArea, ColoursParagraphsBySpeakerAndFollowsEdits) {
    edit.setTranscriptText(
        U("前言\n询问人：你叫什么名字？\n被询问人：我叫张三。\n补充一句\n\n询问人:下一题"));
    EXPECT_EQ(Colours(edit.document()), (std::vector<QColor>{Q, Q, A, A, K, Q}));

    // Turning the answer marker into a question marker re-colours the
    // unmarked paragraph below it too.
    QTextCursor c(edit.document()->findBlockByNumber(2));
    c.deleteChar(); // "被" removed: "询问人：我叫张三。"
    EXPECT_EQ(Colours(edit.document()), (std::vector<QColor>{Q, Q, Q, Q, K, Q}));

    edit.setColouring(false);
    EXPECT_EQ(Colours(edit.document()), (std::vector<QColor>{K, K, K, K, K, K}));
    edit.setColouring(true);
    EXPECT_EQ(BlockColour(edit.document()->firstBlock()), Q);
    EXPECT_EQ(edit.transcriptText(),
              U("前言\n询问人：你叫什么名字？\n询问人：我叫张三。\n补充一句\n\n询问人:下一题"));
}

namespace {

class CountingHighlighter : public SpeakerHighlighter {
public:
    using SpeakerHighlighter::SpeakerHighlighter;
    int calls = 0;

protected:
    void highlightBlock(const QString& text) override {
        ++calls;
        SpeakerHighlighter::highlightBlock(text);
    }
};

} // namespace

TEST(SpeakerColouring, TypingRecoloursOnlyTheParagraphsItAffects) {
    QStringList lines;
    for (int i = 0; i < 2000; ++i)
        lines << (i % 2 ? U("被询问人：回答") : U("询问人：问题"));
    // As in the text area: the document has a layout (a document without one
    // reports no content changes, so nothing would be re-coloured) and the
    // highlighter is attached before the text arrives (one attached to a
    // non-empty document defers its first pass to the event loop and ignores
    // edits until then).
    QTextDocument doc;
    doc.documentLayout();
    CountingHighlighter highlighter(&doc);
    doc.setPlainText(lines.join('\n'));
    EXPECT_GE(highlighter.calls, 2000); // opening colours every paragraph
    highlighter.calls = 0;

    QTextCursor c(doc.findBlockByNumber(1001));
    c.movePosition(QTextCursor::EndOfBlock);
    c.insertText(QStringLiteral("x")); // speaker unchanged: one paragraph
    EXPECT_EQ(highlighter.calls, 1);

    highlighter.calls = 0;
    c.movePosition(QTextCursor::StartOfBlock);
    c.deleteChar(); // "被" gone: this paragraph becomes a question, the next ones keep their
                    // markers
    EXPECT_LE(highlighter.calls, 2);
    EXPECT_EQ(SpeakerHighlighter::speakerOf(doc.findBlockByNumber(1001)),
              textrules::Speaker::Question);
}

TEST_F(TextArea, FunctionKeysInsertMarkers) {
    setText("", 0);
    QTest::keyClick(&edit, Qt::Key_F1);
    EXPECT_EQ(edit.transcriptText(), U("询问人：\n"));
    EXPECT_EQ(edit.textCursor().position(), 4);

    setText("询问人：你好\n后面", 2); // caret in the middle of the first paragraph
    QTest::keyClick(&edit, Qt::Key_F2);
    EXPECT_EQ(edit.transcriptText(), U("询问人：你好\n被询问人：\n后面"));
    EXPECT_EQ(edit.textCursor().position(), 12);
    edit.undo();
    EXPECT_EQ(edit.transcriptText(), U("询问人：你好\n后面")); // the insertion is one undo step
}

TEST_F(TextArea, QuestionRowsInsertAndThePickerPutsTheAnswerAfterTheMarker) {
    AnswerList answerList;
    QuestionList questions;
    answerList.attach(&edit);
    questions.attach(&edit, &answerList);
    questions.setKeywordFiller(
        [](const QString& t) { return QString(t).replace("#XM", U("张三")); });
    questions.setQuestions({{U("询问人：你叫#XM吗？"), U("被询问人：我叫#XM~D不是"), 0},
                            {U("询问人：是否要求回避？"), U("被询问人：要求回避~D不要求"), 0},
                            {U("询问人：还有补充吗？"), QString(), 0}});
    int commonWanted = 0;
    QObject::connect(&questions, &QuestionList::commonAnswersWanted, [&] { ++commonWanted; });
    EXPECT_EQ(questions.item(0, 0)->text(), U("根据模板内容，双击自动加入！"));
    EXPECT_EQ(answerList.item(0, 0)->text(), U("常见回答内容，双击自动加入！"));

    setText("", 0);
    questions.insertQuestion(1);
    EXPECT_EQ(edit.transcriptText(), U("询问人：你叫张三吗？\n被询问人：\n"));
    EXPECT_EQ(edit.textCursor().position(), 16); // end of the answer marker
    EXPECT_EQ(questions.item(1, 0)->text(), U(">"));
    EXPECT_EQ(questions.item(1, 1)->foreground().color(), QuestionList::kUsedColour);
    ASSERT_TRUE(edit.answerPicker()->isVisible());
    EXPECT_EQ(edit.answerPicker()->options(), QStringList({U("我叫张三"), U("不是")}));
    EXPECT_EQ(answerList.answers(), QStringList({U("我叫张三"), U("不是")}));

    // Text typed before the answer is chosen does not move it off its place.
    QTextCursor top(edit.document());
    top.insertText(U("开头\n"));
    edit.answerPicker()->choose(0);
    EXPECT_FALSE(edit.answerPicker()->isVisible());
    EXPECT_EQ(edit.transcriptText(), U("开头\n询问人：你叫张三吗？\n被询问人：我叫张三\n"));

    // "要求回避" opens no picker; a question without answers asks for the common answers.
    QTextCursor end = edit.textCursor();
    end.movePosition(QTextCursor::End);
    edit.setTextCursor(end);
    questions.insertQuestion(2);
    EXPECT_FALSE(edit.answerPicker()->isVisible());
    questions.insertQuestion(3);
    EXPECT_EQ(commonWanted, 1);
    EXPECT_EQ(edit.transcriptText(),
              U("开头\n询问人：你叫张三吗？\n被询问人：我叫张三\n"
                "询问人：是否要求回避？\n被询问人：\n询问人：还有补充吗？\n被询问人：\n"));
    EXPECT_EQ(questions.item(2, 0), nullptr); // only the last row keeps the marker
}

TEST_F(TextArea, QuestionInsertionNeverSplitsOrEatsTheCaretParagraph) {
    struct Row {
        const char* text;
        int caret;
        const char* expected;
    } rows[] = {
        {"询问人：旧问题\n被询问人：旧回答", 3,
         "询问人：旧问题\n询问人：新？\n被询问人：\n被询问人：旧回答"},
        {"旧段落", 3, "旧段落\n询问人：新？\n被询问人：\n"},
        {"旧段落", 0, "询问人：新？\n被询问人：\n旧段落"},
        {"第一\n\n第三", 3, "第一\n询问人：新？\n被询问人：\n第三"},
    };
    for (const Row& row : rows) {
        setText(row.text, row.caret);
        edit.insertQuestion(U("询问人：新？"));
        EXPECT_EQ(edit.transcriptText(), U(row.expected)) << row.text;
    }
}

TEST_F(TextArea, ChosenAnswerDropsItsPrefixWhenTheParagraphHasOne) {
    setText("", 0);
    edit.insertQuestion(U("问：你是谁？"));
    QTextCursor c = edit.textCursor(); // end of the question paragraph
    c.insertText(U("\n答："));
    edit.setTextCursor(c);
    edit.answerPicker()->setOptions(U("被询问人：答：张三"));
    // The answer follows the paragraph it was meant for, even after typing.
    edit.insertChosenAnswer(U("答：张三"));
    EXPECT_EQ(edit.transcriptText(), U("问：你是谁？\n答：张三\n"));
}

TEST_F(TextArea, CommonAnswersReplaceOnlyABareMarker) {
    struct Row {
        const char* text;
        int caret;
        const char* expected;
        int caretAfter;
    } rows[] = {
        {"询问人：问\n被询问人：\n", 12, "询问人：问\n被询问人:是\n",
         12}, // empty last line below the marker
        {"询问人：问\n被询问人：", 8, "询问人：问\n被询问人:是\n", 12}, // on the marker itself
        {"询问人：问\n被询问人：\n询问人：再问", 8, "询问人：问\n被询问人:是\n询问人：再问", 12},
        {"询问人：问", 2, "询问人：问\n被询问人:是\n", 12}, // the question is kept
        {"", 0, "被询问人:是\n", 6},
    };
    for (const Row& row : rows) {
        setText(row.text, row.caret);
        edit.insertCommonAnswer(U("是"));
        EXPECT_EQ(edit.transcriptText(), U(row.expected)) << row.text;
        EXPECT_EQ(edit.textCursor().position(), row.caretAfter) << row.text;
    }
}

TEST(AnswerListGrid, OptionRowsAndCommonAnswers) {
    AnswerList list;
    const QString long80 = QString(40, QChar(0x662F));
    list.setOptions({U("是"), long80});
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.rowHeight(1), 45);
    EXPECT_EQ(list.rowHeight(2), 90);
    list.setOptions({});
    EXPECT_EQ(list.rowCount(), 2);

    list.setCommonAnswers({U("  是的"), U("\t不是"), U("")});
    EXPECT_EQ(list.rowCount(), 4);
    EXPECT_EQ(list.answers(), QStringList({U("是的"), U("不是"), U("")}));
    EXPECT_EQ(list.rowHeight(1), AnswerList::kCommonRowHeight);
}

TEST_F(TextArea, FindSelectsHitsAndReportsWhenNothingMatches) {
    setText("询问人：你好\n被询问人：你好", 0);
    EXPECT_TRUE(edit.findNext(U("你好"), {}));
    EXPECT_EQ(edit.textCursor().selectionStart(), 4);
    EXPECT_EQ(edit.textCursor().selectedText(), U("你好"));
    EXPECT_TRUE(edit.findNext(U("你好"), {}));
    EXPECT_EQ(edit.textCursor().selectionStart(), 12);
    EXPECT_FALSE(edit.findNext(U("你好"), {})); // after a hit: silent, back to the top
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_FALSE(edit.findNext(U("再见"), {}));
    EXPECT_EQ(prompt.texts(), QStringList({U("没有找到匹配的字符串")}));
    EXPECT_TRUE(edit.findNext(U("你好"), {false, true})); // upward from the end
    EXPECT_EQ(edit.textCursor().selectionStart(), 12);
}

TEST(TextTools, SizeListSetsTheNominalAndScreenSize) {
    TranscriptTextEdit edit;
    TextToolbar tools;
    tools.attach(&edit);
    EXPECT_EQ(tools.sizeBox()->currentText(), U("小四"));
    EXPECT_EQ(tools.faceBox()->currentText(), U("宋体"));
    EXPECT_DOUBLE_EQ(edit.pointSize(), 12.0);
    EXPECT_DOUBLE_EQ(edit.document()->defaultFont().pointSizeF(), 13.2);
    tools.sizeBox()->setCurrentIndex(5); // "三号", 15.75 points
    EXPECT_DOUBLE_EQ(edit.pointSize(), 15.75);
    EXPECT_DOUBLE_EQ(edit.document()->defaultFont().pointSizeF(), 17.3);
    tools.selectPointSize(14);
    EXPECT_EQ(tools.sizeBox()->currentText(), U("四号"));
}

TEST(TextTools, BoxesAndCommandsDriveTheTextArea) {
    TranscriptTextEdit edit;
    TextToolbar tools;
    tools.attach(&edit);
    EXPECT_TRUE(tools.colourBox()->isChecked());
    EXPECT_TRUE(tools.ruledBox()->isChecked());
    tools.colourBox()->setChecked(false);
    EXPECT_FALSE(edit.colouring());
    tools.ruledBox()->setChecked(false);
    EXPECT_FALSE(edit.ruledLines());

    QStringList captions;
    QMap<QString, QAction*> actions;
    for (QAction* a : tools.commandBar()->actions()) {
        captions << a->text();
        actions[a->text()] = a;
    }
    EXPECT_EQ(captions, QStringList({U("剪切"), U("复制"), U("粘贴"), U("删除"), U("撤销"),
                                     U("重做"), U("查找")}));

    edit.setTranscriptText(U("询问人：你好"));
    QTextCursor c = edit.textCursor();
    c.setPosition(4, QTextCursor::KeepAnchor);
    edit.setTextCursor(c);
    actions[U("删除")]->trigger();
    EXPECT_EQ(edit.transcriptText(), U("询问人："));
    actions[U("撤销")]->trigger();
    EXPECT_EQ(edit.transcriptText(), U("询问人：你好"));
    actions[U("重做")]->trigger();
    EXPECT_EQ(edit.transcriptText(), U("询问人："));

    QString face;
    QObject::connect(&tools, &TextToolbar::faceChanged, [&](const QString& f) { face = f; });
    tools.selectFace(U("黑体"));
    EXPECT_EQ(face, U("黑体"));
    EXPECT_EQ(edit.document()->defaultFont().family(), U("黑体"));
}

TEST(AnswerListGrid, OptionRowsCountEveryPieceOfTheAnswerText) {
    TranscriptTextEdit edit;
    AnswerList list;
    list.attach(&edit);
    // Pieces: "", "", " 是 ", "否" — four rows, options in rows 1 and 2.
    list.showAnswerOptions(U("被询问人：~D 是 ~D否"));
    EXPECT_EQ(list.rowCount(), 4);
    EXPECT_EQ(list.answers(), QStringList({U(" 是 "), U("否"), QString()}));
    list.insertAnswer(3); // an empty row inserts nothing
    EXPECT_EQ(edit.transcriptText(), QString());
    list.insertAnswer(2);
    EXPECT_EQ(edit.transcriptText(), U("被询问人:否\n"));
    list.showAnswerOptions(U("没有分隔"));
    EXPECT_EQ(list.rowCount(), 2);
}

TEST_F(TextArea, ContextMenuOffersTheEditingAndReadAloudCommands) {
    setText("询问人：你好\n被询问人：好", 7);
    QTextCursor c = edit.textCursor();
    c.setPosition(9, QTextCursor::KeepAnchor); // "被询"
    edit.setTextCursor(c);
    std::unique_ptr<QMenu> menu(edit.createTextMenu(nullptr));
    QStringList captions;
    QMap<QString, QAction*> actions;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            continue;
        captions << a->text();
        actions[a->text()] = a;
    }
    EXPECT_EQ(captions,
              QStringList({U("撤销(U)            CTRL+Z"), U("剪切(X)            CTRL+X"),
                           U("复制(C)"), U("粘贴(P)"), U("删除(D)"), U("全部选择（A)   CTRL+A"),
                           U("全文朗读"), U("选取指定内容朗读"), U("光标位置开始朗读")}));

    QStringList spoken;
    QObject::connect(&edit, &TranscriptTextEdit::readAloudRequested,
                     [&](const QString& t) { spoken << t; });
    actions[U("全文朗读")]->trigger();
    actions[U("选取指定内容朗读")]->trigger();
    actions[U("光标位置开始朗读")]->trigger(); // from the caret (the selection's moving end)
    EXPECT_EQ(spoken, QStringList({U("询问人：你好\n被询问人：好"), U("被询"), U("问人：好")}));
    actions[U("删除(D)")]->trigger();
    EXPECT_EQ(edit.transcriptText(), U("询问人：你好\n问人：好"));
}

TEST_F(TextArea, DictatedTextGoesInAtTheCaretWithoutEatingTheSelection) {
    setText("询问人：你好", 4);
    QTextCursor c = edit.textCursor();
    c.setPosition(6, QTextCursor::KeepAnchor);
    edit.setTextCursor(c);
    edit.insertDictatedText(U("们"));
    EXPECT_EQ(edit.transcriptText(), U("询问人：你好们"));
}

TEST_F(TextArea, FindDialogStartsDownwardWithCaseAndFindsFromTheTop) {
    setText("abc ABC abc", 5);
    edit.showFindDialog();
    QDialog* dialog = edit.findDialog();
    ASSERT_NE(dialog, nullptr);
    auto* needle = dialog->findChild<QLineEdit*>("findText");
    auto* down = dialog->findChild<QRadioButton*>("findDown");
    auto* matchCase = dialog->findChild<QCheckBox*>("findCase");
    auto* next = dialog->findChild<QPushButton*>("findNext");
    ASSERT_TRUE(needle && down && matchCase && next);
    EXPECT_TRUE(needle->text().isEmpty());
    EXPECT_TRUE(down->isChecked());
    EXPECT_TRUE(matchCase->isChecked());

    needle->setText("ABC");
    next->click(); // the find position starts at 0, not at the caret
    EXPECT_EQ(edit.textCursor().selectionStart(), 4);
    matchCase->setChecked(false);
    next->click();
    EXPECT_EQ(edit.textCursor().selectionStart(), 8);

    // Opening the dialog again starts over with fresh options.
    edit.showFindDialog();
    EXPECT_TRUE(needle->text().isEmpty());
    EXPECT_TRUE(matchCase->isChecked());
    EXPECT_EQ(edit.findPosition(), 0);
}

namespace {

// Rows of the image that hold a pixel of the ruled-line colour.
int RuledRows(const QImage& image) {
    const QRgb line = qRgb(194, 217, 242);
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == line) {
                ++rows;
                break;
            }
    return rows;
}

} // namespace

TEST_F(TextArea, RuledLinesFollowTheTextLinesAndTheOption) {
    edit.resize(400, 300);
    edit.setTranscriptText(U("询问人：一\n被询问人：二\n询问人：三"));
    edit.show();
    const QImage on = edit.viewport()->grab().toImage();
    // The first line's top is at the very top (not drawn); lines two and three are.
    EXPECT_GE(RuledRows(on), 2);
    edit.setRuledLines(false);
    EXPECT_EQ(RuledRows(edit.viewport()->grab().toImage()), 0);
}

namespace {

// Whether the image holds text pixels of the question (dark red) and of the
// answer (dark blue) colour; antialiasing blends glyph edges with white, so
// the test looks at the hue, not at exact values.
bool HasReddish(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > c.green() + 60 && c.red() > c.blue() + 60)
                return true;
        }
    return false;
}

bool HasBluish(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > c.red() + 60 && c.blue() > c.green() + 60 && c.blue() < 200)
                return true;
        }
    return false;
}

} // namespace

// Renders the text area as the editor shows it: tools above, the coloured
// text, the question and answer lists, then the answer picker after a
// question was inserted. With JYX_SHOT_DIR set the pictures are saved there.
TEST_F(TextArea, RendersColouredTextToolsListsAndPicker) {
    QWidget window;
    auto* tools = new TextToolbar(&window);
    auto* text = new TranscriptTextEdit(&window);
    auto* questions = new QuestionList(&window);
    auto* answerList = new AnswerList(&window);
    tools->attach(text);
    questions->attach(text, answerList);
    answerList->attach(text);
    auto* right = new QVBoxLayout;
    right->addWidget(questions, 3);
    right->addWidget(answerList, 2);
    auto* row = new QHBoxLayout;
    row->addWidget(text, 1);
    row->addLayout(right);
    questions->setFixedWidth(300);
    answerList->setFixedWidth(300);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(tools);
    layout->addLayout(row, 1);
    window.resize(1100, 620);

    text->setTranscriptText(
        U("询问人：我们是某某县烟草专卖局的执法人员，现依法向你询问，你应当如实回答，听清楚了吗？\n"
          "被询问人：听清楚了。\n询问人：你的姓名、年龄、住址？\n"
          "被询问人：我叫张三，今年四十二岁，住在城关镇解放路十八号。\n"
          "这是我自己开的店。\n询问人：店里的卷烟是从哪里进的货？\n"));
    questions->setQuestions(
        {{U("询问人：你是否要求回避？"), U("被询问人：不要求回避~D要求回避"), 0},
         {U("询问人：你的店里有没有外地卷烟？"), U("被询问人：有~D没有~D不清楚"), 0},
         {U("询问人：还有什么要补充的吗？"), QString(), 0}});
    answerList->setCommonAnswers({U("是的。"), U("不是。"), U("我不清楚。"), U("没有了。")});
    window.show();
    QTextCursor end = text->textCursor();
    end.movePosition(QTextCursor::End);
    text->setTextCursor(end);
    QApplication::processEvents();

    const QImage editor = window.grab().toImage();
    EXPECT_TRUE(HasReddish(editor));
    EXPECT_TRUE(HasBluish(editor));

    questions->insertQuestion(2);
    CJyxAnswerDlg* picker = text->answerPicker();
    ASSERT_TRUE(picker->isVisible());
    QApplication::processEvents();
    QImage withPicker = window.grab().toImage();
    {
        QPainter painter(&withPicker);
        painter.drawPixmap(window.mapFromGlobal(picker->pos()), picker->grab());
        painter.setPen(QColor(120, 120, 120));
        painter.drawRect(
            QRect(window.mapFromGlobal(picker->pos()), picker->size()).adjusted(0, 0, -1, -1));
    }

    const QString dir = qEnvironmentVariable("JYX_SHOT_DIR");
    if (!dir.isEmpty()) {
        editor.save(dir + "/textarea-editor.png");
        withPicker.save(dir + "/textarea-picker.png");
        tools->grab().save(dir + "/textarea-toolbar.png");
    }
}
