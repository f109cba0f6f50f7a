// The records browser's logic: the search statement and its bound values,
// the rows a search finds in a database with UTF-8 and GBK columns, the list
// filled a batch at a time, the delete with its question and log row, and
// the preparation of a reopened transcript.
#include "records_fixture.h"

#include "records/RecordActions.h"
#include "records/RecordListModel.h"
#include "records/RecordSearch.h"
#include "text/TextCodec.h"
#include "transcript/TranscriptKinds.h"

#include <QStringList>

using namespace records;

namespace {

const std::string kSelect = ShownColumnsSelect();
const std::string kNewest = " order by jyx_starttime desc";

SearchForm Form() {
    SearchForm f;
    f.from = f.to = QDate(2026, 3, 14);
    return f;
}

} // namespace

TEST(RecordSearch, ShownColumnsAreTheListColumnsOnly) {
    EXPECT_EQ(kSelect, "select jyx_id,jyx_format,jyx_answername,jyx_times,jyx_starttime,"
                       "jyx_endtime,jyx_sex,jyx_age,jyx_telphone,jyx_isupload,jyx_3 from "
                       "jyx_content");
    EXPECT_EQ(AllRecordsSql(), kSelect + kNewest);
}

TEST(RecordSearch, StatementAndValuesForEachForm) {
    struct Case {
        const char* what;
        SearchForm form;
        std::string sql;
        std::vector<std::string> values;
    };
    auto with = [](auto change) {
        SearchForm f = Form();
        change(f);
        return f;
    };
    const std::string like = " like ? escape '\\'";
    const Case cases[] = {
        {"default form", Form(), kSelect + kNewest, {}},
        {"sex with name",
         with([](SearchForm& f) {
             f.sex = "男";
             f.name = "张";
         }),
         kSelect + " where jyx_sex" + like + " and jyx_answername" + like + kNewest,
         {"%男%", "%张%"}},
        {"date range keeps the to-date",
         with([](SearchForm& f) {
             f.from = QDate(2024, 1, 1);
             f.to = QDate(2024, 1, 31);
         }),
         kSelect + " where jyx_starttime >= ? and jyx_endtime < ?" + kNewest,
         {"2024/01/01", "2024/02/01"}},
        {"row count",
         with([](SearchForm& f) { f.rowCount = "5"; }),
         kSelect + kNewest + " limit 0,5",
         {}},
        {"every condition in order",
         with([](SearchForm& f) {
             f.sex = "女";
             f.name = "O'Brien";
             f.caseName = "案";
             f.unit = "商店";
             f.from = QDate(2023, 12, 31);
             f.to = QDate(2024, 12, 31);
             f.rowCount = " 10 ";
         }),
         kSelect + " where jyx_sex" + like + " and jyx_answername" + like + " and jyx_casename" +
             like + " and jyx_workunit" + like +
             " and jyx_starttime >= ? and jyx_endtime < ? order by jyx_starttime desc limit 0,10",
         {"%女%", "%O'Brien%", "%案%", "%商店%", "2023/12/31", "2025/01/01"}},
        {"pattern characters are escaped",
         with([](SearchForm& f) { f.name = "100%_\\"; }),
         kSelect + " where jyx_answername" + like + kNewest,
         {"%100\\%\\_\\\\%"}},
    };
    for (const Case& c : cases) {
        const SearchQuery q = BuildSearch(c.form);
        EXPECT_TRUE(q.ok()) << c.what;
        EXPECT_EQ(q.sql, c.sql) << c.what;
        EXPECT_EQ(q.values, c.values) << c.what;
    }
}

TEST(RecordSearch, RowCountThatIsNotAWholeNumberIsRefused) {
    for (const char* typed : {"5a", "-1", "五", "1.5", "５", "0x10", "99999999999999999999"}) {
        SearchForm f = Form();
        f.rowCount = QString::fromUtf8(typed);
        const SearchQuery q = BuildSearch(f);
        EXPECT_EQ(q.error, QString::fromUtf8(kBadRowCount)) << typed;
        EXPECT_TRUE(q.sql.empty()) << typed;
    }
}

