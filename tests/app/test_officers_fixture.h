// A system database of the delivered schema in a temporary folder, with a
// scripted prompt and a fixed clock installed for the test.
#pragma once

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/Database.h"
#include "app/Prompt.h"
#include "app/Schema.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(conn.Open(dir.filePath("SysReg.db").toUtf8().constData()), 0)
            << conn.LastErrorMessage();
        for (const TableDef* table : schema::all())
            ASSERT_TRUE(db.exec(table->createSql())) << db.lastError();
        InstallPrompt(&prompt);
        InstallClock(&clock);
        savedSession = Session();
        Session().loginName = "admin";
        Session().accountIdNumber.clear();
        Session().unitName = kDefaultUnitName;
    }
    void TearDown() override {
        InstallPrompt(nullptr);
        InstallClock(nullptr);
        Session() = savedSession;
    }

    // The number of rows a query returns.
    int count(const std::string& sql, const SqlArgs& args = {}) {
        int n = 0;
        for (CDBRecordSet set = db.query(sql, args); !set.IsEof(); set.MoveNext())
            ++n;
        return n;
    }
    // Column 0 of the first row as stored, without any conversion.
    std::string rawValue(const std::string& sql) {
        CDBRecordSet set = db.query(sql);
        return set.IsEof() ? std::string() : ReadText(set, 0, ColumnEncoding::Blob);
    }

    QTemporaryDir dir;
    CDBConnection conn;
    Database db{conn};
    ScriptedPrompt prompt;
    FixedClock clock;
    SessionValues savedSession;
};
