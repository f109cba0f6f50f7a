// Rules of the transcript text: speakers, F1/F2 markers, sizes, faces, find,
// answer options and the insertion texts of the question and answer lists.
#include "text/TextCodec.h"
#include "transcript/AnswerOptions.h"
#include "transcript/TextRules.h"

#include <gtest/gtest.h>

#include <vector>

using namespace textrules;

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(SpeakerRule, ParagraphsTakeTheirMarkerOrContinueTheSpeakerAbove) {
    const Speaker Q = Speaker::Question, A = Speaker::Answer;
    struct Row {
        const char* text;
        std::vector<Speaker> expected;
    } rows[] = {
        {"询问人：你叫什么？\n被询问人：张三\n继续回答\n询问人:下一题", {Q, A, A, Q}},
        {"被询问人：我对询问人：说了", {A}}, // the answer marker wins
        {"询问人:", {Q}},                    // ASCII colon
        {"被询问人:是的", {A}},
        {"没有标记\n第二段", {Q, Q}}, // above the first marker: question
        {"前言\n被询问人：答\n\n后续", {Q, A, A, A}},
        {"第一问 询问人：在中间", {Q}},                 // markers count anywhere
        {"问：你叫什么名字？\n答：我叫张三。", {Q, Q}}, // "问：/答：" are not markers
        {"询问人 是谁", {Q}},
        {"被询问人：甲\n询问人：乙\n丙", {A, Q, Q}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Speakers(U(row.text)), row.expected) << row.text;
}

TEST(MarkerKeys, F1AndF2AddAMarkerParagraphAfterTheCaretParagraph) {
    struct Row {
        const char* text;
        int paragraph;
        MarkerKey key;
        const char* expected;
        int caret; // in the resulting text
    } rows[] = {
        {"", 0, MarkerKey::F1, "询问人：\n", 4},
        {"", 0, MarkerKey::F2, "被询问人：\n", 5},
        {"abc", 0, MarkerKey::F1, "abc\n询问人：\n", 8},
        {"abc\ndef", 0, MarkerKey::F2, "abc\n被询问人：\ndef", 9},
        {"\ndef", 0, MarkerKey::F1, "询问人：\ndef", 4},
        {"abc\n", 1, MarkerKey::F1, "abc\n询问人：\n", 8}, // the empty last line
        {"a\nb\nc", 1, MarkerKey::F1, "a\nb\n询问人：\nc", 8},
    };
    for (const Row& row : rows) {
        QString text = U(row.text);
        const QStringList paragraphs = text.split(QLatin1Char('\n'));
        int start = 0;
        for (int i = 0; i < row.paragraph; ++i)
            start += int(paragraphs[i].size()) + 1;
        const auto ins = MarkerInsertion(paragraphs[row.paragraph],
                                         row.paragraph == paragraphs.size() - 1, row.key);
        text.insert(start + ins.offset, ins.text);
        EXPECT_EQ(text, U(row.expected)) << row.text;
        EXPECT_EQ(start + ins.caret, row.caret) << row.text;
    }
}

TEST(TextSizes, ListAndHeights) {
    ASSERT_EQ(TextSizes().size(), 12u);
    EXPECT_EQ(TextSizes()[kDefaultSizeIndex].name, U("小四"));
    struct Row {
        double points;
        int twips;
    } rows[] = {{9, 198}, {10.5, 231}, {12, 264}, {15.75, 346}, {27.5, 605}, {42, 924}};
    for (const Row& row : rows) {
        EXPECT_EQ(TextHeightTwips(row.points), row.twips) << row.points;
        EXPECT_DOUBLE_EQ(ScreenPointSize(row.points), row.twips / 20.0);
    }
}

TEST(TextFaces, AliasesFirstThenInstalledChineseAndLowerCaseNames) {
    const QStringList aliases = AliasFaces();
    ASSERT_EQ(aliases.front(), U("宋体"));
    EXPECT_EQ(
        TextFaces({U("Arial"), U("@宋体"), U("宋体"), U("隶书"), U("abc"), U("Zeta"), U("黑体")}),
        aliases + QStringList({U("隶书"), U("abc")}));
    EXPECT_EQ(TextFaces({}), aliases);
}

TEST(Find, SuccessiveSearchesFollowTheFindPosition) {
    struct Step {
        int index;
        bool reported;
    };
    struct Row {
        const char* name;
        const char* text;
        const char* needle;
        FindOptions options;
        std::vector<Step> steps; // from find position 0, one per search
    } rows[] = {
        {"down, case",
         "abcABCabc",
         "abc",
         {true, true},
         {{0, false}, {6, false}, {-1, false}, {0, false}}},
        {"down, no case",
         "abcABCabc",
         "abc",
         {true, false},
         {{0, false}, {3, false}, {6, false}, {-1, false}}},
        {"up, case", "abcABCabc", "abc", {false, true}, {{6, false}, {0, false}, {6, false}}},
        {"up, no case", "abcABCabc", "ABC", {false, false}, {{6, false}, {3, false}, {0, false}}},
        {"not found", "abc", "x", {true, true}, {{-1, true}, {-1, true}}},
        {"overlapping", "aaa", "aa", {true, true}, {{0, false}, {1, false}, {-1, false}}},
        {"chinese",
         "询问人：你好\n被询问人：你好",
         "你好",
         {true, true},
         {{4, false}, {12, false}, {-1, false}}},
    };
    for (const Row& row : rows) {
        int position = 0;
        for (std::size_t i = 0; i < row.steps.size(); ++i) {
            const FindResult r = FindNext(U(row.text), U(row.needle), position, row.options);
            EXPECT_EQ(r.index, row.steps[i].index) << row.name << " step " << i;
            EXPECT_EQ(r.reportNotFound, row.steps[i].reported) << row.name << " step " << i;
            position = r.index < 0 ? 0 : r.nextPosition;
        }
    }
}

TEST(AnswerOptions, SplittingKeepsPiecesFromTheFirstSeparatorOn) {
    EXPECT_EQ(answers::SplitPieces(U("被询问人：~D 是 ~D否")),
              QStringList({"", "", U(" 是 "), U("否")}));
    struct Row {
        const char* answer;
        QStringList options;
    } rows[] = {
        {"被询问人：是~D否", {U("是"), U("否")}},
        {"被询问人：~D 是 ~D否", {U(" 是 "), U("否")}},
        {"被询问人：第一~D第二", {U("第一"), U("第二")}},
        {"第一~D第二", {U("第二")}}, // the text before the first separator is dropped
        {"被询问人:甲被询问人：乙", {U("甲"), U("乙")}},
        {"没有分隔", {}},
        {"", {}},
        {"~D~D", {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(answers::Options(U(row.answer)), row.options) << row.answer;
}

TEST(AnswerOptions, RowHeightCountsGbkBytesOfTheTrimmedOption) {
    const QString han39 = QString(39, QChar(0x662F)); // "是", two GBK bytes each
    struct Row {
        QString option;
        int height;
    } rows[] = {
        {han39 + "a", 45},                  // 79 bytes
        {han39 + "ab", 90},                 // 80 bytes
        {"   " + han39 + "a  \n", 45},      // white space does not count
        {han39 + han39 + "a", 90},          // 157 bytes
        {han39 + han39 + "a" + "bc", 90},   // 159 bytes
        {han39 + han39 + "ab" + "bc", 135}, // 160 bytes
        {"", 45},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(answers::OptionRowHeight(row.option), row.height)
            << GbkLength(row.option.trimmed().toStdString());
    }
}

TEST(AnswerOptions, QuestionInsertionText) {
    const char* record = "执法人员表明身份、出示证件及被询问人确认的记录";
    struct Row {
        const char* q;
        const char* paragraph;
        bool atStart;
        const char* expected;
    } rows[] = {
        {"询问人：你叫什么？", "", false, "询问人：你叫什么？\n被询问人：\n"},
        {"询问人：你叫什么？", "  ", false, "询问人：你叫什么？\n被询问人：\n"},
        {"询问人:你叫什么？", "abc", true, "询问人:你叫什么？\n被询问人：\n"},
        {"询问人：你叫什么？", "abc", false, "\n询问人：你叫什么？\n被询问人：\n"},
        {"说明文字", "", false, "说明文字\n"},
        {"说明文字", "abc", true, "说明文字\n"},
        {"说明文字", "abc", false, "\n说明文字\n"},
        {"被询问人：要求回避", "", false, "被询问人：要求回避\n"},
        {record, "", false, "执法人员表明身份、出示证件及被询问人确认的记录\n被询问人：\n"},
        {record, "abc", false, "执法人员表明身份、出示证件及被询问人确认的记录\n"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(answers::QuestionInsertion(U(row.q), U(row.paragraph), row.atStart),
                  U(row.expected))
            << row.q << " / " << row.paragraph;
    EXPECT_FALSE(answers::OpensPicker(U("询问人：是否要求回避？"), U("被询问人：是")));
    EXPECT_FALSE(answers::OpensPicker(U("询问人：姓名？"), U("")));
    EXPECT_TRUE(answers::OpensPicker(U("询问人：姓名？"), U("被询问人：张三")));
}

TEST(AnswerOptions, ChosenAnswerAndCommonAnswerTexts) {
    struct Row {
        const char* chosen;
        const char* paragraph;
        const char* expected;
    } rows[] = {
        {"答：是的", "被询问人：", "答：是的"},
        {"答：是的", "答：", "是的"},
        {"答:是的答：", "被询问人：答:", "是的"},
        {"是的", "答：", "是的"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(answers::ChosenAnswerText(U(row.chosen), U(row.paragraph)), U(row.expected));
    EXPECT_EQ(answers::CommonAnswerParagraph(U("是")), U("被询问人:是"));
    EXPECT_TRUE(answers::IsReplaceableAnswerParagraph(U("")));
    EXPECT_TRUE(answers::IsReplaceableAnswerParagraph(U(" 被询问人： ")));
    EXPECT_TRUE(answers::IsReplaceableAnswerParagraph(U("被询问人:")));
    EXPECT_FALSE(answers::IsReplaceableAnswerParagraph(U("被询问人：是")));
    EXPECT_FALSE(answers::IsReplaceableAnswerParagraph(U("询问人：问")));
}
