// Line breaking, the page count and the page model, checked as data.
#include "PrintTestSupport.h"

#include "print/PageModel.h"
#include "print/PrintLines.h"

#include <gtest/gtest.h>

namespace {

QString repeat(const QString& s, int n) {
    return s.repeated(n);
}

struct BreakCase {
    const char* name;
    QString text;
    LineBreakOptions options;
    QStringList expected;
};

void PrintTo(const BreakCase& c, std::ostream* os) {
    *os << c.name;
}

class BreakLinesTest : public ::testing::TestWithParam<BreakCase> {};

TEST_P(BreakLinesTest, LaysOutAsExpected) {
    const BreakCase& c = GetParam();
    EXPECT_EQ(LayOutPrintLines(c.text, c.options), c.expected);
}

const QString han = QStringLiteral("字");
const QString sp8 = QStringLiteral("        ");

LineBreakOptions opts(const char* family, int size, int indent = 0, bool keep = true) {
    return {QString::fromUtf8(family), keep, indent, size};
}

INSTANTIATE_TEST_SUITE_P(
    Table, BreakLinesTest,
    ::testing::Values(
        // Capacity table: a line of Chinese characters holds c + 1 of them
        // (w reaches c + 1 >= c + 0.5), Latin letters 2c + 1.
        BreakCase{"song16", repeat(han, 30), opts("宋体", 16), {repeat(han, 28), repeat(han, 2)}},
        BreakCase{
            "song16Latin", repeat("a", 60), opts("宋体", 16), {repeat("a", 55), repeat("a", 5)}},
        BreakCase{
            "fangsong16", repeat(han, 30), opts("仿宋", 16), {repeat(han, 27), repeat(han, 3)}},
        BreakCase{"song15", repeat(han, 31), opts("宋体", 15), {repeat(han, 30), han}},
        BreakCase{
            "fangsong15", repeat(han, 31), opts("仿宋", 15), {repeat(han, 29), repeat(han, 2)}},
        BreakCase{"song14", repeat(han, 34), opts("黑体", 14), {repeat(han, 33), han}},
        BreakCase{
            "fangsong14", repeat(han, 34), opts("仿宋", 14), {repeat(han, 32), repeat(han, 2)}},
        BreakCase{"size12", repeat(han, 40), opts("仿宋", 12), {repeat(han, 38), repeat(han, 2)}},
        BreakCase{
            "otherSize", repeat(han, 30), opts("宋体", 13), {repeat(han, 28), repeat(han, 2)}},
        // Half-width characters: digits, letters, blank, < > , . ( ).
        BreakCase{"halfWidthSet",
                  repeat("<>,.() 9Z", 7),
                  opts("宋体", 16),
                  {repeat("<>,.() 9Z", 6) + "<", ">,.() 9Z"}},
        BreakCase{"fullWidthPunctuation",
                  repeat(QStringLiteral("，"), 29),
                  opts("宋体", 16),
                  {repeat(QStringLiteral("，"), 28), QStringLiteral("，")}},
        // Indentation: the prefix goes before narrative lines, the limit
        // drops by the code (3), not by the prefix width.
        BreakCase{"indent3",
                  repeat(han, 30),
                  opts("宋体", 16, 3),
                  {sp8 + repeat(han, 25), sp8 + repeat(han, 5)}},
        BreakCase{"indent1",
                  repeat(han, 30),
                  opts("宋体", 16, 1),
                  {"  " + repeat(han, 27), "  " + repeat(han, 3)}},
        BreakCase{"indent2Break",
                  QStringLiteral("一二三\r\n"),
                  opts("宋体", 16, 2),
                  {QStringLiteral("    一二三\r\n")}},
        // Question and answer lines are not indented once past a width of 1;
        // the continuation of a long question is a narrative line again.
        BreakCase{"questionNotIndented",
                  QStringLiteral("问：") + repeat(han, 30),
                  opts("宋体", 16, 3),
                  {QStringLiteral("问：") + repeat(han, 26), sp8 + repeat(han, 4)}},
        BreakCase{"answerAsciiColon",
                  QStringLiteral("答:是的\r\n"),
                  opts("宋体", 16, 1),
                  {QStringLiteral("答:是的\r\n")}},
        BreakCase{"bareQuestionStaysIndented",
                  QStringLiteral("问：\n答：好\n"),
                  opts("宋体", 16, 1),
                  {QStringLiteral("  问：\n"), QStringLiteral("答：好\n")}},
        BreakCase{"markerLaterInLine",
                  QStringLiteral("张三答：好\n"),
                  opts("宋体", 16, 1),
                  {QStringLiteral("张三答：好\n")}},
        // Blank lines.
        BreakCase{
            "blankKept",
            QStringLiteral("问：一\r\n\r\n答：二\r\n"),
            opts("宋体", 12, 0, true),
            {QStringLiteral("问：一\r\n"), QStringLiteral("\r\n"), QStringLiteral("答：二\r\n")}},
        BreakCase{"blankDropped",
                  QStringLiteral("问：一\r\n\r\n  \r\n答：二\r\n"),
                  opts("宋体", 12, 0, false),
                  {QStringLiteral("问：一\r\n"), QStringLiteral("答：二\r\n")}},
        BreakCase{"oneByteLineIsBlank",
                  QStringLiteral("问：一\r\na\r\n字\r\n"),
                  opts("宋体", 12, 0, false),
                  {QStringLiteral("问：一\r\n"), QStringLiteral("字\r\n")}},
        BreakCase{"signatureSpaceKept",
                  QStringLiteral("问：一\r\n被询问人签字\r\n\r\n\r\n答：二\r\n"),
                  opts("宋体", 12, 0, false),
                  {QStringLiteral("问：一\r\n"), QStringLiteral("被询问人签字\r\n"),
                   QStringLiteral("\r\n"), QStringLiteral("答：二\r\n")}},
        BreakCase{
            "signatureColons",
            QStringLiteral("一\r\n签名:\r\n\r\n签名：\r\n\r\n由被询问人在下面手写\r\n\r\n完\r\n"),
            opts("宋体", 12, 0, false),
            {QStringLiteral("一\r\n"), QStringLiteral("签名:\r\n"), QStringLiteral("\r\n"),
             QStringLiteral("签名：\r\n"), QStringLiteral("\r\n"),
             QStringLiteral("由被询问人在下面手写\r\n"), QStringLiteral("\r\n"),
             QStringLiteral("完\r\n")}},
        BreakCase{"signatureNeedsThirdLine",
                  QStringLiteral("签字\r\n\r\n完\r\n"),
                  opts("宋体", 12, 0, false),
                  {QStringLiteral("签字\r\n"), QStringLiteral("完\r\n")}},
        BreakCase{"trailingBlanksRemoved",
                  QStringLiteral("问：一\r\n\r\n  \r\n\r\n"),
                  opts("宋体", 12, 0, true),
                  {QStringLiteral("问：一\r\n")}},
        BreakCase{"onlyBlankLinesKeepTheFirst",
                  QStringLiteral("\r\n\r\n\r\n"),
                  opts("宋体", 12, 0, false),
                  {QStringLiteral("\r\n")}},
        BreakCase{"onlyBlankLinesPrinted",
                  QStringLiteral("\r\n\r\n\r\n"),
                  opts("宋体", 12, 0, true),
                  {QStringLiteral("\r\n")}},
        BreakCase{"lastLineWithoutBreak",
                  QStringLiteral("问：一\r\n答"),
                  opts("宋体", 12),
                  {QStringLiteral("问：一\r\n"), QStringLiteral("答")}},
        BreakCase{"empty", QString(), opts("宋体", 12), {}}),
    [](const ::testing::TestParamInfo<BreakCase>& info) { return std::string(info.param.name); });

TEST(BuildPrintLines, ReplacesTheProcessList) {
    PrintLines() = QStringList{QStringLiteral("旧的")};
    BuildPrintLines(QStringLiteral("问：一\r\n\r\n答：二\r\n"), QStringLiteral("宋体"), 0, 1, 12);
    EXPECT_EQ(PrintLines(),
              (QStringList{QStringLiteral("问：一\r\n"), QStringLiteral("答：二\r\n")}));
    BuildPrintLines(QString(), QStringLiteral("宋体"), 1, 0, 12);
    EXPECT_TRUE(PrintLines().isEmpty());
}

TEST(LayOutPrintLines, LinesAreIndependentTerminatedStrings) {
    QStringList lines = LayOutPrintLines(QuestionsAndAnswers(3), opts("宋体", 12, 2));
    ASSERT_EQ(lines.size(), 6);
    const QStringList before = lines;
    for (const QString& line : lines)
        EXPECT_EQ(line.utf16()[line.size()], 0) << line.toStdString();
    // Changing one line, in place or by growing it, leaves its neighbours.
    lines[0].append(QStringLiteral("后加的文字"));
    lines[1][0] = u'X';
    lines[2].prepend(u'Y');
    EXPECT_EQ(lines[0], before[0] + QStringLiteral("后加的文字"));
    EXPECT_EQ(lines[1].mid(1), before[1].mid(1));
    EXPECT_EQ(lines[2], u'Y' + before[2]);
    EXPECT_EQ(lines.mid(3), before.mid(3));
    // The last line left holding the shared data may grow over the others'.
    QString last = LayOutPrintLines(QuestionsAndAnswers(3), opts("宋体", 12))[2];
    last += QStringLiteral("再加一段很长的文字").repeated(20);
    EXPECT_TRUE(last.startsWith(QStringLiteral("问：第2个问题是什么？\r\n再加")));
    EXPECT_EQ(last.utf16()[last.size()], 0);
}

TEST(PageCount, FollowsTheEstimate) {
    const std::pair<int, int> cases[] = {{0, 1}, {7, 1}, {23, 2}, {30, 2}, {31, 3}, {100, 6}};
    for (auto [lines, pages] : cases)
        EXPECT_EQ(PageCount(lines), pages) << lines << " lines";
}

// Page model -----------------------------------------------------------------

TEST(PageModel, FirstPageRowsThenContinuationPages) {
    const PrintDocument doc = SampleDocument(QuestionsAndAnswers(20)); // 40 lines
    const int n = int(NoticeLines(doc.particulars, 0).size());
    const int firstText = 14 - n;
    const DocumentLayout layout = LayOutDocument(doc);

    const int pages = 1 + (40 - firstText + 22) / 23;
    ASSERT_EQ(int(layout.pages.size()), pages);
    const PageLayout& first = layout.pages[0];
    EXPECT_EQ(first.rowCount, 28);
    EXPECT_TRUE(first.mark.isEmpty());
    ASSERT_EQ(first.body.size(), 14u); // rows 10..23
    EXPECT_EQ(first.body.front().row, 10);
    EXPECT_EQ(first.body[n].row, 10 + n);
    EXPECT_EQ(first.body[n - 1].kind, BodyRow::Paragraph);
    EXPECT_EQ(first.body[n].kind, BodyRow::Text);
    EXPECT_EQ(first.body[n].text.plain(), QStringLiteral("问：第1个问题是什么？"));
    EXPECT_EQ(first.footer.front().row, 24);
    EXPECT_EQ(first.footer.front().text, QStringLiteral("以上笔录经被询问人核对无误。"));
    EXPECT_EQ(first.pageNumberRow, 28);
    EXPECT_EQ(first.pageNumber, QStringLiteral("第 1 页 共 %1 页 ").arg(pages));

    const PageLayout& second = layout.pages[1];
    EXPECT_EQ(second.rowCount, 27);
    EXPECT_EQ(second.body.size(), 23u);
    EXPECT_EQ(second.body.front().row, 0);
    EXPECT_EQ(second.body.front().text.plain(), doc.lines[firstText].trimmed());
    EXPECT_EQ(second.footer.front().row, 23);
    EXPECT_EQ(second.pageNumberRow, 27);
    EXPECT_EQ(second.pageNumber, QStringLiteral("第 2 页 共 %1 页 ").arg(pages));
    EXPECT_EQ(second.mark, pages == 2 ? QStringLiteral("（尾页）") : QStringLiteral("（续页）"));
    EXPECT_EQ(layout.pages.back().mark, QStringLiteral("（尾页）"));

    // Every line once, in order, and rows left over stay empty.
    QStringList all;
    for (const QStringList& rows : TextRowsByPage(layout))
        all += rows;
    EXPECT_EQ(all, CleanLines(doc.lines, false));
    EXPECT_EQ(layout.pages.back().body.back().kind, BodyRow::Empty);
}

TEST(PageModel, PageCountComesFromTheActualLayout) {
    // A long unit name makes the notice paragraphs take more rows than the
    // estimate allows for; no line may be lost.
    PrintDocument doc = SampleDocument(QuestionsAndAnswers(4));
    doc.particulars.unitName = QStringLiteral("青岚市").repeated(40);
    const DocumentLayout layout = LayOutDocument(doc);
    QStringList all;
    for (const QStringList& rows : TextRowsByPage(layout))
        all += rows;
    EXPECT_EQ(all.size(), 8);
    const int n = int(NoticeLines(doc.particulars, 0).size());
    ASSERT_GT(n + 8, 14);
    int paragraphRows = 0;
    for (const PageLayout& page : layout.pages)
        for (const BodyRow& row : page.body)
            paragraphRows += row.kind == BodyRow::Paragraph;
    EXPECT_EQ(paragraphRows, n);
    EXPECT_EQ(int(layout.pages.size()), 1 + (n + 8 - 14 + 22) / 23);
}

TEST(PageModel, PagesLaidOutOneByOneMatchTheWholeLayout) {
    // The preview lays out only the pages it paints, in any order.
    PrintDocument longNotice = SampleDocument(QuestionsAndAnswers(30));
    longNotice.particulars.unitName = QStringLiteral("青岚市").repeated(150);
    PrintDocument withDroppedLines = SampleDocument(QuestionsAndAnswers(40));
    withDroppedLines.lines.insert(5, QString());
    withDroppedLines.lines.insert(30, QStringLiteral("\r"));
    PrintDocument blank = withDroppedLines;
    blank.blankForm = true;
    blank.blankPages = 9;
    auto rows = [](const DocumentLayout& layout) {
        QStringList out;
        for (const PageLayout& page : layout.pages) {
            out << page.mark + page.pageNumber;
            for (const BodyRow& row : page.body)
                out << QString::number(row.row) + u'/' + QString::number(row.kind) + u'/' +
                           row.text.before + u'|' + row.text.bold + u'|' + row.text.after;
        }
        return out;
    };
    for (const PrintDocument* doc : {&longNotice, &withDroppedLines, &blank}) {
        const DocumentLayout whole = LayOutDocument(*doc);
        DocumentLayout frame = LayOutFrame(*doc);
        ASSERT_EQ(frame.pages.size(), whole.pages.size());
        for (const PageLayout& page : frame.pages)
            EXPECT_TRUE(page.body.empty() && page.footer.empty() && page.pageNumber.isEmpty());
        for (auto page = frame.pages.rbegin(); page != frame.pages.rend(); ++page)
            LayOutPage(*doc, int(frame.pages.size()), *page);
        EXPECT_EQ(rows(frame), rows(whole));
    }
    EXPECT_GT(LayOutDocument(longNotice).pages.size(), 2u);
    EXPECT_EQ(LayOutDocument(blank).pages.size(), 9u);
}

TEST(PageModel, ShortTranscriptIsOnePageWithoutMark) {
    const DocumentLayout layout = LayOutDocument(SampleDocument(QuestionsAndAnswers(3)));
    ASSERT_EQ(layout.pages.size(), 1u);
    EXPECT_TRUE(layout.pages[0].mark.isEmpty());
    EXPECT_EQ(layout.pages[0].pageNumber, QStringLiteral("第 1 页 共 1 页 "));
}

TEST(PageModel, SpeakerLabelsAreBold) {
    struct Case {
        QString line, before, bold, after;
    } cases[] = {
        {QStringLiteral("被询问人:张三\r\n"), "", QStringLiteral("被询问人："),
         QStringLiteral("张三")},
        {QStringLiteral("被询问人：张三"), "", QStringLiteral("被询问人："),
         QStringLiteral("张三")},
        {QStringLiteral("询问人:王强"), "", QStringLiteral("询问人："), QStringLiteral("王强")},
        {QStringLiteral("  询问人：王强"), "  ", QStringLiteral("询问人："),
         QStringLiteral("王强")},
        {QStringLiteral("答：好"), "", "", QStringLiteral("答：好")},
    };
    for (const Case& c : cases) {
        const RowText t = SplitSpeakerLabel(c.line);
        EXPECT_EQ(t.before, c.before) << c.line.toStdString();
        EXPECT_EQ(t.bold, c.bold) << c.line.toStdString();
        EXPECT_EQ(t.after, c.after) << c.line.toStdString();
    }
}

TEST(PageModel, NoticeParagraphsStartWithBoldLeadIns) {
    const DocumentLayout layout = LayOutDocument(SampleDocument(QStringLiteral("问：一\r\n")));
    const std::vector<BodyRow>& body = layout.pages[0].body;
    EXPECT_EQ(body[0].text.bold,
              QStringLiteral("执法人员表明身份、出示证件及被询问人确认的记录："));
    int second = -1;
    for (int i = 1; i < int(body.size()); ++i)
        if (!body[std::size_t(i)].text.bold.isEmpty() &&
            body[std::size_t(i)].kind == BodyRow::Paragraph)
            second = i;
    ASSERT_GT(second, 0);
    EXPECT_EQ(body[std::size_t(second)].text.bold,
              QStringLiteral("告知陈述（申辩）和申请回避的权利："));
    EXPECT_TRUE(NoticeIdentity(SampleParticulars()).contains(QStringLiteral("A1001、A1002)。")));
}

TEST(PageModel, TypeNameIsLetterSpacedWhenShort) {
    EXPECT_EQ(SpacedTypeName(QStringLiteral("询问笔录")), QStringLiteral("询 问 笔 录"));
    EXPECT_EQ(SpacedTypeName(QStringLiteral("调查评估笔")), QStringLiteral("调 查 评 估 笔"));
    EXPECT_EQ(SpacedTypeName(QStringLiteral("调查评估笔录")), QStringLiteral("调查评估笔录"));
}

const HeadingItem* valueOf(const DocumentLayout& layout, int row, int nth = 0) {
    for (const HeadingRow& r : layout.heading)
        if (r.row == row)
            for (const HeadingItem& item : r.items)
                if (item.value && nth-- == 0)
                    return &item;
    return nullptr;
}

TEST(PageModel, HeadingValuesSlashesDatesAndAddressSizes) {
    PrintDocument doc = SampleDocument(QStringLiteral("问：一\r\n"));
    doc.particulars.place.clear();
    doc.particulars.end = QStringLiteral("不是时间");
    const std::pair<QString, int> addresses[] = {{QString(30, u'a'), 12},
                                                 {QString(31, u'a'), 10},
                                                 {QString(36, u'a'), 10},
                                                 {QStringLiteral("字").repeated(20), 8}};
    for (const auto& [address, points] : addresses) {
        doc.particulars.homeAddress = address;
        const DocumentLayout layout = LayOutDocument(doc);
        ASSERT_TRUE(valueOf(layout, 8));
        EXPECT_EQ(valueOf(layout, 8)->points, points) << address.size();
    }
    const DocumentLayout layout = LayOutDocument(doc);
    EXPECT_EQ(valueOf(layout, 4)->text, QStringLiteral("/"));
    EXPECT_EQ(valueOf(layout, 3, 0)->text, QStringLiteral("2026"));
    EXPECT_EQ(valueOf(layout, 3, 4)->text, QStringLiteral("05"));
    EXPECT_EQ(valueOf(layout, 3, 5)->text, QStringLiteral("-1"));
    EXPECT_EQ(valueOf(layout, 7)->text, QStringLiteral("居民身份证110101199001011234"));
    EXPECT_EQ(valueOf(layout, 7)->points, 10);
    for (const HeadingRow& row : layout.heading)
        for (const HeadingItem& item : row.items)
            EXPECT_LE(item.x1, page_geometry::kTextWidth + 1e-9) << item.text.toStdString();
}

TEST(PageModel, BlankFormHasTheCallersPagesAndOpenValues) {
    PrintDocument doc;
    doc.particulars.typeName = QStringLiteral("询问笔录");
    doc.lines = {QStringLiteral("被询问人：")};
    doc.blankForm = true;
    doc.blankPages = 3;
    const DocumentLayout layout = LayOutDocument(doc);
    ASSERT_EQ(layout.pages.size(), 3u);
    EXPECT_TRUE(layout.blankForm);
    EXPECT_EQ(layout.typeTitle, QStringLiteral("询 问 笔 录"));
    EXPECT_EQ(layout.pages[1].mark, QStringLiteral("（续页）"));
    EXPECT_EQ(layout.pages[2].mark, QStringLiteral("（尾页）"));
    EXPECT_EQ(layout.pages[2].pageNumber, QStringLiteral("第 3 页 共 3 页 "));
    for (const HeadingRow& row : layout.heading) {
        for (const HeadingItem& item : row.items) {
            if (item.value) {
                EXPECT_TRUE(item.text.isEmpty());
            }
        }
    }
    EXPECT_EQ(TextRowsByPage(layout)[0], QStringList{QStringLiteral("被询问人：")});
    EXPECT_EQ(layout.pages[1].body.size(), 23u);

    doc.blankPages = 0; // an empty page field still gives one form
    EXPECT_EQ(LayOutDocument(doc).pages.size(), 1u);
}

TEST(PageModel, CleaningDropsEmptyLinesOutsideBlankForms) {
    const QStringList lines{QStringLiteral("一\r\n"), QString(), QStringLiteral("\r"),
                            QStringLiteral("二\r\n")};
    EXPECT_EQ(CleanLines(lines, false), (QStringList{QStringLiteral("一"), QStringLiteral("二")}));
    EXPECT_EQ(CleanLines(lines, true).size(), 4);
}

TEST(PageModel, DateTimesBreakUpByPosition) {
    const DateParts d = BreakUpDateTime(QStringLiteral("2026/01/02 09:05"));
    EXPECT_EQ(d.year, 2026);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.minute, 5);
    EXPECT_EQ(d.second, 0);
    EXPECT_EQ(BreakUpDateTime(QString()).year, -1);
    EXPECT_EQ(BreakUpDateTime(QStringLiteral("2026/13/02 09:05")).month, -1);
}

} // namespace
