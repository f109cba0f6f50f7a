#include "text/TextCodec.h"
#include "transcript/LawSearch.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using law::Mode;
using Status = law::SearchText::Status;

TEST(LawNumerals, ChineseNumeralOfArticleNumbers) {
    const std::pair<int, const char*> cases[] = {
        {1, "一"},
        {5, "五"},
        {10, "一十"},
        {11, "一十一"},
        {20, "二十"},
        {21, "二十一"},
        {100, "一百"},
        {105, "一百零五"},
        {110, "一百一十"},
        {1000, "一千"},
        {1005, "一千零零五"},
        {1050, "一千零五十"},
        {9999, "九千九百九十九"},
        {10000, "一万"},
    };
    for (const auto& [n, numeral] : cases)
        EXPECT_EQ(law::ChineseNumeral(n), QString::fromUtf8(numeral)) << n;
}

TEST(LawSearchText, BothModes) {
    struct Case {
        Mode mode;
        const char* typed;
        Status status;
        const char* text;
    };
    const Case cases[] = {
        {Mode::Article, "12", Status::Ok, "第十二条"},
        {Mode::Article, "21", Status::Ok, "第二十一条"},
        {Mode::Article, "110", Status::Ok, "第一百十条"},
        {Mode::Article, "10", Status::Ok, "第十条"},
        {Mode::Article, "10000", Status::Ok, "第一万条"},
        {Mode::Article, "0012", Status::Ok,
         "0012"}, // not the decimal form of 12: searched as typed
        {Mode::Article, "10001", Status::BadArticle, ""},
        {Mode::Article, "-1", Status::BadArticle, ""},
        {Mode::Article, "", Status::Empty, ""},
        {Mode::Content, "", Status::Empty, ""},
        {Mode::Content, "a", Status::TooShort, ""},
        {Mode::Content, "法", Status::Ok, "法"},
        {Mode::Content, "第一十条", Status::Ok, "第十条"},
    };
    for (const Case& c : cases) {
        const law::SearchText s = law::BuildSearchText(c.mode, QString::fromUtf8(c.typed));
        EXPECT_EQ(s.status, c.status) << c.typed;
        EXPECT_EQ(s.text, QString::fromUtf8(c.text)) << c.typed;
    }
    EXPECT_EQ(law::BuildSearchText(Mode::Content, "a").message,
              QStringLiteral("查找内容太短！请重新输入！"));
    EXPECT_EQ(law::BuildSearchText(Mode::Article, "20000").message,
              QStringLiteral("输入的条列号非法，请重新输入!"));
}

TEST(LawUnits, HeadingsWithinTheFirstTwentyBytes) {
    EXPECT_TRUE(law::StartsUnit(QStringLiteral("第五条 经营者应当")));
    EXPECT_TRUE(law::StartsUnit(QStringLiteral("   第一章 总则   ")));
    EXPECT_TRUE(law::StartsUnit(QStringLiteral("第二节 许可")));
    EXPECT_FALSE(law::StartsUnit(QStringLiteral("第五项 其他规定")));
    EXPECT_FALSE(law::StartsUnit(QStringLiteral("一二三四五六七八九十第五条"))); // beyond 20 bytes
}

// A law of `articles` articles; article i has `lines` lines, the first one
// being "第<i>条 ..." with a body long enough to pass the 50-byte rule.
QString FixtureLaw(int articles, int lines = 3, const QString& word = QStringLiteral("烟草")) {
    QStringList text{QStringLiteral("示例法规")};
    for (int i = 1; i <= articles; ++i) {
        text << QStringLiteral("第%1条 关于%2专卖品的生产、销售和运输的管理规定如下：")
                    .arg(law::ChineseNumeral(i), word);
        for (int l = 1; l < lines; ++l)
            text << QStringLiteral("（%1）经营者应当依法取得许可证，并在核准的范围内经营。").arg(l);
    }
    text << QStringLiteral("附则");
    return text.join('\n');
}

