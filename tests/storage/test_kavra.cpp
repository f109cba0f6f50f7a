// Tests of the storage library: connection, record set, table and field.
#include "storage/Kavra.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A fresh directory below the system temp path, removed with the object.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path =
            fs::temp_directory_path() / ("kavra-" + std::to_string(getpid()) + "-" +
                                         std::to_string(stamp) + "-" + std::to_string(counter++));
        fs::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

std::string FileHead(const std::string& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), std::streamsize(n));
    bytes.resize(size_t(in.gcount()));
    return bytes;
}

// An open connection on a new file with a small table t(id, name, note, data):
// (1,'one',NULL,NULL) (2,'two','x',NULL) (3,'three',NULL,NULL).
class KavraTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(db.Open(dir.file("test.db").c_str()), 0) << db.LastErrorMessage();
        ASSERT_EQ(db.ExecuteCmd("create table t (id integer, name text, note text, data blob);"
                                "insert into t (id, name) values (1, 'one');"
                                "insert into t values (2, 'two', 'x', NULL);"
                                "insert into t (id, name) values (3, 'three');"),
                  1);
    }
    int Count(const char* where = "") {
        return db.GetExecScalarRows(("select count(*) from t " + std::string(where)).c_str());
    }

    TempDir dir;
    CDBConnection db;
};

// ------------------------------------------------------------ connection

TEST(KavraConnection, ClosedConnectionAnswersWithFailureValues) {
    CDBConnection db;
    EXPECT_EQ(db.GetBusyTimeOut(), 60000);

    CDBRecordSet set = db.ExecuteQuery("select 1");
    EXPECT_TRUE(set.IsEof());
    EXPECT_FALSE(set.IsOpen());
    EXPECT_EQ(set.GetFieldNums(), -1);
    EXPECT_STREQ(set.GetStringValue(0), "");
    EXPECT_NE(db.LastResultCode(), 0);
    EXPECT_FALSE(db.LastErrorMessage().empty());

    EXPECT_EQ(db.ExecuteCmd("select 1"), -1);
    EXPECT_EQ(db.GetExecScalarRows("select 7"), 0);
    EXPECT_EQ(db.GetLastInserRowID(), -1);
    EXPECT_EQ(db.GetLastInsertRowID(), -1);
    EXPECT_EQ(db.Changes(), -1);
    EXPECT_NE(db.CommitBegin(), 0);
    EXPECT_FALSE(db.TableExists("t"));
    char byte = 1;
    EXPECT_FALSE(db.ExcuteBolbInfo("insert into t values (?)", &byte, 1));
    CDBParam p = CDBParam::null();
    EXPECT_FALSE(db.ExcuteBolbInfo("insert into t values (?)", &p, 1));
}

TEST_F(KavraTest, OpenNullPathKeepsTheOpenDatabase) {
    EXPECT_EQ(db.Open(nullptr), -1);
    EXPECT_EQ(Count(), 3);
}

TEST_F(KavraTest, SecondOpenClosesTheFirstDatabase) {
    ASSERT_EQ(db.Open(dir.file("other.db").c_str()), 0);
    EXPECT_FALSE(db.TableExists("t"));
    ASSERT_EQ(db.Open(dir.file("test.db").c_str()), 0);
    EXPECT_EQ(Count(), 3);
}

TEST_F(KavraTest, BusyTimeOutSurvivesCloseAndCopyTransfersTheHandle) {
    db.SetBusyTimeOut(1234);
    db.Close();
    EXPECT_EQ(db.GetBusyTimeOut(), 1234);
    EXPECT_EQ(db.ExecuteCmd("select 1"), -1);
    ASSERT_EQ(db.Open(dir.file("test.db").c_str()), 0);

    CDBConnection copy(db);
    EXPECT_EQ(copy.GetBusyTimeOut(), 1234);
    EXPECT_EQ(db.Handle(), nullptr);
    EXPECT_EQ(copy.GetExecScalarRows("select count(*) from t"), 3);

    CDBConnection assigned;
    assigned = copy;
    EXPECT_EQ(copy.Handle(), nullptr);
    EXPECT_EQ(assigned.GetExecScalarRows("select count(*) from t"), 3);
}

