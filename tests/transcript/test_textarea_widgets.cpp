// The text area and its lists: colouring, F1/F2, question and answer
// insertion with the answer picker, common answers and find.
#include "app/Prompt.h"
#include "transcript/AnswerList.h"
#include "transcript/CJyxAnswerDlg.h"
#include "transcript/QuestionList.h"
#include "transcript/SpeakerHighlighter.h"
#include "transcript/TextToolbar.h"
#include "transcript/TranscriptTextEdit.h"

#include <QComboBox>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

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

}  // namespace

TEST_F(TextArea, ColoursParagraphsBySpeakerAndFollowsEdits) {
    edit.setTranscriptText(U("前言\n询问人：你叫什么名字？\n被询问人：我叫张三。\n补充一句\n\n询问人:下一题"));
    EXPECT_EQ(Colours(edit.document()), (std::vector<QColor>{Q, Q, A, A, K, Q}));

    // Turning the answer marker into a question marker re-colours the
    // unmarked paragraph below it too.
    QTextCursor c(edit.document()->findBlockByNumber(2));
    c.deleteChar();  // "被" removed: "询问人：我叫张三。"
    EXPECT_EQ(Colours(edit.document()), (std::vector<QColor>{Q, Q, Q, Q, K, Q}));

    edit.setColouring(false);
    EXPECT_EQ(Colours(edit.document()), (std::vector<QColor>{K, K, K, K, K, K}));
    edit.setColouring(true);
    EXPECT_EQ(BlockColour(edit.document()->firstBlock()), Q);
    EXPECT_EQ(edit.transcriptText(), U("前言\n询问人：你叫什么名字？\n询问人：我叫张三。\n补充一句\n\n询问人:下一题"));
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

}  // namespace

TEST(SpeakerColouring, TypingRecoloursOnlyTheParagraphsItAffects) {
    QStringList lines;
    for (int i = 0; i < 2000; ++i)
        lines << (i % 2 ? U("被询问人：回答") : U("询问人：问题"));
    QTextDocument doc;
    doc.setPlainText(lines.join('\n'));
    CountingHighlighter highlighter(&doc);
    highlighter.rehighlight();
    highlighter.calls = 0;

    QTextCursor c(doc.findBlockByNumber(1001));
    c.movePosition(QTextCursor::EndOfBlock);
    c.insertText(QStringLiteral("x"));  // speaker unchanged: one paragraph
    EXPECT_EQ(highlighter.calls, 1);

    highlighter.calls = 0;
    c.movePosition(QTextCursor::StartOfBlock);
    c.deleteChar();  // "被" gone: this paragraph becomes a question, the next ones keep their markers
    EXPECT_LE(highlighter.calls, 2);
    EXPECT_EQ(SpeakerHighlighter::speakerOf(doc.findBlockByNumber(1001)), textrules::Speaker::Question);
}

TEST_F(TextArea, FunctionKeysInsertMarkers) {
    setText("", 0);
    QTest::keyClick(&edit, Qt::Key_F1);
    EXPECT_EQ(edit.transcriptText(), U("询问人：\n"));
    EXPECT_EQ(edit.textCursor().position(), 4);

    setText("询问人：你好\n后面", 2);  // caret in the middle of the first paragraph
    QTest::keyClick(&edit, Qt::Key_F2);
    EXPECT_EQ(edit.transcriptText(), U("询问人：你好\n被询问人：\n后面"));
    EXPECT_EQ(edit.textCursor().position(), 12);
    edit.undo();
    EXPECT_EQ(edit.transcriptText(), U("询问人：你好\n后面"));  // the insertion is one undo step
}

TEST_F(TextArea, QuestionRowsInsertAndThePickerPutsTheAnswerAfterTheMarker) {
    AnswerList answerList;
    QuestionList questions;
    answerList.attach(&edit);
    questions.attach(&edit, &answerList);
    questions.setKeywordFiller([](const QString& t) { return QString(t).replace("#XM", U("张三")); });
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
    EXPECT_EQ(edit.textCursor().position(), 16);  // end of the answer marker
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
    EXPECT_EQ(edit.transcriptText(), U("开头\n询问人：你叫张三吗？\n被询问人：我叫张三\n"
                                       "询问人：是否要求回避？\n被询问人：\n询问人：还有补充吗？\n被询问人：\n"));
    EXPECT_EQ(questions.item(2, 0), nullptr);  // only the last row keeps the marker
}

TEST_F(TextArea, QuestionInsertionNeverSplitsOrEatsTheCaretParagraph) {
    struct Row {
        const char* text;
        int caret;
        const char* expected;
    } rows[] = {
        {"询问人：旧问题\n被询问人：旧回答", 3, "询问人：旧问题\n询问人：新？\n被询问人：\n被询问人：旧回答"},
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
    QTextCursor c = edit.textCursor();  // end of the question paragraph
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
        {"询问人：问\n被询问人：\n", 12, "询问人：问\n被询问人:是\n", 12},   // empty last line below the marker
        {"询问人：问\n被询问人：", 8, "询问人：问\n被询问人:是\n", 12},       // on the marker itself
        {"询问人：问\n被询问人：\n询问人：再问", 8, "询问人：问\n被询问人:是\n询问人：再问", 12},
        {"询问人：问", 2, "询问人：问\n被询问人:是\n", 12},                  // the question is kept
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
    EXPECT_FALSE(edit.findNext(U("你好"), {}));  // after a hit: silent, back to the top
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_FALSE(edit.findNext(U("再见"), {}));
    EXPECT_EQ(prompt.texts(), QStringList({U("没有找到匹配的字符串")}));
    EXPECT_TRUE(edit.findNext(U("你好"), {false, true}));  // upward from the end
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
    tools.sizeBox()->setCurrentIndex(5);  // "三号", 15.75 points
    EXPECT_DOUBLE_EQ(edit.pointSize(), 15.75);
    EXPECT_DOUBLE_EQ(edit.document()->defaultFont().pointSizeF(), 17.3);
    tools.selectPointSize(14);
    EXPECT_EQ(tools.sizeBox()->currentText(), U("四号"));
}