TEST(LawFind, PassageIsTheWholeArticleOnce) {
    const QString law = FixtureLaw(6);
    const QString passages = law::CollectPassages(law, QStringLiteral("第五条"));
    const QStringList lines = passages.split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("第五条")));
    EXPECT_EQ(passages.count(QStringLiteral("第五条")), 1);
    EXPECT_EQ(passages.count(QStringLiteral("（2）")), 1);
    EXPECT_FALSE(passages.contains(QStringLiteral("第六条")));

    // The word occurs twice inside article 2: still one passage.
    QString twice = FixtureLaw(3);
    twice.replace(QStringLiteral("第二条 关于"), QStringLiteral("第二条 关于稽查与稽查"));
    EXPECT_EQ(law::CollectPassages(twice, QStringLiteral("稽查")).count(QStringLiteral("第二条")),
              1);
}

TEST(LawFind, MatchAtTheVeryStartIsFound) {
    const QString law =
        QStringLiteral("第一条 烟草专卖品的生产、销售、进出口业务，实行专卖管理。\n第二条 其他");
    EXPECT_TRUE(
        law::CollectPassages(law, QStringLiteral("第一条")).startsWith(QStringLiteral("第一条")));
}

TEST(LawFind, ShortPassagesAreDroppedAndNotListed) {
    const QString law = QStringLiteral("第一条 短。\n第二条 也短。\n第三条 完");
    const QString passages = law::CollectPassages(law, QStringLiteral("短"));
    EXPECT_TRUE(passages.isEmpty());
    EXPECT_FALSE(law::IsListed(passages, QStringLiteral("法"), QStringLiteral("全部")));
}

TEST(LawFind, AtMostOneHundredMatchesAreExpanded) {
    const QString passages = law::CollectPassages(FixtureLaw(150, 2), QStringLiteral("专卖品"));
    EXPECT_EQ(passages.count(QStringLiteral("专卖品")), law::kMaxMatchesPerLaw);
}

TEST(LawFind, WalksStopAfterTwentyLines) {
    // A match 30 lines below its heading starts 20 lines up and, with no next
    // heading within reach, ends on its start line.
    QStringList text{QStringLiteral("第一条 总则")};
    for (int i = 1; i <= 60; ++i)
        text << QStringLiteral("第%1行的说明文字，用于检验向上与向下查找的行数限制。").arg(i);
    const QString passages = law::CollectPassages(text.join('\n'), QStringLiteral("第30行"));
    EXPECT_EQ(passages, QStringLiteral("第10行的说明文字，用于检验向上与向下查找的行数限制。\n\n"));
}

// The text as a word processor stores it: GBK bytes as "\'hh", "\par" per line.
QByteArray AsRtf(const QString& text) {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0 x;}}\\f0 ";
    for (const QString& line : text.split('\n')) {
        for (unsigned char byte : Utf8ToAnsi(line.toStdString()))
            rtf += byte < 0x80 ? QByteArray(1, char(byte))
                               : "\\'" + QByteArray::number(byte, 16).rightJustified(2, '0');
        rtf += "\\par\r\n";
    }
    return rtf + "}";
}

TEST(LawFiles, ListingSearchingAndFiltering) {
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(QStringLiteral("烟草专卖法（示例）.rtf"), AsRtf(FixtureLaw(3)));
    write(QStringLiteral("行政处罚法（示例）.txt"), FixtureLaw(4).toUtf8());
    write(QStringLiteral("说明.doc"), "not a law");

    const auto laws = law::ListLawFiles(dir.path());
    ASSERT_EQ(laws.size(), 2u);
    EXPECT_EQ(laws[0].name, QStringLiteral("烟草专卖法（示例）"));
    EXPECT_EQ(laws[1].name, QStringLiteral("行政处罚法（示例）"));
    EXPECT_TRUE(law::ListLawFiles(dir.filePath(QStringLiteral("missing"))).empty());

    int calls = 0;
    auto all = law::SearchLaws(laws, QStringLiteral("第三条"), QStringLiteral("全部"),
                               [&](int done, int total) {
                                   EXPECT_EQ(++calls, done);
                                   EXPECT_EQ(total, 2);
                               });
    ASSERT_EQ(all.size(), 2u);
    EXPECT_TRUE(all[0].passages.startsWith(QStringLiteral("第三条")));
    auto one = law::SearchLaws(laws, QStringLiteral("第三条"), QStringLiteral("行政处罚法"));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].name, QStringLiteral("行政处罚法（示例）"));
    EXPECT_TRUE(law::SearchLaws(laws, QStringLiteral("第九条"), QStringLiteral("全部")).empty());
}

} // namespace