TEST(KavraConnection, LongAndNonAsciiPathsOpen) {
    TempDir dir;
    fs::path deep = dir.path();
    while (deep.string().size() < 400)
        deep /= std::string(60, 'd');
    deep /= "笔录 数据";
    fs::create_directories(deep);
    std::string path = (deep / "SysReg.db").string();
    ASSERT_GT(path.size(), 400u);

    CDBConnection db;
    ASSERT_EQ(db.Open(path.c_str()), 0) << db.LastErrorMessage();
    EXPECT_EQ(db.ExecuteCmd("create table a (x)"), 0);
    db.Close();
    EXPECT_TRUE(fs::exists(path));
    ASSERT_EQ(db.Open(path.c_str()), 0);
    EXPECT_TRUE(db.TableExists("a"));
}

TEST(KavraConnection, FileIsEncrypted) {
    TempDir dir;
    std::string path = dir.file("SysReg.db");
    {
        CDBConnection db;
        ASSERT_EQ(db.Open(path.c_str()), 0);
        ASSERT_EQ(db.ExecuteCmd("create table secret (v text); insert into secret values "
                                "('plain text marker');"),
                  1);
    }
    std::string head = FileHead(path, 16);
    ASSERT_EQ(head.size(), 16u);
    EXPECT_NE(head, std::string("SQLite format 3\0", 16));

    // Without the key SQLite cannot read it...
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, "select count(*) from sqlite_master", nullptr, nullptr, nullptr),
              SQLITE_NOTADB);
    sqlite3_close(raw);

    // ...and with the library's key it reads back.
    CDBConnection again;
    ASSERT_EQ(again.Open(path.c_str()), 0);
    CDBRecordSet set = again.ExecuteQuery("select v from secret");
    EXPECT_STREQ(set.GetStringValue(0), "plain text marker");
}

