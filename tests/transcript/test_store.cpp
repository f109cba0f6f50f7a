// Saving and loading transcripts: the stored bytes of every column, the log
// rows, ids, refusals and failures, the periodic save, and the officer and
// place lists.
#include "test_store_fixture.h"

#include "transcript/TranscriptStore.h"

#include <QFile>

namespace {

TranscriptRecord SampleRecord() {
    TranscriptRecord r;
    r.personType = "嫌疑人";
    r.kind = "询问笔录";
    r.caseNumber = "青烟案〔2026〕第'7'号";
    r.times = "1";
    r.startTime = "2026/03/14 09:00";
    r.endTime = "2026/03/14 10:30";
    r.place = "青岚市烟草专卖局询问室";
    r.askName1 = "李明";
    r.askName2 = "王刚";
    r.recordName = "赵丽";
    r.people = "";
    r.asker1 = {"35010001", "稽查支队", "科长", "350100198001010011"};
    r.asker2 = {"35010002", "稽查支队", "科员", "350100198502020022"};
    r.recorder = {"35010003", "稽查支队", "科员", ""};
    r.idNumber = "35010219900101123X";
    r.name = "O'Brien 张\"三\"";
    r.sex = "男";
    r.age = "36";
    r.birthday = QDate(1990, 1, 1);
    r.nation = "汉族";
    r.education = "本科";
    r.political = "普通公民";
    r.nationality = "中国";
    r.telephone = "13800000000";
    r.formerName = "张小三";
    r.nickname = "三哥";
    r.birthAddress = "青岚市'东区'幸福路1号";
    r.nowAddress = "青岚市西区--; drop table jyx_content; 2号";
    r.workUnit = "青岚市\"百货\"商店";
    r.job = "店主";
    r.workYears = "5年以上";
    r.guardian = "";
    r.guardianAddress = "";
    r.term = "2025/01/01-2027/01/01";
    r.charge = "非法经营";
    r.relation = "本人";
    r.text = "询问人：你叫什么名字？\n被询问人：我叫张三，外号'三哥'。\n\n询问人：\"还有\"吗？";
    return r;
}

SaveContext Context() {
    return {"admin", "李明", "烟草局笔录"};
}

} // namespace

class StoreTest : public StoreFixture {
protected:
    TranscriptStore store{db, Context()};
    QString photoPath() const { return dir.path() + "/tmp.bmp"; }
};

