// The print format in jyx_format: loading (last row wins, fallbacks and
// defaults), the stored values of a save, and the list encodings.
#include "app/test_officers_fixture.h"

#include "print/PrintFormat.h"

namespace {

class PrintFormatTest : public StoreFixture {
protected:
    // A row of jyx_format; values in column order 2..14.
    void addRow(const QString& type, const QStringList& values) {
        std::vector<ColumnValue> row{{"jyx_id", std::to_string(++rows)},
                                     {"jyx_type", type.toStdString()}};
        const char* columns[] = {"jyx_font",    "jyx_fontsize",        "jyx_distance",
                                 "jyx_isblank", "jyx_pagenumposition", "jyx_pagenumformat",
                                 "jyx_sj",      "jyx_asktimes",        "jyx_asktimesformat",
                                 "jyx_endname", "jyx_unlinestyle",     "jyx_nametime",
                                 "jyx_1"};
        for (int i = 0; i < values.size(); ++i)
            row.push_back({columns[i], values[i].toStdString()});
        ASSERT_TRUE(db.insert(schema::jyx_format, row)) << db.lastError();
    }
    int rows = 0;
};

const QStringList kRowA{"仿宋", "14", "8", "0", "1", "1", "2", "1", "2", "1", "1", "1", "1"};
const QStringList kRowB{"黑体", "16", "12", "1", "3", "2", "3", "0", "0", "0", "2", "0", "0"};

TEST_F(PrintFormatTest, EmptyTableKeepsTheDefaultsAndSaveTouchesNothing) {
    const PrintFormat f = LoadPrintFormat(db);
    EXPECT_EQ(f.font, QStringLiteral("宋体"));
    EXPECT_EQ(f.fontSize, 12);
    EXPECT_EQ(f.distance, 10);
    EXPECT_EQ(f.isBlank, 1);
    EXPECT_TRUE(SavePrintFormat(db, f));
    EXPECT_EQ(count("select * from jyx_format"), 0);
}

TEST_F(PrintFormatTest, LastRowWins) {
    addRow(QStringLiteral("谈话笔录"), kRowA);
    addRow(QStringLiteral("社区矫正笔录"), kRowB);
    const PrintFormat f = LoadPrintFormat(db);
    EXPECT_EQ(StoredFormatValues(f), kRowB);
    EXPECT_EQ(f.pageNumPosition, 3);
    EXPECT_EQ(f.qr, 0);
}

TEST_F(PrintFormatTest, SaveWritesEveryRowWithTheStoredTexts) {
    addRow(QStringLiteral("谈话笔录"), kRowA);
    addRow(QStringLiteral("社区矫正笔录"), kRowB);
    PrintFormat f;
    f.font = QStringLiteral("宋体");
    f.pageNumPosition = 3; // "无"
    f.nameTime = 1;        // 签名时间 "不打印"
    f.isBlank = 0;         // 空白行 "不打印"
    f.qr = 1;
    ASSERT_TRUE(SavePrintFormat(db, f));
    const QStringList expected{"宋体", "12", "10", "0", "3", "0", "0",
                               "0",    "0",  "0",  "0", "1", "1"};
    for (CDBRecordSet set = db.query("select * from jyx_format"); !set.IsEof(); set.MoveNext()) {
        QStringList stored;
        for (int c = 2; c <= 14; ++c)
            stored << QString::fromStdString(ReadColumn(set, schema::jyx_format, c));
        EXPECT_EQ(stored, expected);
    }
    // The font column is UTF-8, the others GBK digits.
    EXPECT_EQ(rawValue("select jyx_font from jyx_format"), "宋体");
    EXPECT_EQ(LoadPrintFormat(db), f);
}

TEST_F(PrintFormatTest, TypeRowThenFallbackThenViewDefaults) {
    PrintFormat start = PrintFormat::viewDefaults();
    PrintFormat none = LoadPrintFormatForType(db, QStringLiteral("询问笔录"), start);
    EXPECT_EQ(none.fontSize, 16);
    EXPECT_EQ(none.distance, 10);
    EXPECT_EQ(none.isBlank, 0);

    addRow(QStringLiteral("社区矫正笔录"), kRowB);
    addRow(QStringLiteral("谈话笔录"), kRowA);
    EXPECT_EQ(LoadPrintFormatForType(db, QStringLiteral("谈话笔录")).fontSize, 14);
    const PrintFormat fallback = LoadPrintFormatForType(db, QStringLiteral("询问笔录"));
    EXPECT_EQ(fallback.fontSize, 16);
    EXPECT_EQ(fallback.indent, 3);
    EXPECT_EQ(fallback.pageNumPosition, 3);
}

TEST_F(PrintFormatTest, StoredTextsReadAsTheDialogReadsThem) {
    const std::pair<QString, int> cases[] = {
        {"", 0}, {"abc", 0}, {"12abc", 12}, {" 7", 7}, {"-1", -1}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(StoredInt(text), value) << text.toStdString();
    addRow(QStringLiteral("社区矫正笔录"),
           {"宋体", "x", "", "1", "0", "0", "0", "1", "0", "0", "0", "0", "2"});
    const PrintFormat f = LoadPrintFormat(db);
    EXPECT_EQ(f.fontSize, 0);
    EXPECT_EQ(f.qr, 2);
    EXPECT_EQ(format_lists::yesNoIndex(f.qr), 1); // only 1 shows "显示"
}

TEST(PrintFormatLists, EncodingsAndTabs) {
    namespace fl = format_lists;
    // 空白行, 询问次数, 二维码: first entry 1; 签名时间, 办案人签名: the index.
    EXPECT_EQ(fl::yesNoFromIndex(0), 1);
    EXPECT_EQ(fl::yesNoFromIndex(1), 0);
    EXPECT_EQ(fl::yesNoIndex(1), 0);
    EXPECT_EQ(fl::yesNoIndex(0), 1);
    EXPECT_EQ(fl::sizeFromText(QStringLiteral("15 (小三)")), 15);
    EXPECT_EQ(fl::sizeFromText(QStringLiteral("16 (三号)")), 16);
    EXPECT_EQ(fl::sizeFromIndex(1), 14);
    EXPECT_EQ(fl::distanceFromIndex(2), 12);
    EXPECT_EQ(fl::distanceIndex(8), 0);

    const std::pair<const char*, int> tabs[] = {{"谈话笔录", 0},
                                                {"矫正期间谈话笔录", 10},
                                                {"违规调查笔录(矫正对象)", 1},
                                                {"违规询问笔录(旁证)", 2},
                                                {"训诫笔录", 3},
                                                {"合议笔录", 9},
                                                {"询问笔录", 10},
                                                {"", 10}};
    for (auto [name, tab] : tabs)
        EXPECT_EQ(fl::tabForType(QString::fromUtf8(name)), tab) << name;
    EXPECT_EQ(fl::tabTypes().size(), 11);
}

} // namespace