// A file the library's key does not open: Open fails with a code and a
// message, and the connection is closed rather than half open.
TEST(KavraConnection, WrongKeyFailsOpenCleanly) {
    TempDir dir;
    std::string otherKey = dir.file("other-key.db");
    std::string plain = dir.file("plain.db");
    std::string garbage = dir.file("garbage.db");
    for (const auto& [path, key] :
         {std::pair{otherKey, std::string("secret")}, std::pair{plain, std::string()}}) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        if (!key.empty())
            sqlite3_key(raw, key.data(), int(key.size()));
        ASSERT_EQ(sqlite3_exec(raw, "create table x (v); insert into x values (1);", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
    }
    std::ofstream(garbage, std::ios::binary) << std::string(4096, '\x5a');

    for (const std::string& path : {otherKey, plain, garbage}) {
        SCOPED_TRACE(path);
        CDBConnection db;
        int rc = db.Open(path.c_str());
        EXPECT_NE(rc, 0);
        EXPECT_EQ(db.LastResultCode(), rc);
        EXPECT_FALSE(db.LastErrorMessage().empty());
        EXPECT_EQ(db.Handle(), nullptr);
        CDBRecordSet set = db.ExecuteQuery("select v from x");
        EXPECT_TRUE(set.IsEof());
        EXPECT_EQ(db.ExecuteCmd("select 1"), -1);
    }
}

TEST(KavraConnection, OpenOnAMissingFolderFails) {
    TempDir dir;
    CDBConnection db;
    std::string path = dir.file("no/such/folder/x.db");
    EXPECT_NE(db.Open(path.c_str()), 0);
    EXPECT_EQ(db.Handle(), nullptr);
    EXPECT_FALSE(db.LastSucceeded());
}

// ------------------------------------------------------------ statements

TEST_F(KavraTest, UpdateThroughExecuteQueryIsDoneWhenItReturns) {
    CDBRecordSet set = db.ExecuteQuery("update t set note = 'u' where id >= 2");
    EXPECT_TRUE(db.LastSucceeded());
    EXPECT_EQ(db.Changes(), 2);
    EXPECT_TRUE(set.IsEof());
    EXPECT_EQ(set.GetFieldNums(), 0);
    EXPECT_EQ(Count("where note = 'u'"), 2);
}

TEST_F(KavraTest, FinishedWriteIsNotRunAgainByMoving) {
    CDBRecordSet set = db.ExecuteQuery("insert into t (id) values (9)");
    EXPECT_FALSE(set.MoveNext());
    EXPECT_FALSE(set.MoveNext());
    EXPECT_FALSE(set.MoveFirst());
    EXPECT_EQ(Count("where id = 9"), 1);
}

TEST_F(KavraTest, ExecuteQueryRunsOnlyTheFirstStatementExecuteCmdAll) {
    const char* two = "update t set note = 'a' where id = 1; update t set note = 'b' where id >= 2";
    db.ExecuteQuery(two);
    EXPECT_EQ(Count("where note = 'a'"), 1);
    EXPECT_EQ(Count("where note = 'b'"), 0);

    EXPECT_EQ(db.ExecuteCmd(two), 2);
    EXPECT_EQ(Count("where note = 'b'"), 2);
}

TEST_F(KavraTest, QueryWithoutRowsCannotBeRewound) {
    CDBRecordSet set = db.ExecuteQuery("select * from t where id > 100");
    EXPECT_TRUE(db.LastSucceeded());
    EXPECT_TRUE(set.IsEof());
    EXPECT_EQ(set.GetFieldNums(), 4);
    EXPECT_FALSE(set.MoveFirst());
    EXPECT_FALSE(set.Reset());
    EXPECT_FALSE(set.MoveNext());
}

TEST_F(KavraTest, ReadToTheEndThenRewind) {
    CDBRecordSet set = db.ExecuteQuery("select id, name from t order by id");
    std::string names;
    while (!set.IsEof()) {
        names += set.GetStringValue(1);
        names += ',';
        set.MoveNext();
    }
    EXPECT_EQ(names, "one,two,three,");
    EXPECT_FALSE(set.MoveNext());
    EXPECT_TRUE(set.IsEof());
    EXPECT_EQ(set.LastStepResult(), SQLITE_DONE);

    ASSERT_TRUE(set.MoveFirst());
    EXPECT_FALSE(set.IsEof());
    EXPECT_EQ(set.GetIntValue(0), 1);
    ASSERT_TRUE(set.MoveNext());
    ASSERT_TRUE(set.Reset());
    EXPECT_STREQ(set.GetStringValue("name"), "one");
}

// A step that fails part-way ends the reading loop instead of repeating it.
TEST_F(KavraTest, FailedStepEndsTheRows) {
    db.ExecuteCmd("create table big (v integer);"
                  "insert into big values (5), (-9223372036854775807 - 1), (6);");
    CDBRecordSet set = db.ExecuteQuery("select abs(v) from big order by rowid");
    ASSERT_FALSE(set.IsEof());
    EXPECT_EQ(set.GetIntValue(0), 5);
    EXPECT_FALSE(set.MoveNext());
    EXPECT_TRUE(set.IsEof());
    EXPECT_EQ(set.LastStepResult(), SQLITE_ERROR);

    CDBRecordSet first = db.ExecuteQuery("select abs(v) from big where v < 0");
    EXPECT_TRUE(first.IsEof());
    EXPECT_EQ(db.LastResultCode(), SQLITE_ERROR);
    EXPECT_NE(db.LastErrorMessage().find("overflow"), std::string::npos);
}

TEST_F(KavraTest, EmptyOrCommentOnlyTextGivesAnEmptySet) {
    for (const char* sql : {"", "  ", "-- nothing"}) {
        CDBRecordSet set = db.ExecuteQuery(sql);
        EXPECT_FALSE(set.IsOpen()) << sql;
        EXPECT_TRUE(set.IsEof());
        EXPECT_FALSE(set.MoveFirst());
    }
}

TEST_F(KavraTest, FailingStatementsReportCodeAndMessage) {
    CDBRecordSet set = db.ExecuteQuery("select * from missing");
    EXPECT_TRUE(set.IsEof());
    EXPECT_EQ(db.LastResultCode(), SQLITE_ERROR);
    EXPECT_NE(db.LastErrorMessage().find("no such table: missing"), std::string::npos);

    db.ExecuteQuery("select 1");
    EXPECT_TRUE(db.LastSucceeded());
    EXPECT_TRUE(db.LastErrorMessage().empty());

    EXPECT_EQ(db.ExecuteCmd("insert into missing values (1)"), -1);
    EXPECT_EQ(db.LastResultCode(), SQLITE_ERROR);
    EXPECT_NE(db.LastErrorMessage().find("missing"), std::string::npos);

    CDBParam p = CDBParam::text("v");
    EXPECT_FALSE(db.ExcuteBolbInfo("insert into missing values (?)", &p, 1));
    EXPECT_EQ(db.LastResultCode(), SQLITE_ERROR);

    char byte = 0;
    EXPECT_FALSE(db.ExcuteBolbInfo("insert into missing values (?)", &byte, 1));
    EXPECT_EQ(db.LastResultCode(), SQLITE_ERROR);
}

TEST_F(KavraTest, ConstraintFailureOfAStepIsReported) {
    db.ExecuteCmd("create table u (k text unique)");
    CDBParam p = CDBParam::text("same");
    EXPECT_TRUE(db.ExcuteBolbInfo("insert into u values (?)", &p, 1));
    EXPECT_FALSE(db.ExcuteBolbInfo("insert into u values (?)", &p, 1));
    EXPECT_EQ(db.LastResultCode(), SQLITE_CONSTRAINT);

    // The original blob form answers true once it has stepped, and leaves
    // the outcome of the step in LastResultCode.
    db.ExecuteCmd("create table ub (b blob unique)");
    char bytes[] = {1, 2};
    EXPECT_TRUE(db.ExcuteBolbInfo("insert into ub values (?)", bytes, 2));
    EXPECT_TRUE(db.LastSucceeded());
    EXPECT_TRUE(db.ExcuteBolbInfo("insert into ub values (?)", bytes, 2));
    EXPECT_EQ(db.LastResultCode(), SQLITE_CONSTRAINT);
}

TEST_F(KavraTest, WrongParameterCountIsABindFailure) {
    CDBParam p[2] = {CDBParam::text("a"), CDBParam::text("b")};
    EXPECT_FALSE(db.ExcuteBolbInfo("insert into t (name) values (?)", p, 2));
    EXPECT_EQ(db.LastResultCode(), SQLITE_RANGE);
    CDBRecordSet set = db.ExecuteQuery("select * from t where name = ?", p, 2);
    EXPECT_FALSE(set.IsOpen());
    EXPECT_EQ(db.LastResultCode(), SQLITE_RANGE);
    EXPECT_EQ(Count(), 3);
}

TEST_F(KavraTest, QuotedValueRoundTripsThroughBoundParameters) {
    const std::string name = "O'Brien \"x\"; drop table t; --";
    CDBParam in[2] = {CDBParam::text(name), CDBParam::null()};
    ASSERT_TRUE(db.ExcuteBolbInfo("insert into t (id, name, note) values (7, ?, ?)", in, 2));
    EXPECT_EQ(db.Changes(), 1);
    EXPECT_EQ(db.GetLastInsertRowID(), 4);
    EXPECT_EQ(db.GetLastInserRowID(), 4);

    CDBRecordSet set;
    {
        // The set outlives the bound text: the library must have copied it.
        std::string key = name;
        CDBParam p = CDBParam::text(key);
        set = db.ExecuteQuery("select id, note from t where name = ?", &p, 1);
        key.assign(key.size(), '#');
    }
    ASSERT_FALSE(set.IsEof());
    EXPECT_EQ(set.GetIntValue(0), 7);
    EXPECT_TRUE(set.FieldIsNull(1));
    EXPECT_FALSE(set.MoveNext());
    EXPECT_TRUE(set.MoveFirst());
    EXPECT_EQ(set.GetIntValue(0), 7);
}

TEST_F(KavraTest, BlobRoundTripsByteExact) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes.push_back(char((i * 31) & 0xff));
    bytes.push_back('\0');

    ASSERT_TRUE(
        db.ExcuteBolbInfo("update t set data = ? where id = 1", bytes.data(), int(bytes.size())));
    CDBParam p[2] = {CDBParam::blob(bytes.data(), int(bytes.size())), CDBParam::text("two")};
    ASSERT_TRUE(db.ExcuteBolbInfo("update t set data = ? where name = ?", p, 2));

    CDBRecordSet set = db.ExecuteQuery("select data from t where data is not null order by id");
    for (int row = 0; row < 2; ++row) {
        ASSERT_FALSE(set.IsEof());
        int size = -1;
        const unsigned char* got = set.GetBlobValue(0, size);
        ASSERT_EQ(size, int(bytes.size()));
        EXPECT_EQ(std::memcmp(got, bytes.data(), bytes.size()), 0);
        EXPECT_EQ(set.FieldDataType(0), SQLITE_BLOB);
        set.MoveNext();
    }
    EXPECT_TRUE(set.IsEof());
}