// Every column holds the bytes of its storage encoding: GBK for most, UTF-8
// for the name, sex, case number, work unit and ID number; the photo is the
// file's bytes and one zero byte; the relationship lives in position 43.
TEST_F(StoreTest, InsertStoresEveryColumnInItsEncoding) {
    const std::string photo = std::string("BM\x00\x01\x02", 5) + "photo";
    writeFile("tmp.bmp", photo);
    const TranscriptRecord r = SampleRecord();
    SaveResult res = store.save(r, "", SaveKind::Explicit, photoPath());
    ASSERT_TRUE(res.ok()) << res.message().toStdString();
    EXPECT_TRUE(res.inserted);
    const std::string id = res.recordId.toStdString();
    EXPECT_EQ(id, "35010219900101123X_20260314092653");

    struct Row {
        const char* column;
        std::string expected;
    };
    const Row rows[] = {
        {"jyx_id", id},
        {"jyx_persontype", Utf8ToAnsi("嫌疑人")},
        {"jyx_starttime", "2026/03/14 09:00"},
        {"jyx_content", Utf8ToAnsi(r.text.toStdString())},
        {"jyx_answername", "O'Brien 张\"三\""},
        {"jyx_sex", "男"},
        {"jyx_birthday", "1990/01/01"},
        {"jyx_answersfz", "35010219900101123X"},
        {"jyx_questionsfz", "35010001"},
        {"jyx_recordsfz", "35010003"},
        {"jyx_casename", "青烟案〔2026〕第'7'号"},
        {"jyx_workunit", "青岚市\"百货\"商店"},
        {"jyx_nowaddress", Utf8ToAnsi("青岚市西区--; drop table jyx_content; 2号")},
        {"jyx_birthaddress", Utf8ToAnsi("青岚市'东区'幸福路1号")},
        {"jyx_format", Utf8ToAnsi("询问笔录")},
        {"jyx_questionjob", Utf8ToAnsi("科长")},
        {"jyx_askjob2", Utf8ToAnsi("科员")},
        {"jyx_jyxaddress", Utf8ToAnsi("青岚市烟草专卖局询问室")},
        {"jyx_image", ""},
        {"jyx_isupload", "0"},
        {"jyx_headpic", photo + '\0'},
        {"jyx_relation", Utf8ToAnsi("本人")},
        {"jyx_1", "2025/01/01-2027/01/01"},
        {"jyx_2", Utf8ToAnsi("非法经营")},
        {"jyx_3", Utf8ToAnsi("烟草局笔录")},
        {"jyx_4", "0"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(rawContent(id, row.column), row.expected) << row.column;
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);
}

TEST_F(StoreTest, SecondSaveUpdatesTheRowAndLogsCreateThenChange) {
    TranscriptRecord r = SampleRecord();
    SaveResult first = store.save(r, "", SaveKind::Explicit, photoPath());
    ASSERT_TRUE(first.ok());
    // The classic-case mark set elsewhere must survive the editor's saves.
    ASSERT_EQ(conn.ExecuteCmd("update jyx_content set jyx_4='1'"), 1);
    clock.advance(125);
    r.text += "\n被询问人：没有了。";
    r.relation = "朋友";
    SaveResult second = store.save(r, first.recordId, SaveKind::Explicit, photoPath());
    ASSERT_TRUE(second.ok());
    EXPECT_FALSE(second.inserted);
    EXPECT_EQ(second.recordId, first.recordId);
    const std::string id = first.recordId.toStdString();
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);
    EXPECT_EQ(rawContent(id, "jyx_content"), Utf8ToAnsi(r.text.toStdString()));
    EXPECT_EQ(rawContent(id, "jyx_4"), "1");
    EXPECT_EQ(rawContent(id, "jyx_relation"), Utf8ToAnsi("朋友"));
    EXPECT_EQ(rawContent(id, "jyx_headpic"), "<null>"); // no photo file

    CDBRecordSet log = conn.ExecuteQuery(
        "select login_id,login_name,opra_type,opra_time,opra_person,opra_jyxformat from jyx_log");
    std::vector<std::vector<std::string>> rows;
    for (; !log.IsEof(); log.MoveNext()) {
        std::vector<std::string> row;
        for (int i = 0; i < 6; ++i)
            row.push_back(AnsiToUtf8(log.GetStringValue(i)));
        rows.push_back(row);
    }
    const std::vector<std::vector<std::string>> expected = {
        {"admin", "李明", "创建", "2026/03/14 09:26", "O'Brien 张\"三\"", "询问笔录"},
        {"admin", "李明", "修改", "2026/03/14 09:28", "O'Brien 张\"三\"", "询问笔录"},
    };
    EXPECT_EQ(rows, expected);
}

TEST_F(StoreTest, EmptyTimesStoreTheCurrentTimeWithoutChangingTheRecord) {
    TranscriptRecord r = SampleRecord();
    r.startTime.clear();
    r.endTime.clear();
    const TranscriptRecord before = r;
    SaveResult res = store.save(r, "", SaveKind::Explicit, photoPath());
    ASSERT_TRUE(res.ok());
    EXPECT_EQ(r, before);
    EXPECT_EQ(rawContent(res.recordId.toStdString(), "jyx_starttime"), "2026/03/14 09:26");
    EXPECT_EQ(rawContent(res.recordId.toStdString(), "jyx_endtime"), "2026/03/14 09:26");
}

