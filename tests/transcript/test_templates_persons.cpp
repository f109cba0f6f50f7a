// The person-information library: CSV reading, the import of jyx-admin and
// the lookup the keywords use afterwards.
#include "app/Database.h"
#include "text/TextCodec.h"
#include "tools/jyx-admin/AdminDb.h"
#include "tools/jyx-admin/PersonImport.h"
#include "transcript/Keywords.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

class PersonImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        std::string error;
        DeliveredData none;
        ASSERT_TRUE(CreateDeliveredDb(dbPath, none, false, error)) << error;
    }
    std::string writeCsv(const std::string& bytes) {
        const std::string path = (dir.path() + "/persons.csv").toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    int persons() {
        CDBConnection conn;
        EXPECT_EQ(conn.Open(dbPath.c_str()), 0);
        return conn.GetExecScalarRows("select count(*) from person_info");
    }
    bool find(const char* id, PersonInfo& p) {
        CDBConnection conn;
        EXPECT_EQ(conn.Open(dbPath.c_str()), 0);
        Database db(conn);
        return FindPersonInfo(db, U(id), p);
    }

    QTemporaryDir dir;
    const std::string dbPath = (dir.path() + "/SysReg.db").toStdString();
};

} // namespace

TEST(Csv, RecordsFieldsAndQuotes) {
    struct Row {
        const char* name;
        const char* text;
        std::vector<CsvRow> rows;
    } cases[] = {
        {"plain", "A,B\n1,2\n", {{"A", "B"}, {"1", "2"}}},
        {"CRLF and no final break", "A,B\r\n1,2", {{"A", "B"}, {"1", "2"}}},
        {"empty fields", "A,,C\n,,\n", {{"A", "", "C"}, {"", "", ""}}},
        {"quoted comma, quote and line break",
         "\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\"\n",
         {{"a,b", "say \"hi\"", "two\nlines"}}},
        {"blank lines hold no record", "A\n\n1\n\n", {{"A"}, {"1"}}},
    };
    for (const auto& c : cases) {
        std::vector<CsvRow> rows;
        std::string error;
        ASSERT_TRUE(ParseCsv(c.text, rows, error)) << c.name << ": " << error;
        EXPECT_EQ(rows, c.rows) << c.name;
    }
    std::vector<CsvRow> rows;
    std::string error;
    EXPECT_FALSE(ParseCsv("A,B\n\"open,2\n", rows, error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_FALSE(ParseCsv("\"a\"b,c\n", rows, error));
}

TEST(Csv, Utf8WithBomOrGbk) {
    EXPECT_EQ(CsvTextAsUtf8("\xEF\xBB\xBF"
                            "A,张三"),
              "A,张三");
    EXPECT_EQ(CsvTextAsUtf8("A,张三"), "A,张三");
    EXPECT_EQ(CsvTextAsUtf8(Utf8ToAnsi("A,张三")), "A,张三");
}

TEST_F(PersonImportTest, ImportedPersonsAreFoundByIdNumber) {
    const std::string csv = "B,A,I,AF,AM,BO\n"
                            "110101198005070011,张三,男,山东省,青岚市,\"案,1\"\n"
                            "110101198105070022,李四,女,,,\n";
    std::string error;
    int imported = 0;
    ASSERT_TRUE(ImportPersons(dbPath, writeCsv(csv), false, error, &imported)) << error;
    EXPECT_EQ(imported, 2);
    PersonInfo p;
    ASSERT_TRUE(find("110101198005070011", p));
    EXPECT_EQ(p.fields[1], U("张三"));
    EXPECT_EQ(p.fields[2], U("男"));
    EXPECT_EQ(p.fields[13], U("山东省青岚市"));
    EXPECT_EQ(p.fields[18], U("案,1"));
    EXPECT_FALSE(find("999", p));

    // Importing again adds; --replace starts over.
    ASSERT_TRUE(ImportPersons(dbPath, writeCsv(csv), false, error)) << error;
    EXPECT_EQ(persons(), 4);
    ASSERT_TRUE(ImportPersons(dbPath, writeCsv("b\n1\n"), true, error)) << error;
    EXPECT_EQ(persons(), 1);
}

TEST_F(PersonImportTest, BadFilesImportNothing) {
    struct Row {
        const char* name;
        const char* csv;
        const char* message;
    } cases[] = {
        {"unknown header", "B,姓名\n1,张三\n", "not a column of person_info"},
        {"header twice", "B,A,B\n1,2,3\n", "twice"},
        {"too many fields", "B,A\n1,张三\n2,李四,多余\n", "more fields"},
        {"open quote", "B,A\n1,\"张三\n", "not closed"},
        {"empty file", "", "no header"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ImportPersons(dbPath, writeCsv(c.csv), false, error)) << c.name;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(persons(), 0) << c.name;
    }
    std::string error;
    EXPECT_FALSE(ImportPersons(dbPath, (dir.path() + "/missing.csv").toStdString(), false, error));
    EXPECT_FALSE(
        ImportPersons((dir.path() + "/none.db").toStdString(), writeCsv("B\n1\n"), false, error));
}

TEST_F(PersonImportTest, CommandLine) {
    const std::string csv = writeCsv("B,A\n1,张三\n");
    const std::string command = std::string(JYX_PROGRAM_DIR "/jyx-admin import-persons --db '") +
                                dbPath + "' '" + csv + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    char buffer[512];
    std::string output;
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_NE(output.find("Imported 1 persons"), std::string::npos) << output;
    EXPECT_EQ(persons(), 1);
}