// Statements of ExcuteBolbInfo are kept compiled between calls; the table
// they write may change shape or go away meanwhile.
TEST_F(KavraTest, ReusedWriteStatementsFollowTheSchema) {
    const char* insert = "insert into w (a) values (?)";
    db.ExecuteCmd("create table w (a text)");
    for (int i = 0; i < 50; ++i) {
        std::string v = "v" + std::to_string(i);
        CDBParam p = CDBParam::text(v);
        ASSERT_TRUE(db.ExcuteBolbInfo(insert, &p, 1)) << db.LastErrorMessage();
    }
    EXPECT_EQ(db.GetExecScalarRows("select count(distinct a) from w"), 50);

    // The kept statement must not hold the table: dropping it works.
    EXPECT_NE(db.ExecuteCmd("drop table w"), -1) << db.LastErrorMessage();
    CDBParam p = CDBParam::text("gone");
    EXPECT_FALSE(db.ExcuteBolbInfo(insert, &p, 1));
    EXPECT_EQ(db.LastResultCode(), SQLITE_ERROR);

    db.ExecuteCmd("create table w (a integer, b text default 'd')");
    p = CDBParam::text("5");
    ASSERT_TRUE(db.ExcuteBolbInfo(insert, &p, 1)) << db.LastErrorMessage();
    CDBRecordSet set = db.ExecuteQuery("select a, b from w");
    EXPECT_EQ(set.FieldDataType(0), SQLITE_INTEGER);
    EXPECT_STREQ(set.GetStringValue(1), "d");
}