TEST_F(StoreTest, RefusedSavesWriteNothing) {
    struct Case {
        const char* name;
        QString idNumber, person;
        SaveResult::Status status;
        const char* message;
    };
    const Case cases[] = {
        {"short id", "35010219900101123", "张三", SaveResult::Status::BadIdNumber,
         "您输入的被询问人身份证号码不正确！"},
        {"empty id and name", "", "", SaveResult::Status::BadIdNumber,
         "您输入的被询问人身份证号码不正确！"},
        {"empty name", "35010219900101123X", "", SaveResult::Status::EmptyName, "姓名不能为空！"},
    };
    for (const Case& c : cases) {
        TranscriptRecord r = SampleRecord();
        r.idNumber = c.idNumber;
        r.name = c.person;
        SaveResult res = store.save(r, "", SaveKind::Explicit, photoPath());
        EXPECT_EQ(res.status, c.status) << c.name;
        EXPECT_EQ(res.message().toStdString(), c.message) << c.name;
        EXPECT_TRUE(res.recordId.isEmpty()) << c.name;
        if (c.person.isEmpty()) {
            res = store.save(r, "", SaveKind::Periodic, photoPath());
            EXPECT_EQ(res.status, SaveResult::Status::EmptyName) << c.name;
        }
    }
    EXPECT_EQ(count("select count(*) from jyx_content"), 0);
    EXPECT_EQ(count("select count(*) from jyx_log"), 0);

    // The periodic save keeps a transcript whose ID number is still short.
    TranscriptRecord r = SampleRecord();
    r.idNumber = "3501";
    SaveResult periodic = store.save(r, "", SaveKind::Periodic, photoPath());
    EXPECT_TRUE(periodic.ok()) << periodic.message().toStdString();
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);
}

// A failing statement is reported as a failure with the database's reason,
// keeps the editor's id, and leaves no half-written save behind.
TEST_F(StoreTest, FailedSaveReportsFailureAndWritesNothing) {
    ASSERT_EQ(conn.ExecuteCmd("drop table jyx_log"), 0);
    SaveResult res = store.save(SampleRecord(), "", SaveKind::Explicit, photoPath());
    EXPECT_EQ(res.status, SaveResult::Status::Failed);
    EXPECT_TRUE(res.recordId.isEmpty());
    EXPECT_TRUE(res.message().startsWith(QString::fromUtf8(save_text::kFailed)));
    EXPECT_TRUE(res.message().contains("jyx_log"));
    EXPECT_NE(res.message(), QString::fromUtf8(save_text::kSaved));
    EXPECT_EQ(count("select count(*) from jyx_content"), 0);

    ASSERT_EQ(conn.ExecuteCmd("drop table jyx_content"), 0);
    SaveResult update = store.save(SampleRecord(), "x_1", SaveKind::Periodic, photoPath());
    EXPECT_EQ(update.status, SaveResult::Status::Failed);
    EXPECT_EQ(update.recordId, "x_1");
}

// A row deleted while the editor was open is created again under its id.
TEST_F(StoreTest, UpdateOfAVanishedRowCreatesItAgain) {
    SaveResult first = store.save(SampleRecord(), "", SaveKind::Explicit, photoPath());
    ASSERT_TRUE(first.ok());
    ASSERT_EQ(conn.ExecuteCmd("delete from jyx_content"), 1);
    SaveResult again = store.save(SampleRecord(), first.recordId, SaveKind::Explicit, photoPath());
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(again.inserted);
    EXPECT_EQ(again.recordId, first.recordId);
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);
}

TEST_F(StoreTest, PeriodicSaveUsesItsOwnIdAdoptsFamilyAndWritesNoLog) {
    ASSERT_TRUE(db.insert(schema::jyx_family, {{"jyx_id", ""}, {"jyx_name", "张父"}}));
    ASSERT_TRUE(db.insert(schema::jyx_family, {{"jyx_id", "other"}, {"jyx_name", "李母"}}));
    TranscriptRecord r = SampleRecord();
    SaveResult res = store.save(r, "", SaveKind::Periodic, photoPath());
    ASSERT_TRUE(res.ok());
    const QString expectedId = "admin" + QString::number(clock.now().toSecsSinceEpoch());
    EXPECT_EQ(res.recordId, expectedId);
    const std::string id = expectedId.toStdString();
    EXPECT_EQ(count("select count(*) from jyx_log"), 0);
    EXPECT_EQ(count("select count(*) from jyx_family where jyx_id=''"), 0);
    EXPECT_EQ(count("select count(*) from jyx_family where jyx_id='other'"), 1);
    EXPECT_EQ(rawContent(id, "jyx_3"), Utf8ToAnsi("烟草局笔录"));

    // An uploaded row becomes "not uploaded" again when the periodic save
    // changes it; an explicit save then keeps that id.
    ASSERT_EQ(conn.ExecuteCmd("update jyx_content set jyx_isupload='1'"), 1);
    r.text += "\n补充";
    ASSERT_TRUE(store.save(r, res.recordId, SaveKind::Periodic, photoPath()).ok());
    EXPECT_EQ(rawContent(id, "jyx_isupload"), "0");
    EXPECT_EQ(count("select count(*) from jyx_log"), 0);
    SaveResult explicitSave = store.save(r, res.recordId, SaveKind::Explicit, photoPath());
    ASSERT_TRUE(explicitSave.ok());
    EXPECT_EQ(explicitSave.recordId, res.recordId);
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);
    CDBRecordSet log = conn.ExecuteQuery("select opra_type from jyx_log");
    ASSERT_FALSE(log.IsEof());
    EXPECT_EQ(std::string(log.GetStringValue(0)), Utf8ToAnsi("修改"));
    EXPECT_EQ(count("select count(*) from jyx_log"), 1);
}

