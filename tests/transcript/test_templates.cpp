// Template keywords, the person lookup, the question list of a template, the
// text of "套用当前模板" and the template store over a real database.
#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/Database.h"
#include "transcript/Keywords.h"
#include "transcript/TemplateQuestions.h"
#include "transcript/TemplateStore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

KeywordValues FullValues() {
    KeywordValues v;
    v.unitName = U("青岚市烟草专卖局");
    v.name = U("张三");
    v.idNumber = U("110101198005070011");
    v.sex = U("男");
    v.nation = U("汉族");
    v.age = U("45");
    v.birthday = QDate(1980, 5, 7);
    v.political = U("普通公民");
    v.telephone = U("13800000000");
    v.workUnit = U("青岚市东街5号");
    v.job = U("店主");
    v.birthAddress = U("青岚市西路1号");
    v.nowAddress = U("青岚市南路2号");
    v.asker1 = U("李明");
    v.asker2 = U("王刚");
    v.recorder = U("赵丽");
    v.caseNumber = U("青烟案〔2026〕12号");
    v.people = U("钱七");
    v.formerName = U("张小三");
    v.nickname = U("三子");
    v.place = U("青岚市烟草专卖局询问室");
    v.asker1IdNumber = U("370201197001010011");
    v.asker2IdNumber = U("370201197202020022");
    return v;
}

} // namespace

TEST(FillKeywords, EveryKeywordTakesItsFieldAndEmptyValuesStay) {
    const KeywordValues full = FullValues();
    const KeywordValues empty; // every field empty, birth date invalid
    struct Row {
        const char* keyword;
        const char* filled;   // with FullValues()
        const char* unfilled; // with empty values
    } rows[] = {
        {"#JGMC", "青岚市烟草专卖局", "#JGMC"},
        {"#*", "★", "★"}, // always
        {"#XM", "张三", "#XM"},
        {"#ZJHM", "110101198005070011", "#ZJHM"},
        {"#XB", "男", "#XB"},
        {"#MZ", "汉族", "#MZ"},
        {"#NL", "45", "#NL"},
        {"#CSRQ", "1980-05-07", "  -1--1--1"}, // always, -1 for each part of no date
        {"#ZZMM", "普通公民", "#ZZMM"},
        {"#GRLXDH", "13800000000", "#GRLXDH"},
        {"#GZDW", "青岚市东街5号", "#GZDW"},
        {"#ZW", "店主", "#ZW"},
        {"#HJDZ", "青岚市西路1号", "#HJDZ"},
        {"#XZDZ", "青岚市南路2号", "#XZDZ"},
        {"#XWR1", "李明", "#XWR1"},
        {"#XWR2", "王刚", "#XWR2"},
        {"#JLR", "赵丽", "#JLR"},
        {"#AJMC", "青烟案〔2026〕12号", "#AJMC"},
        {"#DCR", "钱七", "#DCR"},
        {"#ZYM", "张小三", "#ZYM"},
        {"#CH", "三子", "#CH"},
        {"#WMDD", "青岚市烟草专卖局询问室", "#WMDD"},
        {"#ZFZH1", "370201197001010011", "#ZFZH1"},
        {"#ZFZH2", "370201197202020022", "#ZFZH2"},
        // Not keywords of the editor: left as they are.
        {"#XWDD", "#XWDD", "#XWDD"},
        {"#WHCD", "#WHCD", "#WHCD"},
        {"#xm", "#xm", "#xm"},
        {"#ABC", "#ABC", "#ABC"},
    };
    for (const Row& row : rows) {
        const QString text = U("「") + U(row.keyword) + U("」");
        EXPECT_EQ(FillKeywords(text, full), U("「") + U(row.filled) + U("」")) << row.keyword;
        EXPECT_EQ(FillKeywords(text, empty), U("「") + U(row.unfilled) + U("」")) << row.keyword;
    }
}

TEST(FillKeywords, ReplacesEveryOccurrenceInTableOrder) {
    KeywordValues v;
    v.name = U("张三");
    EXPECT_EQ(FillKeywords(U("#XM说#XM#XM"), v), U("张三说张三张三"));
    // A value holding a later keyword gets it filled as well; an earlier one not.
    v.name = U("#NL岁");
    v.age = U("30");
    v.workUnit = U("#XM");
    EXPECT_EQ(FillKeywords(U("#XM/#GZDW"), v), U("30岁/#XM"));
}