TEST_F(KavraTest, UnboundPlaceholdersOfAReusedStatementAreNull) {
    const char* update = "update t set note = ? where id = ?";
    CDBParam both[2] = {CDBParam::text("first"), CDBParam::text("1")};
    ASSERT_TRUE(db.ExcuteBolbInfo(update, both, 2));
    // Only the first value this time: the second placeholder must not keep
    // the earlier "1" (it is NULL, so no row matches).
    CDBParam one = CDBParam::text("second");
    ASSERT_TRUE(db.ExcuteBolbInfo(update, &one, 1));
    EXPECT_EQ(db.Changes(), 0);
    EXPECT_EQ(Count("where note = 'first'"), 1);
}

TEST_F(KavraTest, KeptStatementsSurviveManyTextsAndReopening) {
    for (int i = 0; i < 100; ++i) {
        std::string sql = "update t set note = ? where id = " + std::to_string(i % 40);
        CDBParam p = CDBParam::text("n");
        ASSERT_TRUE(db.ExcuteBolbInfo(sql.c_str(), &p, 1));
    }
    EXPECT_EQ(Count("where note = 'n'"), 3);
    ASSERT_EQ(db.Open(dir.file("test.db").c_str()), 0);
    CDBParam p = CDBParam::text("m");
    ASSERT_TRUE(db.ExcuteBolbInfo("update t set note = ? where id = 1", &p, 1));
    CDBConnection moved(db);
    ASSERT_TRUE(moved.ExcuteBolbInfo("update t set note = ? where id = 1", &p, 1));
    EXPECT_FALSE(db.ExcuteBolbInfo("update t set note = ? where id = 1", &p, 1));
    EXPECT_EQ(moved.GetExecScalarRows("select count(*) from t where note = 'm'"), 1);
}