TEST_F(StoreTest, LoadGivesBackEveryField) {
    writeFile("tmp.bmp", "picture-bytes");
    const TranscriptRecord r = SampleRecord();
    SaveResult res = store.save(r, "", SaveKind::Explicit, photoPath());
    ASSERT_TRUE(res.ok());
    TranscriptRecord loaded;
    std::string photo;
    ASSERT_TRUE(store.load(res.recordId, loaded, &photo));
    TranscriptRecord expected = r;
    expected.asker1.unit = expected.asker1.idNumber = ""; // not stored
    expected.asker2.unit = expected.asker2.idNumber = "";
    expected.recorder.unit = expected.recorder.post = expected.recorder.idNumber = "";
    expected.type = "烟草局笔录";
    expected.classicMark = "0";
    EXPECT_EQ(loaded, expected);
    EXPECT_EQ(photo, std::string("picture-bytes") + '\0');

    // Written back to a file the photo has its original bytes, so saving it
    // again stores the same blob.
    ASSERT_TRUE(WritePhotoFile(photoPath(), photo));
    ASSERT_TRUE(store.save(loaded, res.recordId, SaveKind::Explicit, photoPath()).ok());
    EXPECT_EQ(rawContent(res.recordId.toStdString(), "jyx_headpic"), photo);
    EXPECT_FALSE(WritePhotoFile(photoPath(), std::string(1, '\0')));
    EXPECT_FALSE(store.load("no such id", loaded));
}

// Rows from before the relationship had its own column carry it in jyx_4.
TEST_F(StoreTest, LoadTakesAnOldRelationFromTheMarkColumn) {
    SaveResult res = store.save(SampleRecord(), "", SaveKind::Explicit, photoPath());
    ASSERT_TRUE(res.ok());
    struct Case {
        const char* relation;
        const char* mark;
        const char* expected;
    };
    for (const Case& c :
         {Case{"", "母子", "母子"}, Case{"", "1", ""}, Case{"本人", "同事", "本人"}}) {
        ASSERT_TRUE(db.update(schema::jyx_content,
                              {{"jyx_relation", c.relation}, {"jyx_4", c.mark}},
                              {{"jyx_id", res.recordId.toStdString()}}));
        TranscriptRecord loaded;
        ASSERT_TRUE(store.load(res.recordId, loaded));
        EXPECT_EQ(loaded.relation.toStdString(), c.expected) << c.mark;
        EXPECT_EQ(loaded.classicMark.toStdString(), c.mark);
    }
}