TEST(FillKeywords, ValuesComeFromTheRecordAndTheUnit) {
    TranscriptRecord r;
    r.name = U("张三");
    r.place = U("询问室");
    r.asker1.idNumber = U("ID-1");
    r.asker2.idNumber = U("ID-2");
    r.birthday = QDate(1990, 12, 1);
    const KeywordValues v = KeywordValuesOf(r, U("某局"));
    EXPECT_EQ(FillKeywords(U("#JGMC #XM #WMDD #ZFZH1 #ZFZH2 #CSRQ"), v),
              U("某局 张三 询问室 ID-1 ID-2 1990-12-01"));
}

TEST(FillPersonKeywords, WithoutARecordOnlyTheUnitIsFilled) {
    EXPECT_EQ(FillPersonKeywords(U("#JGMC #XM #WHCD"), QString(), nullptr), U(" #XM #WHCD"));
    PersonInfo p;
    for (int i = 0; i < 21; ++i)
        p.fields[size_t(i)] = QString::number(i);
    p.fields[8].clear(); // an empty field still replaces its keyword
    const QString text = U("#JGMC|#XM|#XB|#CSRQ|#MZ|#WHCD|#ZZMM|#GRLXDH|#HJSZDMX|#GDJZDMX|#XGZDW|"
                           "#JYJXQK|ZWZH1|#ZWZH2|#ZJHM");
    EXPECT_EQ(FillPersonKeywords(text, U("局"), &p),
              U("局|1|2|4|5||9|11|12|13|14|15|19|#20|#ZJHM"));
}

class TemplateDb : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(conn.Open((dir.path() + "/SysReg.db").toUtf8().constData()), 0);
        ASSERT_TRUE(db.exec(schema::jyx_modal.createSql()));
        ASSERT_TRUE(db.exec(schema::person_info.createSql()));
        InstallClock(&clock);
    }
    void TearDown() override {
        InstallClock(nullptr);
        conn.Close();
    }
    void addTemplate(const char* group, const char* name, const char* content = "") {
        ASSERT_TRUE(db.insert(schema::jyx_modal, {{"modal_type1", group},
                                                  {"modal_type2", name},
                                                  {"modal_content", content},
                                                  {"modal_createtime", "2026/01/01 00:00:00"},
                                                  {"modal_creator", ""},
                                                  {"modal_type3", ""}}));
    }
    void addPerson(std::vector<ColumnValue> values) {
        ASSERT_TRUE(db.insert(schema::person_info, values));
    }
    int countRows(const char* where) {
        return conn.GetExecScalarRows(
            (std::string("select count(*) from jyx_modal where ") + where).c_str());
    }

    QTemporaryDir dir;
    CDBConnection conn;
    Database db{conn};
    FixedClock clock{QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53))};
    TemplateStore store{db};
};

TEST_F(TemplateDb, FindPersonInfoTakesTheLastRowAndKeepsTheRecordWhenNothingMatches) {
    addPerson({{"A", "李四"}, {"B", "ID1"}, {"I", "男"}, {"BO", "旧案"}});
    addPerson({{"A", "李四"},
               {"B", "ID1"},
               {"I", "女"},
               {"L", "1980-01-02"},
               {"J", "汉族"},
               {"K", "大专"},
               {"AD", "群众"},
               {"AJ", "139"},
               {"BA", "户籍详址"},
               {"AF", "省"},
               {"AM", "市"},
               {"AO", "区"},
               {"AU", "街道"},
               {"AZ", "门牌"},
               {"Z", "单位"}});
    PersonInfo p;
    p.fields[3] = U("kept");
    p.fields[18] = U("earlier");
    ASSERT_TRUE(FindPersonInfo(db, U("ID1"), p));
    EXPECT_EQ(p.fields[0], U("ID1"));
    EXPECT_EQ(p.fields[1], U("李四"));
    EXPECT_EQ(p.fields[2], U("女")); // the last row wins
    EXPECT_EQ(p.fields[4], U("1980-01-02"));
    EXPECT_EQ(p.fields[5], U("汉族"));
    EXPECT_EQ(p.fields[8], U("大专"));
    EXPECT_EQ(p.fields[9], U("群众"));
    EXPECT_EQ(p.fields[10], U("中国"));
    EXPECT_EQ(p.fields[11], U("139"));
    EXPECT_EQ(p.fields[12], U("户籍详址"));
    EXPECT_EQ(p.fields[13], U("省市区街道门牌"));
    EXPECT_EQ(p.fields[14], U("单位"));
    EXPECT_EQ(p.fields[18], QString()); // empty in the last row
    EXPECT_EQ(p.fields[3], U("kept"));  // never filled by the lookup

    const PersonInfo before = p;
    EXPECT_FALSE(FindPersonInfo(db, U("ID2"), p));
    EXPECT_FALSE(FindPersonInfo(db, U("x' or '1'='1"), p)); // a value, not SQL
    EXPECT_EQ(p, before);

    PersonInfo q;
    EXPECT_EQ(FillPersonKeywords(db, U("ID1"), U("局"), U("#JGMC#XM#WHCD"), q), U("局李四大专"));
    EXPECT_EQ(FillPersonKeywords(db, U("ID9"), U("局"), U("#JGMC#XM"), q), U("局#XM"));
}

