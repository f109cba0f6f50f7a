// A fresh system database in a temporary program directory, with every
// table of the schema, a fixed clock and the session of a logged-in officer.
#pragma once

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/Database.h"
#include "app/Prompt.h"
#include "text/TextCodec.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        SetProgramDir(dir.path().toStdString());
        ASSERT_EQ(conn.Open((dir.path() + "/SysReg.db").toUtf8().constData()), 0);
        for (const TableDef* t : {&schema::jyx_content, &schema::jyx_family, &schema::jyx_login,
                                  &schema::jyx_log, &schema::jyx_type, &schema::jyx_address})
            ASSERT_TRUE(db.exec(t->createSql())) << t->name;
        InstallClock(&clock);
        InstallPrompt(&prompt);
        SessionValues& s = Session();
        s.loginName = "admin";
        s.officerName = "李明";
        s.unitName = "青岚市烟草专卖局";
        s.transcriptType = "烟草局笔录";
        s.transcriptKind = "询问笔录";
    }
    void TearDown() override {
        InstallClock(nullptr);
        InstallPrompt(nullptr);
        conn.Close();
    }

    // Raw bytes of column `column` of the row `id` of jyx_content.
    std::string rawContent(const std::string& id, const char* column) {
        CDBParam p = CDBParam::text(id);
        CDBRecordSet set = conn.ExecuteQuery(
            (std::string("select ") + column + " from jyx_content where jyx_id=?").c_str(), &p, 1);
        if (set.IsEof())
            return "<no row>";
        if (set.FieldIsNull(0))
            return "<null>";
        int size = 0;
        const unsigned char* b = set.GetBlobValue(0, size);
        return b ? std::string(reinterpret_cast<const char*>(b), size_t(size)) : std::string();
    }
    int count(const char* sql) { return conn.GetExecScalarRows(sql); }

    std::string writeFile(const QString& name, const std::string& bytes) {
        const std::string path = (dir.path() + "/" + name).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    QTemporaryDir dir;
    CDBConnection conn;
    Database db{conn};
    FixedClock clock{QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53))};
    ScriptedPrompt prompt;
};