class RecordsTest : public RecordsFixture {
protected:
    void SetUp() override {
        RecordsFixture::SetUp();
        addSamples();
    }
    // The ids of the rows a form finds, in list order.
    QStringList found(const SearchForm& form) {
        const SearchQuery q = BuildSearch(form);
        EXPECT_TRUE(q.ok());
        RecordListModel model(db);
        EXPECT_TRUE(model.fill(q.sql, q.values)) << model.error().toStdString();
        return ids(model);
    }
    static QStringList ids(RecordListModel& model) {
        model.fetchAll();
        QStringList out;
        for (int r = 0; r < model.rowCount(); ++r)
            out << model.text(r, kId);
        return out;
    }
};

TEST_F(RecordsTest, SearchesFindTheMatchingRows) {
    struct Case {
        const char* what;
        void (*change)(SearchForm&);
        QStringList ids;
    };
    const Case cases[] = {
        {"no condition", [](SearchForm&) {}, {"E", "C", "B", "A", "D"}},
        {"name in UTF-8", [](SearchForm& f) { f.name = "张"; }, {"C", "A"}},
        {"quote in a name", [](SearchForm& f) { f.name = "O'Brien"; }, {"C"}},
        {"percent and underscore are literal", [](SearchForm& f) { f.name = "100%_"; }, {"D"}},
        {"sex", [](SearchForm& f) { f.sex = "女"; }, {"B", "D"}},
        {"sex and name", [](SearchForm& f) { f.sex = "男", f.name = "王"; }, {"E"}},
        {"case with quotes", [](SearchForm& f) { f.caseName = "'3'"; }, {"C"}},
        {"unit", [](SearchForm& f) { f.unit = "烟酒"; }, {"B"}},
        {"January including its last day",
         [](SearchForm& f) {
             f.from = QDate(2024, 1, 1);
             f.to = QDate(2024, 1, 31);
         },
         {"B", "A"}},
        {"newest two", [](SearchForm& f) { f.rowCount = "2"; }, {"E", "C"}},
        {"no rows", [](SearchForm& f) { f.rowCount = "0"; }, {}},
    };
    for (const Case& c : cases) {
        SearchForm f = Form();
        c.change(f);
        EXPECT_EQ(found(f), c.ids) << c.what;
    }
}

// The format column is stored as GBK, the name and sex as UTF-8; every cell
// shows the program's text, the upload flag as 是/否.
TEST_F(RecordsTest, ListShowsEveryColumnNewestFirst) {
    CDBRecordSet raw = conn.ExecuteQuery("select jyx_format from jyx_content where jyx_id='A'");
    ASSERT_EQ(std::string(raw.GetStringValue(0)), Utf8ToAnsi("询问笔录"));
    raw.FreeRecordSet();

    RecordListModel model(db);
    ASSERT_TRUE(model.fillAll());
    EXPECT_EQ(ids(model), (QStringList{"E", "C", "B", "A", "D"}));
    EXPECT_EQ(model.columnCount(), 12);
    QStringList rowB;
    for (int c = 0; c < kColumnCount; ++c)
        rowB << model.text(2, c);
    EXPECT_EQ(rowB,
              (QStringList{"B", "3", "调查笔录", "李四", "2", "2024/01/31 08:00",
                           "2024/01/31 10:00", "女", "36", "13800000000", "否", "烟草局笔录"}));
    EXPECT_EQ(model.text(3, kUploaded), "是");
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "被询问人");
    EXPECT_EQ(model.text(5, kId), "");
}