TEST(KeywordHelp, TwentyEightLinesEachEndingWithABreak) {
    const QStringList lines = KeywordHelpLines();
    ASSERT_EQ(lines.size(), 28);
    EXPECT_EQ(lines[3], U("#JGMC   --机构名称"));
    EXPECT_EQ(lines[10], U("#XWDD --询问地点"));
    EXPECT_EQ(lines[27], U("#*    --★"));
    const QString text = KeywordHelpText();
    EXPECT_TRUE(text.startsWith(U("笔录模板中根据《社区矫正管理信息系统技术规范》")));
    EXPECT_TRUE(text.endsWith(U("#*    --★\n")));
    EXPECT_EQ(text.count(QLatin1Char('\n')), 28);
}

// A template as officers write them: a heading without a marker, the
// avoidance answer, questions with options, a question and an answer that
// run over two lines, blank lines and bare answer markers.
const char* const kFixture = "  某某询问笔录  \n"
                             "第二行标题\n"
                             "被询问人：清楚，不要求回避。\n"
                             "询问人：你叫#XM吗？\n"
                             "被询问人：~D是~D否\n"
                             "\n"
                             "询问人:你的店在哪里？\n"
                             "请详细说明。\n"
                             "被询问人：\n"
                             "被询问人：在#GZDW。\n"
                             "店名是某某。\n"
                             "询问人：还有补充吗？\n";

TEST(BuildQuestionList, RowsFollowTheLineRules) {
    KeywordValues v;
    v.name = U("张三");
    v.workUnit = U("东街");
    const auto fill = [&](const QString& t) { return FillKeywords(t, v); };
    const QList<TemplateQuestion> rows = BuildQuestionList(U(kFixture), fill);
    const QList<TemplateQuestion> expected{
        // The avoidance answer is a row of its own and replaced the headings.
        {U("被询问人：清楚，不要求回避。"), U("被询问人：清楚，不要求回避。"), 0},
        // Questions keep their keywords; answers are filled.
        {U("询问人：你叫#XM吗？"), U("被询问人：~D是~D否"), 30},
        {U("询问人:你的店在哪里？\n请详细说明。"), U("被询问人：在东街。店名是某某。"), 30},
        {U("询问人：还有补充吗？"), QString(), 30},
    };
    EXPECT_EQ(rows, expected);
}

TEST(BuildQuestionList, HeadingsBeforeTheFirstQuestionAreReplacedByIt) {
    const auto rows =
        BuildQuestionList(U("标题一\n标题二\n询问人：第一问\n被询问人：~D甲~D乙"), nullptr);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].question, U("询问人：第一问"));
    EXPECT_EQ(rows[0].answer, U("被询问人：~D甲~D乙"));
    // Without any question the headings stay in the first row.
    const auto headings = BuildQuestionList(U("标题一\n标题二"), nullptr);
    ASSERT_EQ(headings.size(), 1);
    EXPECT_EQ(headings[0].question, U("标题一\n标题二"));
    EXPECT_TRUE(BuildQuestionList(QString(), nullptr).isEmpty());
    // An answer before any question belongs to no row.
    const auto early = BuildQuestionList(U("被询问人：早\n询问人：问"), nullptr);
    ASSERT_EQ(early.size(), 1);
    EXPECT_EQ(early[0].answer, QString());
}

TEST(BuildQuestionList, RowHeightsByGbkLength) {
    struct Row {
        int bytes;
        int height;
    } rows[] = {{29, 30}, {30, 45},   {59, 45},   {60, 70},
                {99, 70}, {100, 100}, {199, 100}, {200, 150}};
    for (const Row& row : rows) {
        // "询问人：" is 8 GBK bytes; the rest is ASCII.
        const QString line = U("询问人：") + QString(row.bytes - 8, QLatin1Char('x'));
        EXPECT_EQ(QuestionRowHeight(line), row.height) << row.bytes;
        EXPECT_EQ(BuildQuestionList(line, nullptr).value(0).height, row.height) << row.bytes;
    }
}