TEST(StoreRules, PeriodicSaveConditions) {
    struct Case {
        int elapsed;
        bool visible, chooserOpen;
        const char* name;
        bool due;
    };
    const Case cases[] = {
        {300, true, false, "张三", true},    {299, true, false, "张三", false},
        {3600, false, false, "张三", false}, {3600, true, true, "张三", false},
        {3600, true, false, "", false},      {0, true, false, "张三", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PeriodicSaveDue(c.elapsed, c.visible, c.chooserOpen, c.name), c.due)
            << c.elapsed << c.visible << c.chooserOpen << c.name;
}

TEST(StoreRules, EndTimeChecksAndParts) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"2026/03/14 10:30", ""},
        {"2026/00/00 60:60", ""},
        {"1899/03/14 10:30", "请检查结束日期年份是否正确!"},
        {"2101/03/14 10:30", "请检查结束日期年份是否正确!"},
        {"abcd", "请检查结束日期年份是否正确!"},
        {"2026/13/14 10:30", "请检查结束日期月份是否正确!"},
        {"2026/-1/14 10:30", "请检查结束日期月份是否正确!"},
        {"2026/12/32 10:30", "请检查结束日期是否正确!"},
        {"2026/12/31 61:30", "请检查结束日期小时是否正确!"},
        {"2026/12/31 10:61", "请检查结束日期分钟是否正确!"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckEndTime(c.text).toStdString(), c.message) << c.text;
    EXPECT_EQ(BreakUpTime("2026/03/14 09:05:07"), (DateTimeParts{2026, 3, 14, 9, 5, 7}));
    EXPECT_EQ(BreakUpTime("2026/03/14 09:05"), (DateTimeParts{2026, 3, 14, 9, 5, 0}));
    EXPECT_EQ(BreakUpTime(""), (DateTimeParts{}));
}

TEST(StoreRules, OfficerListSelection) {
    using Rows = std::vector<std::pair<QString, QString>>;
    const Rows rows = {{"王刚", "询问人"},
                       {"李明", "询问人"},
                       {"赵丽", "记录人"},
                       {"孙强", "管理员"},
                       {"周敏", "记录人"}};
    struct Case {
        const char* name;
        Rows rows;
        QString current;
        OfficerLists expected;
    };
    const Case cases[] = {
        {"current officer listed",
         rows,
         "李明",
         {{"王刚", "李明"}, {"赵丽", "周敏"}, "李明", 1, 0, 0}},
        {"current officer first",
         {{"李明", "询问人"}, {"王刚", "询问人"}},
         "李明",
         {{"李明", "王刚"}, {}, "李明", 0, 1, -1}},
        {"current officer not listed",
         rows,
         "陈红",
         {{"王刚", "李明"}, {"赵丽", "周敏"}, "王刚", 0, 0, 0}},
        {"only the current officer",
         {{"李明", "询问人"}},
         "李明",
         {{"李明"}, {}, "李明", 0, 0, -1}},
        {"no interviewing officers",
         {{"赵丽", "记录人"}},
         "李明",
         {{}, {"赵丽"}, "李明", -1, -1, 0}},
        {"empty table", {}, "", {{}, {}, "", -1, -1, -1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildOfficerLists(c.rows, c.current), c.expected) << c.name;
}

TEST_F(StoreTest, OfficersAndPlacesFromTheDatabase) {
    const TableDef& t = schema::jyx_login;
    ASSERT_TRUE(db.insert(t, {{"login_name", "王刚"},
                              {"person_type", "询问人"},
                              {"person_zfzh", "A1"},
                              {"person_job", "科长"}}));
    ASSERT_TRUE(db.insert(t, {{"login_name", "王刚"},
                              {"person_type", "询问人"},
                              {"person_zfzh", "A2"},
                              {"person_unit", "稽查"},
                              {"person_job", "队长"},
                              {"person_sfz", "350100198001010011"}}));
    ASSERT_TRUE(db.insert(t, {{"login_name", "O'Neil"}, {"person_type", "记录人"}}));
    OfficerLists lists = LoadOfficerLists(db, "李明");
    EXPECT_EQ(lists.askers, QStringList({"王刚", "王刚"}));
    EXPECT_EQ(lists.recorders, QStringList({"O'Neil"}));

    OfficerDetails d{"old", "old", "old", "old"};
    ASSERT_TRUE(LookupOfficer(db, "王刚", d));
    EXPECT_EQ(d, (OfficerDetails{"A2", "稽查", "队长", "350100198001010011"}));
    EXPECT_FALSE(LookupOfficer(db, "无此人", d));
    EXPECT_EQ(d.certificate, "A2"); // left as it was

    const TableDef& a = schema::jyx_address;
    ASSERT_TRUE(
        db.insert(a, {{"jyx_createtime", "2026/02/01 08:00:00"}, {"jyx_name", "第二询问室"}}));
    ASSERT_TRUE(
        db.insert(a, {{"jyx_createtime", "2026/01/01 08:00:00"}, {"jyx_name", "第一询问室"}}));
    EXPECT_EQ(LoadPlaces(db), QStringList({"第一询问室", "第二询问室"}));
}
