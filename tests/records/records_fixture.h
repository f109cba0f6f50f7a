// A system database in a temporary program directory with a handful of
// transcripts, a fixed clock, a scripted prompt and a logged-in officer.
#pragma once

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/Database.h"
#include "app/Prompt.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

struct SampleRow {
    const char* id;
    const char* name;  // UTF-8 column
    const char* sex;   // UTF-8 column
    const char* start; // GBK column, "yyyy/mm/dd hh:mm"
    const char* end;
    const char* format; // GBK column
    const char* caseName;
    const char* unit;
    const char* uploaded;
    const char* type;
    const char* times = "1";
};

class RecordsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        SetProgramDir(dir.path().toStdString());
        ASSERT_EQ(conn.Open((dir.path() + "/SysReg.db").toUtf8().constData()), 0);
        for (const TableDef* t : {&schema::jyx_content, &schema::jyx_log, &schema::jyx_type})
            ASSERT_TRUE(db.exec(t->createSql())) << t->name;
        InstallClock(&clock);
        InstallPrompt(&prompt);
        SessionValues& s = Session();
        s.loginName = "admin";
        s.officerName = "李明";
        s.transcriptType = "烟草局笔录";
        s.transcriptKind = "询问笔录";
    }
    void TearDown() override {
        InstallClock(nullptr);
        InstallPrompt(nullptr);
        conn.Close();
    }

    void add(const SampleRow& r) {
        ASSERT_TRUE(
            db.insert(schema::jyx_content, {{"jyx_id", r.id},
                                            {"jyx_answername", r.name},
                                            {"jyx_sex", r.sex},
                                            {"jyx_starttime", r.start},
                                            {"jyx_endtime", r.end},
                                            {"jyx_format", r.format},
                                            {"jyx_casename", r.caseName},
                                            {"jyx_workunit", r.unit},
                                            {"jyx_isupload", r.uploaded},
                                            {"jyx_3", r.type},
                                            {"jyx_times", r.times},
                                            {"jyx_age", "36"},
                                            {"jyx_telphone", "13800000000"},
                                            {"jyx_content", "询问人：问。\n被询问人：答。"}}))
            << db.lastError();
    }

    // The usual sample: men and women, names with quotes and pattern
    // characters, transcripts in January 2024 and later.
    void addSamples() {
        add({"A", "张三", "男", "2024/01/05 09:00", "2024/01/05 10:00", "询问笔录",
             "青烟案〔2024〕1号", "青岚市百货商店", "1", "烟草局笔录", "1"});
        add({"B", "李四", "女", "2024/01/31 08:00", "2024/01/31 10:00", "调查笔录",
             "青烟案〔2024〕2号", "青岚市烟酒行", "0", "烟草局笔录", "2"});
        add({"C", "O'Brien 张", "男", "2024/02/01 09:00", "2024/02/01 09:30", "询问笔录", "案'3'",
             "西区商店", "0", "行政笔录", "x"});
        add({"D", "王100%_五", "女", "2023/12/31 23:00", "2024/01/01 01:00", "询问笔录", "", "",
             "1", "", "3"});
        add({"E", "王1000五", "男", "2024/03/01 09:00", "2024/03/01 10:00", "讯问笔录", "", "", "0",
             "烟草局笔录", ""});
    }

    int count(const char* sql) { return conn.GetExecScalarRows(sql); }

    QTemporaryDir dir;
    CDBConnection conn;
    Database db{conn};
    FixedClock clock{QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53))};
    ScriptedPrompt prompt;
};