TEST(ApplyQuestionList, QuestionsWithTheirFirstOption) {
    struct Row {
        const char* name;
        QList<TemplateQuestion> rows;
        const char* text;
    } cases[] = {
        {"first row with options",
         {{U("询问人：你叫什么名字？"), U("被询问人：张三~D李四")}},
         "询问人：你叫什么名字？\n被询问人：张三"},
        {"unmarked question gets the marker, empty answer a bare marker",
         {{U("你叫什么？"), QString()}, {U("你多大？"), QString()}},
         "询问人：你叫什么？\n被询问人：\n询问人：你多大？\n被询问人：\n"},
        {"avoidance row and an empty first option",
         {{U("被询问人：清楚，不要求回避。"), U("被询问人：清楚，不要求回避。")},
          {U("询问人：是吗？"), U("被询问人：~D 是 ~D否")},
          {U("询问人：好"), U("被询问人：对~D错")}},
         "被询问人：清楚，不要求回避。\n询问人：是吗？\n被询问人：\n询问人：好\n被询问人：对\n"},
        {"line break among the last four bytes joins the marker directly",
         {{U("询问人：一"), U("被询问人：甲")}, {U("询问人：二\n"), U("被询问人：乙")}},
         "询问人：一\n被询问人：甲\n询问人：二\n被询问人：乙\n"},
        {"rows without a question are skipped; an answer row is kept as it is",
         {{U("询问人：一"), QString()},
          {QString(), U("被询问人：x")},
          {U("被询问人：补充"), QString()}},
         "询问人：一\n被询问人：\n被询问人：补充\n"},
        {"answer text without a separator offers no option",
         {{U("询问人：一"), QString()}, {U("询问人：二"), U("自由回答")}},
         "询问人：一\n被询问人：\n询问人：二\n被询问人：\n"},
        {"a bare answer marker as question is not inserted",
         {{U("询问人：一"), QString()}, {U("被询问人："), QString()}},
         "询问人：一\n被询问人："},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ApplyQuestionList(c.rows, nullptr), U(c.text)) << c.name;
}

TEST(ApplyQuestionList, AnswersAreFilledBeforeTheirOptionsAreTaken) {
    const QList<TemplateQuestion> rows = BuildQuestionList(U(kFixture), nullptr);
    KeywordValues v;
    v.workUnit = U("东街");
    PersonInfo p;
    p.fields[1] = U("李四");
    const auto fill = [&](const QString& a) {
        return FillKeywords(FillPersonKeywords(a, U("局"), &p), v);
    };
    EXPECT_EQ(ApplyQuestionList(rows, fill),
              U("被询问人：清楚，不要求回避。\n"
                "询问人：你叫#XM吗？\n被询问人：\n" // piece 1 of "被询问人：~D是" is empty
                "询问人:你的店在哪里？\n请详细说明。\n被询问人：在东街。店名是某某。\n"
                "询问人：还有补充吗？\n被询问人：\n"));
}

TEST(TemplateContent, FallsBackToTheHandedTextWhenShorterThanTwoBytes) {
    EXPECT_EQ(TemplateContentOrFallback(QString(), U("手")), U("手"));
    EXPECT_EQ(TemplateContentOrFallback(U("a"), U("手")), U("手"));
    EXPECT_EQ(TemplateContentOrFallback(U("甲"), U("手")), U("甲")); // 2 GBK bytes
}

TEST_F(TemplateDb, GroupsInNameOrderWithTemplatesInStoredOrder) {
    addTemplate("行政笔录", "乙");
    addTemplate("烟草局笔录", "回答");
    addTemplate("行政笔录", "甲");
    addTemplate("", "无组");
    addTemplate("空组", "");
    addTemplate("烟草局笔录", "无证经营");
    const std::vector<TemplateGroup> groups = store.groups();
    // Ordered by the stored UTF-8 bytes of the group name.
    std::vector<TemplateGroup> expected{{U("烟草局笔录"), {U("回答"), U("无证经营")}},
                                        {U("空组"), {}},
                                        {U("行政笔录"), {U("乙"), U("甲")}}};
    std::sort(expected.begin(), expected.end(),
              [](const auto& a, const auto& b) { return a.name.toUtf8() < b.name.toUtf8(); });
    EXPECT_EQ(groups, expected);
}