// With the list index the list's statements never touch the table rows,
// whose text and photo make up nearly all of the file.
TEST_F(RecordsTest, ListStatementsReadOnlyTheListIndex) {
    for (int round = 0; round < 2; ++round) // again is harmless
        for (const std::string& sql : ListIndexSql())
            ASSERT_TRUE(db.exec(sql)) << sql;
    SearchForm byName = Form();
    byName.name = "张";
    SearchForm byDate = Form();
    byDate.from = QDate(2024, 1, 1);
    SearchForm bySexCount = Form();
    bySexCount.sex = "女";
    bySexCount.rowCount = "3";
    for (const SearchForm& f : {Form(), byName, byDate, bySexCount}) {
        const SearchQuery q = BuildSearch(f);
        std::vector<CDBParam> params;
        for (const std::string& v : q.values)
            params.push_back(CDBParam::text(v));
        CDBRecordSet plan = conn.ExecuteQuery(("explain query plan " + q.sql).c_str(),
                                              params.data(), int(params.size()));
        QStringList steps;
        for (; !plan.IsEof(); plan.MoveNext())
            steps << QString::fromUtf8(plan.GetStringValue(3));
        EXPECT_EQ(steps.size(), 1) << q.sql << steps.join(" | ").toStdString();
        EXPECT_TRUE(steps.value(0).contains("COVERING INDEX jyx_content_list"))
            << q.sql << steps.join(" | ").toStdString();
    }
    RecordListModel model(db);
    ASSERT_TRUE(model.fillAll());
    EXPECT_EQ(ids(model), (QStringList{"E", "C", "B", "A", "D"}));

    CDBRecordSet byId =
        conn.ExecuteQuery("explain query plan delete from jyx_content where jyx_id='C'");
    ASSERT_FALSE(byId.IsEof());
    EXPECT_TRUE(QString::fromUtf8(byId.GetStringValue(3)).contains("INDEX jyx_content_id"))
        << byId.GetStringValue(3);
}

TEST_F(RecordsTest, ListReadsABatchAtATime) {
    const int total = 2 * RecordListModel::kBatch + 7;
    ASSERT_TRUE(db.exec("begin"));
    for (int i = 0; i < total; ++i) {
        const std::string id = "N" + std::to_string(i);
        ASSERT_TRUE(db.insert(schema::jyx_content,
                              {{"jyx_id", id}, {"jyx_starttime", "2025/01/01 00:00"}}));
    }
    ASSERT_TRUE(db.exec("commit"));
    RecordListModel model(db);
    ASSERT_TRUE(model.fillAll());
    EXPECT_EQ(model.rowCount(), RecordListModel::kBatch);
    EXPECT_TRUE(model.canFetchMore());
    model.fetchMore();
    EXPECT_EQ(model.rowCount(), 2 * RecordListModel::kBatch);
    model.fetchAll();
    EXPECT_EQ(model.rowCount(), total + 5);
    EXPECT_FALSE(model.canFetchMore());
    EXPECT_EQ(model.text(total + 4, kNumber), QString::number(total + 5));

    // A refill starts again from the first batch.
    ASSERT_TRUE(model.fillAll());
    EXPECT_EQ(model.rowCount(), RecordListModel::kBatch);
}

TEST_F(RecordsTest, FailedStatementLeavesAnEmptyListAndSaysWhy) {
    ASSERT_TRUE(db.exec("drop table jyx_content"));
    RecordListModel model(db);
    EXPECT_FALSE(model.fillAll());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.canFetchMore());
    EXPECT_TRUE(model.error().contains("jyx_content"));
}

TEST(RecordDelete, QuestionWarnsWhenTheRecordWasNeverUploaded) {
    EXPECT_EQ(DeleteQuestion({"A", "询问笔录", "张三", "是"}),
              "确定要删除被询问人：张三相关笔录数据?");
    EXPECT_EQ(DeleteQuestion({"B", "询问笔录", "李四", "否"}),
              "确定要删除被询问人：李四相关笔录数据?该笔录未上传，删除后不可恢复，确定删除？");
}