// ------------------------------------------------------------ reading values

TEST_F(KavraTest, NullAndMissingValuesOfARecordSet) {
    CDBRecordSet set = db.ExecuteQuery("select id, name, note from t where id = 1");
    ASSERT_FALSE(set.IsEof());
    struct Case {
        int column;
        const char* string;
        bool value;
        bool isNull;
        int type;
    };
    const Case cases[] = {
        {0, "1", true, false, SQLITE_INTEGER}, {1, "one", true, false, SQLITE_TEXT},
        {2, "", false, true, SQLITE_NULL},     {3, "", false, true, SQLITE_NULL},
        {-1, "", false, true, SQLITE_NULL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_STREQ(set.GetStringValue(c.column), c.string);
        EXPECT_EQ(set.FieldValue(c.column) != nullptr, c.value);
        EXPECT_EQ(set.FieldIsNull(c.column), c.isNull);
        EXPECT_EQ(set.FieldDataType(c.column), c.type);
        if (c.isNull) {
            EXPECT_EQ(set.GetIntValue(c.column), 0);
            EXPECT_EQ(set.GetInt64Value(c.column), 0);
            EXPECT_EQ(set.GetDoubleValue(c.column), 0.0);
        }
    }
    EXPECT_STREQ(set.FieldName(2), "note");
    EXPECT_STREQ(set.FieldDeclType(1), "text");
    EXPECT_EQ(set.FieldName(3), nullptr);
    EXPECT_EQ(set.FieldDeclType(-1), nullptr);
}

TEST_F(KavraTest, ColumnsAreFoundByExactName) {
    CDBRecordSet set = db.ExecuteQuery("select id, name as Label from t where id = 2");
    EXPECT_EQ(set.FieldIndex("Label"), 1);
    EXPECT_EQ(set.FieldIndex("label"), -1);
    EXPECT_EQ(set.FieldIndex("ID"), -1);
    EXPECT_EQ(set.FieldIndex(nullptr), -1);
    EXPECT_STREQ(set.GetStringValue("Label"), "two");
    EXPECT_STREQ(set.GetStringValue("label"), "");
    EXPECT_EQ(set.FieldValue("label"), nullptr);
    EXPECT_EQ(set.GetInt64Value("id"), 2);
    EXPECT_EQ(set.GetDoubleValue("id"), 2.0);
}

TEST_F(KavraTest, BlobGetterLeavesSizeAloneWhenNotFound) {
    CDBRecordSet set = db.ExecuteQuery("select data from t where id = 1");
    int size = 42;
    EXPECT_EQ(set.GetBlobValue(1, size), nullptr);
    EXPECT_EQ(size, 42);
    EXPECT_EQ(set.GetBlobValue("nope", size), nullptr);
    EXPECT_EQ(size, 42);
    EXPECT_EQ(set.GetBlobValue("data", size), nullptr); // NULL value
    EXPECT_EQ(size, 0);
}

TEST_F(KavraTest, TableExists) {
    const char* create = "create table if not exists jyx_type (jyxtype text,jyxname text,"
                         "jyxcontent text)";
    EXPECT_FALSE(db.TableExists("jyx_type"));
    db.ExecuteQuery(create);
    EXPECT_TRUE(db.TableExists("jyx_type"));
    EXPECT_FALSE(db.TableExists("JYX_TYPE_other"));
    EXPECT_FALSE(db.TableExists(nullptr));

    // Names are compared as values, so quotes and great lengths are harmless.
    std::string longName(300, 'n');
    EXPECT_FALSE(db.TableExists(longName.c_str()));
    db.ExecuteCmd(("create table " + longName + " (x)").c_str());
    EXPECT_TRUE(db.TableExists(longName.c_str()));
    EXPECT_FALSE(db.TableExists("t' or '1'='1"));
}

TEST_F(KavraTest, ScalarRows) {
    db.ExecuteCmd("create table empty (x)");
    EXPECT_EQ(db.GetExecScalarRows("select count(*) from empty"), 0);
    EXPECT_EQ(db.GetExecScalarRows("select count(* from t"), 0);
    EXPECT_EQ(db.GetExecScalarRows("select note from t where id = 1"), 0);
    EXPECT_EQ(db.GetExecScalarRows("select id from t where id > 100"), 0);
    EXPECT_EQ(db.GetExecScalarRows("select count(*) from t"), 3);
}

TEST_F(KavraTest, TransactionCommands) {
    EXPECT_EQ(db.CommitBegin(), SQLITE_OK);
    db.ExecuteQuery("delete from t");
    EXPECT_EQ(db.CommitEnd(), SQLITE_OK);
    EXPECT_EQ(Count(), 0);
    EXPECT_NE(db.CommitEnd(), SQLITE_OK); // no transaction open
    EXPECT_FALSE(db.LastErrorMessage().empty());
}

TEST_F(KavraTest, RecordSetAssignmentTransfersTheStatement) {
    CDBRecordSet a = db.ExecuteQuery("select id from t order by id");
    ASSERT_TRUE(a.MoveNext());
    CDBRecordSet b;
    b = a;
    EXPECT_FALSE(a.IsOpen());
    EXPECT_TRUE(a.IsEof());
    EXPECT_EQ(a.GetFieldNums(), -1);
    ASSERT_TRUE(b.IsOpen());
    EXPECT_EQ(b.GetIntValue(0), 2);
    ASSERT_TRUE(b.MoveNext());
    EXPECT_EQ(b.GetIntValue(0), 3);

    CDBRecordSet c(b);
    EXPECT_FALSE(b.IsOpen());
    EXPECT_EQ(c.GetIntValue(0), 3);
    c = c;
    EXPECT_TRUE(c.IsOpen());
    c.FreeRecordSet();
    EXPECT_FALSE(c.IsOpen());
    EXPECT_TRUE(c.IsEof());
}

// ------------------------------------------------------------ CDBTable

class KavraTableTest : public KavraTest {
protected:
    CDBTable Load(const char* sql) {
        char** result = nullptr;
        int rows = 0;
        int columns = 0;
        EXPECT_EQ(sqlite3_get_table(db.Handle(), sql, &result, &rows, &columns, nullptr),
                  SQLITE_OK);
        return CDBTable(result, columns, rows);
    }
};

TEST_F(KavraTableTest, MovesForwardAndBackward) {
    CDBTable table = Load("select id, name from t order by id");
    EXPECT_EQ(table.GetFieldNums(), 2);
    EXPECT_EQ(table.GetRowNums(), 3);
    EXPECT_STREQ(table.GetColumnCaption(1), "name");
    EXPECT_EQ(table.GetColumnCaption(2), nullptr);
    EXPECT_TRUE(table.IsBof());
    EXPECT_EQ(table.FieldValue(0), nullptr); // not on a row yet

    EXPECT_TRUE(table.MoveLast());
    EXPECT_STREQ(table.GetStringValue("name"), "three");
    EXPECT_TRUE(table.MoveNext());
    EXPECT_TRUE(table.IsEof());
    EXPECT_EQ(table.FieldValue(0), nullptr);
    EXPECT_FALSE(table.MoveNext());

    EXPECT_TRUE(table.MoveFirst());
    EXPECT_STREQ(table.FieldValue(1), "one");
    EXPECT_TRUE(table.MovePrive());
    EXPECT_TRUE(table.IsBof());
    EXPECT_FALSE(table.MovePrive());

    EXPECT_TRUE(table.MoveTo(1));
    EXPECT_EQ(table.GetIntValue("id"), 2);
    EXPECT_FALSE(table.MoveTo(3));
    EXPECT_FALSE(table.MoveTo(-1));
    EXPECT_EQ(table.GetIntValue(0), 2);
}

TEST_F(KavraTableTest, ValuesReadAsNumbers) {
    CDBTable table =
        Load("select '12abc' as a, NULL as b, '2.5x' as c, 'abc' as d, ' -7' as e from t limit 1");
    ASSERT_TRUE(table.MoveFirst());
    struct Case {
        const char* column;
        int asInt;
        double asDouble;
        bool isNull;
    };
    const Case cases[] = {
        {"a", 12, 12.0, false}, {"b", -1, 0.0, true},   {"c", 2, 2.5, false},
        {"d", 0, 0.0, false},   {"e", -7, -7.0, false}, {"missing", -1, 0.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(table.GetIntValue(c.column), c.asInt);
        EXPECT_EQ(table.GetDoubleValue(c.column), c.asDouble);
        EXPECT_EQ(table.FieldIsNull(c.column), c.isNull);
    }
    EXPECT_EQ(table.GetIntValue(1), -1);
    EXPECT_TRUE(table.FieldIsNull(9));
    EXPECT_EQ(table.GetStringValue(nullptr), nullptr);

    // A record set reads the same NULL as 0.
    CDBRecordSet set = db.ExecuteQuery("select NULL");
    EXPECT_EQ(set.GetIntValue(0), 0);
}

TEST_F(KavraTableTest, OwnershipMovesWithCopiesAndFreeEmpties) {
    CDBTable a = Load("select id from t");
    ASSERT_TRUE(a.MoveTo(2));
    CDBTable b(a);
    EXPECT_FALSE(a.IsOpen());
    EXPECT_EQ(a.GetRowNums(), -1);
    EXPECT_TRUE(b.IsBof()); // a table that receives an array starts before its rows

    CDBTable c = Load("select name from t");
    c = b;
    EXPECT_FALSE(b.IsOpen());
    EXPECT_EQ(c.GetRowNums(), 3);
    EXPECT_TRUE(c.IsBof());

    c.FreeTable();
    EXPECT_FALSE(c.IsOpen());
    EXPECT_EQ(c.GetFieldNums(), -1);
    EXPECT_FALSE(c.MoveTo(0));
    EXPECT_TRUE(c.IsBof());

    CDBTable empty;
    EXPECT_EQ(empty.GetRowNums(), -1);
    EXPECT_TRUE(empty.FieldIsNull(0));
}

// ------------------------------------------------------------ CDBField

TEST(KavraField, DefaultFieldHasNoValue) {
    CDBField field;
    EXPECT_EQ(field.AsString(), nullptr);
    EXPECT_EQ(field.AsDouble(), 0.0);
    EXPECT_EQ(field.AsFloat(), 0.0f);
    EXPECT_EQ(field.AsInt(), 0);
    EXPECT_EQ(field.AsLong(), 0);
    EXPECT_EQ(field.AsShort(), 0);
    EXPECT_EQ(field.AsULong(), 0u);
    EXPECT_EQ(field.AsByte(), 0);
    EXPECT_FALSE(field.AsBool());
}

TEST_F(KavraTest, FieldReadsTheCurrentRowByName) {
    CDBRecordSet set = db.ExecuteQuery("select 258 as n, 2.5 as d, NULL as z, -3 as m");
    CDBField n(&set, "n");
    EXPECT_STREQ(n.AsString(), "258");
    EXPECT_EQ(n.AsInt(), 258);
    EXPECT_EQ(n.AsLong(), 258);
    EXPECT_EQ(n.AsShort(), 258);
    EXPECT_EQ(n.AsByte(), 2);
    EXPECT_TRUE(n.AsBool());
    EXPECT_FLOAT_EQ(CDBField(&set, "d").AsFloat(), 2.5f);
    EXPECT_FALSE(CDBField(&set, "m").AsBool());

    for (const char* name : {"z", "absent"}) {
        CDBField f(&set, name);
        EXPECT_STREQ(f.AsString(), "") << name;
        EXPECT_EQ(f.AsInt(), 0);
        EXPECT_EQ(f.AsDouble(), 0.0);
    }

    CDBField copy(n);
    EXPECT_EQ(copy.AsInt(), 258);
    EXPECT_EQ(n.AsInt(), 258);
    CDBField taken;
    taken = n;
    EXPECT_EQ(taken.AsInt(), 258);
    EXPECT_EQ(n.AsString(), nullptr);
}

} // namespace