TEST_F(TemplateDb, AddRefusesUsedNamesAndStoresQuotes) {
    addTemplate("烟草局笔录", "回答", "是");
    struct Row {
        const char* name;
        bool added;
        const char* message;
    } rows[] = {
        {"回答", false, "“回答”模板已存在！"},
        {"烟草局笔录", false, "“烟草局笔录”模板已存在！"},
        {"", false, nullptr},
        {"店主's 问话", true, nullptr},
    };
    for (const Row& row : rows) {
        const Outcome out = store.add(U("烟草局笔录"), U(row.name));
        EXPECT_EQ(out.changed, row.added) << row.name;
        EXPECT_FALSE(out.failed) << row.name;
        EXPECT_EQ(out.messages, row.message ? QStringList{U(row.message)} : QStringList())
            << row.name;
    }
    const TemplateText added = store.read(U("烟草局笔录"), U("店主's 问话"));
    EXPECT_TRUE(added.found);
    EXPECT_EQ(added.content, QString());
    EXPECT_EQ(added.createTime, QString());
    EXPECT_EQ(countRows("modal_type1='烟草局笔录'"), 2);
}

TEST_F(TemplateDb, DeleteRemovesOnlyThatGroupsTemplate) {
    addTemplate("烟草局笔录", "通用");
    addTemplate("行政笔录", "通用");
    addTemplate("烟草局笔录", "回答");
    EXPECT_EQ(TemplateStore::deleteRefusal(U("回答")), U("该模板不能删除!"));
    EXPECT_EQ(TemplateStore::deleteRefusal(U("通用")), QString());

    Outcome refused = store.remove(U("烟草局笔录"), U("回答"));
    EXPECT_FALSE(refused.changed);
    EXPECT_EQ(refused.messages, QStringList{U("该模板不能删除!")});

    Outcome out = store.remove(U("烟草局笔录"), U("通用"));
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(out.messages, QStringList{U("已删除！")});
    EXPECT_EQ(countRows("modal_type2='通用'"), 1);
    EXPECT_TRUE(store.read(U("行政笔录"), U("通用")).found);
    EXPECT_EQ(countRows("modal_type2='回答'"), 1);
}

TEST_F(TemplateDb, SaveWritesTextAndTimeAndReportsWhatFailed) {
    addTemplate("烟草局笔录", "通用", "旧");
    addTemplate("行政笔录", "通用", "别组");

    Outcome saved = store.save(U("烟草局笔录"), U("通用"), U("询问人：'引号'\n被询问人：~D是"));
    EXPECT_FALSE(saved.failed);
    EXPECT_EQ(saved.messages, QStringList{U("保存成功！")});
    const TemplateText t = store.read(U("烟草局笔录"), U("通用"));
    EXPECT_EQ(t.content, U("询问人：'引号'\n被询问人：~D是"));
    EXPECT_EQ(t.createTime, U("2026/03/14 09:26:53"));
    EXPECT_EQ(store.read(U("行政笔录"), U("通用")).content, U("别组"));

    // After the keyword help no template is selected: nothing is written.
    Outcome none = store.save(U("烟草局笔录"), QString(), KeywordHelpText());
    EXPECT_TRUE(none.failed);
    EXPECT_FALSE(none.messages.contains(U("保存成功！")));
    EXPECT_EQ(countRows("modal_content like '%关键字%'"), 0);

    Outcome gone = store.save(U("烟草局笔录"), U("已删"), U("x"));
    EXPECT_TRUE(gone.failed);
    EXPECT_FALSE(gone.messages.contains(U("保存成功！")));

    ASSERT_TRUE(db.exec("drop table jyx_modal"));
    Outcome broken = store.save(U("烟草局笔录"), U("通用"), U("x"));
    EXPECT_TRUE(broken.failed);
    ASSERT_FALSE(broken.messages.isEmpty());
    EXPECT_TRUE(broken.messages[0].startsWith(U("保存失败！")));
}

TEST_F(TemplateDb, CommonAnswersFromTheLastAnswersRow) {
    EXPECT_EQ(store.commonAnswers(), QStringList{QString()});
    addTemplate("行政笔录", "回答", "旧的");
    addTemplate("烟草局笔录", "回答", "是的。\n  不是。\n");
    EXPECT_EQ(store.commonAnswers(), (QStringList{U("是的。"), U("  不是。"), QString()}));
}