TEST_F(RecordsTest, DeleteRemovesTheRowAndLogsIt) {
    const ListedRecord c{"C", "询问笔录", "O'Brien 张", "否"};
    const DeleteOutcome out = DeleteRecord(db, c, "admin", "李明", clock.now());
    EXPECT_TRUE(out.deleted);
    EXPECT_EQ(out.message, "O'Brien 张相关数据已删除！");
    EXPECT_EQ(count("select count(*) from jyx_content where jyx_id='C'"), 0);
    EXPECT_EQ(count("select count(*) from jyx_content"), 4);

    CDBRecordSet log = db.query("select * from jyx_log");
    ASSERT_FALSE(log.IsEof());
    const TableDef& L = schema::jyx_log;
    const std::pair<const char*, const char*> expected[] = {
        {"login_id", "admin"},         {"login_name", "李明"},
        {"opra_type", "删除"},         {"opra_time", "2026/03/14 09:26:53"},
        {"opra_person", "O'Brien 张"}, {"opra_jyxformat", "询问笔录"},
    };
    for (const auto& [column, value] : expected)
        EXPECT_EQ(ReadColumn(log, L, column), value) << column;
    // The log table is GBK.
    int type = L.indexOf("opra_type");
    EXPECT_EQ(std::string(log.GetStringValue(type)), Utf8ToAnsi("删除"));
    log.MoveNext();
    EXPECT_TRUE(log.IsEof());
}

TEST_F(RecordsTest, FailedDeleteSaysSoAndWritesNoLogRow) {
    // A row that is gone already.
    DeleteOutcome out =
        DeleteRecord(db, {"nope", "询问笔录", "赵六", "否"}, "admin", "李明", clock.now());
    EXPECT_FALSE(out.deleted);
    EXPECT_TRUE(out.message.startsWith("赵六相关数据删除失败！"));
    EXPECT_EQ(count("select count(*) from jyx_log"), 0);

    // The log row cannot be written: the row stays.
    ASSERT_TRUE(db.exec("drop table jyx_log"));
    out = DeleteRecord(db, {"A", "询问笔录", "张三", "是"}, "admin", "李明", clock.now());
    EXPECT_FALSE(out.deleted);
    EXPECT_TRUE(out.message.startsWith("张三相关数据删除失败！"));
    EXPECT_EQ(count("select count(*) from jyx_content where jyx_id='A'"), 1);
}

TEST(RecordOpen, AskAgainCountIsOneMoreAndAtLeastTwo) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "2"}, {"3", "4"}, {" 4 ", "5"}, {"12x", "13"},
        {"0", "2"}, {"", "2"},  {"x", "2"},   {"-3", "2"},
    };
    for (const auto& [stored, next] : cases)
        EXPECT_EQ(AskAgainTimes(stored), next) << stored;
}

TEST_F(RecordsTest, OpeningLoadsTheHeadingTemplateAndTakesTheRecordType) {
    for (const char* kind : {"询问笔录", "调查笔录"})
        ASSERT_TRUE(db.insert(schema::jyx_type, {{"jyxtype", "行政笔录"},
                                                 {"jyxname", kind},
                                                 {"jyxcontent", std::string("抬头:") + kind}}));
    SessionValues session;
    session.transcriptType = "烟草局笔录";

    auto req = PrepareOpen(db, session, "B", EditorMode::Modify);
    ASSERT_TRUE(req);
    EXPECT_EQ(req->id, "B");
    EXPECT_EQ(req->mode, EditorMode::Modify);
    EXPECT_EQ(req->times, "2");
    EXPECT_EQ(req->kind, "调查笔录");
    EXPECT_EQ(HeadingTemplate(), "抬头:调查笔录");

    req = PrepareOpen(db, session, "C", EditorMode::AskAgain);
    ASSERT_TRUE(req);
    EXPECT_EQ(req->times, "2"); // stored "x"
    EXPECT_EQ(session.transcriptType, "行政笔录");
    EXPECT_EQ(HeadingTemplate(), "抬头:询问笔录");

    // A record stored without a type leaves the current type as it was.
    req = PrepareOpen(db, session, "D", EditorMode::AskAgain);
    ASSERT_TRUE(req);
    EXPECT_EQ(req->times, "4");
    EXPECT_EQ(session.transcriptType, "行政笔录");

    SetHeadingTemplate("unchanged");
    EXPECT_FALSE(PrepareOpen(db, session, "missing", EditorMode::Modify));
    EXPECT_EQ(HeadingTemplate(), "unchanged");
}
