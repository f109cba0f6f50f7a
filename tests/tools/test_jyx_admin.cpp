// The delivered database as jyx-admin writes it: schema, rows, encryption,
// the account row, and the tool's refusals.
#include "app/Clock.h"
#include "text/TextCodec.h"
#include "tools/jyx-admin/AdminDb.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {

const std::string kDataDir = JYX_SOURCE_DIR "/resources/data";
const std::string kTool = JYX_PROGRAM_DIR "/jyx-admin";

struct RunResult {
    int status = -1;
    std::string output;
};

// Runs the tool with `args` (already quoted), stdout and stderr together.
RunResult RunTool(const std::string& args) {
    RunResult r;
    FILE* pipe = ::popen(("'" + kTool + "' " + args + " 2>&1").c_str(), "r");
    if (!pipe)
        return r;
    char buffer[512];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        r.output.append(buffer, n);
    int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every row of a query, each column as the stored bytes.
std::vector<std::vector<std::string>> Rows(CDBConnection& db, const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    CDBRecordSet set = db.ExecuteQuery(sql.c_str());
    for (; !set.IsEof(); set.MoveNext()) {
        std::vector<std::string> row;
        for (int i = 0; i < set.GetFieldNums(); ++i)
            row.emplace_back(set.GetStringValue(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

class DeliveredDb : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        path = dir->path().toStdString() + "/SysReg.db";
        FixedClock clock;
        DeliveredData data;
        std::string error;
        ASSERT_TRUE(LoadDeliveredData(kDataDir, clock.now(), data, error)) << error;
        ASSERT_TRUE(CreateDeliveredDb(path, data, false, error)) << error;
    }
    static void TearDownTestSuite() { delete dir; }
    void SetUp() override { ASSERT_EQ(db.Open(path.c_str()), 0) << db.LastErrorMessage(); }

    static QTemporaryDir* dir;
    static std::string path;
    CDBConnection db;
};
QTemporaryDir* DeliveredDb::dir = nullptr;
std::string DeliveredDb::path;

TEST_F(DeliveredDb, EveryTableHasItsColumnsInOrder) {
    for (const TableDef* table : schema::all()) {
        auto info = Rows(db, std::string("PRAGMA table_info(") + table->name + ")");
        ASSERT_EQ(info.size(), table->columns.size()) << table->name;
        for (std::size_t i = 0; i < info.size(); ++i) {
            EXPECT_EQ(info[i][1], table->columns[i].name) << table->name << " #" << i;
            const char* type = table->columns[i].encoding == ColumnEncoding::Blob ? "blob" : "text";
            EXPECT_EQ(info[i][2], type) << table->name << "." << info[i][1];
        }
    }
    auto letters = Rows(db, "PRAGMA table_info(person_info)");
    EXPECT_EQ(letters.front()[1], "A");
    EXPECT_EQ(letters.back()[1], "BO");
}

TEST_F(DeliveredDb, HoldsTheRowsTheProgramExpectsAndNoAccount) {
    EXPECT_EQ(Rows(db, "select * from jyx_config"),
              (std::vector<std::vector<std::string>>{{"", "1", "0"}}));
    EXPECT_TRUE(Rows(db, "select * from jyx_register").empty());

    auto formats = Rows(db, "select * from jyx_format");
    ASSERT_EQ(formats.size(), 13u);
    std::set<std::string> types;
    for (const auto& row : formats) {
        types.insert(AnsiToUtf8(row[1]));
        EXPECT_EQ(row[2], "宋体");
        // The format dialog updates every row at once: they start out equal too.
        EXPECT_EQ(std::vector<std::string>(row.begin() + 2, row.end()),
                  std::vector<std::string>(formats[0].begin() + 2, formats[0].end()));
    }
    for (const char* type : {"社区矫正笔录", "烟草局笔录", "行政笔录", "违规调查笔录", "合议笔录"})
        EXPECT_TRUE(types.count(type)) << type;
    EXPECT_EQ(formats[0][3], "12"); // 宋体 12 pt, 10 mm: the page model's row pitch
    EXPECT_EQ(formats[0][4], "10");
}

TEST_F(DeliveredDb, KindsCarryHeadingTemplatesWithKnownLabels) {
    auto kinds = Rows(db, "select * from jyx_type");
    ASSERT_FALSE(kinds.empty());
    // The fallback of the heading look-up is the first row: the tobacco inquiry.
    EXPECT_EQ(kinds[0][0], "烟草局笔录");
    EXPECT_EQ(kinds[0][1], "询问笔录");
    std::set<std::string> correction;
    for (const auto& row : kinds) {
        EXPECT_NE(row[2].find(":"), std::string::npos) << row[0] << "/" << row[1];
        if (row[0] == "社区矫正笔录")
            correction.insert(row[1]);
    }
    for (const char* kind : {"询问笔录", "违规调查笔录(矫正对象)", "违规询问笔录(旁证)", "训诫笔录",
                             "奖励调查笔录(矫正对象)", "奖励询问笔录(旁证)", "调查评估笔录",
                             "解矫宣告笔录", "入矫宣告笔录", "合议笔录", "调查笔录"})
        EXPECT_TRUE(correction.count(kind)) << kind;
    EXPECT_EQ(
        Rows(db, "select * from jyx_type where jyxtype='行政笔录' and jyxname='询问笔录'").size(),
        1u);
}

// The keywords the editor fills; a template using any other "#" word would
// leave it in the transcript.
const std::set<std::string> kKeywords = {"#JGMC", "#*",    "#XM",   "#ZJHM",   "#XB",    "#MZ",
                                         "#NL",   "#CSRQ", "#ZZMM", "#GRLXDH", "#GZDW",  "#ZW",
                                         "#HJDZ", "#XZDZ", "#XWR1", "#XWR2",   "#JLR",   "#AJMC",
                                         "#DCR",  "#ZYM",  "#CH",   "#WMDD",   "#ZFZH1", "#ZFZH2"};

TEST_F(DeliveredDb, TemplatesUseTheEditorsFormat) {
    auto templates = Rows(db, "select modal_type1,modal_type2,modal_content,modal_createtime "
                              "from jyx_modal where modal_type2<>'回答'");
    ASSERT_GE(templates.size(), 3u);
    const std::regex keyword("#[A-Z0-9*]+");
    for (const auto& t : templates) {
        SCOPED_TRACE(t[1]);
        EXPECT_EQ(t[0], "烟草局笔录");
        EXPECT_EQ(t[3], "2026/01/02 03:04:05");
        std::size_t questions = 0, options = 0;
        std::istringstream lines(t[2]);
        std::string line, firstMarked;
        while (std::getline(lines, line)) {
            bool answer = line.find("被询问人：") != std::string::npos;
            bool question = !answer && line.find("询问人：") != std::string::npos;
            if (firstMarked.empty() && (answer || question))
                firstMarked = line;
            questions += question;
            options += line.find("~D") != std::string::npos;
            for (std::sregex_iterator m(line.begin(), line.end(), keyword), end; m != end; ++m) {
                EXPECT_TRUE(kKeywords.count(m->str())) << m->str();
                // Only answer texts are filled when the question list is applied.
                EXPECT_TRUE(answer) << line;
            }
        }
        // The first exchange answers the printed notice: its own row, kept as it is.
        EXPECT_EQ(firstMarked, "被询问人：清楚，不要求回避。");
        EXPECT_GE(questions, 8u);
        EXPECT_GE(options, 3u);
    }
    auto answers = Rows(db, "select modal_content from jyx_modal where modal_type2='回答'");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_NE(answers[0][0].find("\n"), std::string::npos);
    EXPECT_NE(answers[0][0].back(), '\n'); // no empty common answer at the end
}

TEST_F(DeliveredDb, DivisionCodesGiveTheBirthplace) {
    EXPECT_GT(Rows(db, "select * from jyx_location").size(), 3000u);
    // The birthplace look-up: the first row whose code contains the six digits,
    // column 0 without its first 7 bytes.
    const std::pair<const char*, const char*> cases[] = {
        {"370202", "山东省青岛市市南区"}, // county level
        {"370200", "山东省青岛市"},       // city level
        {"370000", "山东省"},             // province level
        {"110105", "北京市朝阳区"},       // municipality: no "市辖区" in between
        {"441900", "广东省东莞市"},       // city without counties: not repeated
    };
    for (const auto& [code, place] : cases) {
        auto rows = Rows(db, std::string("select * from jyx_location where jyx_code like '%") +
                                 code + "%'");
        ASSERT_EQ(rows.size(), 1u) << code;
        EXPECT_EQ(rows[0][0].substr(0, 7), std::string(code) + " ");
        EXPECT_EQ(rows[0][0].substr(7), place);
        EXPECT_EQ(rows[0][1], code);
    }
}

TEST_F(DeliveredDb, GbkColumnsHoldGbkBytesAndUtf8ColumnsUtf8) {
    auto rows =
        Rows(db, "select jyx_type,jyx_font from jyx_format where cast(jyx_type as blob)=x'" +
                     std::string("C9E7C7F8BDC3D5FDB1CAC2BC") + "'"); // 社区矫正笔录 in GBK
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Utf8ToAnsi("社区矫正笔录"));
    EXPECT_EQ(rows[0][1], "宋体"); // jyx_font is the UTF-8 column of the table
    EXPECT_EQ(Rows(db, "select jyxtype from jyx_type where jyxtype='社区矫正笔录'").size(), 12u);
}

TEST_F(DeliveredDb, FileIsEncrypted) {
    std::string head = FileBytes(path).substr(0, 16);
    EXPECT_NE(head, std::string("SQLite format 3\0", 16));
    if (fs::exists("/usr/bin/sqlite3")) {
        int status = std::system(("/usr/bin/sqlite3 " + Quote(path) +
                                  " 'select count(*) from sqlite_master' >/dev/null 2>&1")
                                     .c_str());
        EXPECT_NE(status, 0) << "a plain SQLite reader opened the file";
    }
}

TEST_F(DeliveredDb, SetAccountCreatesThenReplacesTheOneRow) {
    db.Close();
    std::string error;
    ASSERT_TRUE(SetAccount(path, {"张警官", "p'w 1", "张三", "370202199001011234"}, error))
        << error;
    ASSERT_TRUE(SetAccount(path, {"李警官", "新密码", "李四", "37020219900101123X"}, error))
        << error;
    ASSERT_EQ(db.Open(path.c_str()), 0);
    EXPECT_EQ(Rows(db, "select jyx_username,jyx_userxm,jyx_sfz,jyx_password from jyx_register"),
              (std::vector<std::vector<std::string>>{
                  {"李警官", "李四", "37020219900101123X", "新密码"}}));

    // Refusals change nothing.
    EXPECT_FALSE(SetAccount(path, {"", "x", "", ""}, error));
    EXPECT_FALSE(SetAccount(path + ".missing", {"a", "b", "c", "d"}, error));
    EXPECT_FALSE(fs::exists(path + ".missing"));
    EXPECT_EQ(Rows(db, "select jyx_username from jyx_register").size(), 1u);
}

TEST(JyxAdminCommand, CreatesOnlyWhereItMayAndSaysWhy) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string db = folder + "/SysReg.db";

    RunResult created = RunTool("create-db " + Quote(db));
    ASSERT_EQ(created.status, 0) << created.output;
    const std::string before = FileBytes(db);

    struct Case {
        std::string args;
        std::string message;
    } refusals[] = {
        {"create-db " + Quote(db), "--force"},
        {"create-db " + Quote(folder + "/none/SysReg.db"), "does not exist"},
        {"create-db " + Quote(folder), "is a folder"},
        {"create-db", "PATH"},
        {"info " + Quote(folder + "/none.db"), "no database file"},
        {"set-account --db " + Quote(db) + " onlyname", "set-account"},
        {"frobnicate", "unknown command"},
    };
    for (const Case& c : refusals) {
        RunResult r = RunTool(c.args);
        EXPECT_NE(r.status, 0) << c.args;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << ": " << r.output;
    }
    EXPECT_EQ(FileBytes(db), before);

    RunResult forced = RunTool("create-db " + Quote(db) + " --force");
    EXPECT_EQ(forced.status, 0) << forced.output;
    RunResult account =
        RunTool("set-account --db " + Quote(db) + " 王警官 secret 王五 370202199001011234");
    EXPECT_EQ(account.status, 0) << account.output;
    RunResult info = RunTool("info " + Quote(db));
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.output.find("jyx_register\t1\n"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("jyx_format\t13\n"), std::string::npos) << info.output;
    EXPECT_EQ(RunTool("--help").status, 0);

    // Nothing but the database is left in the folder: no scratch file.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(JyxAdminCreate, AFailedWriteLeavesNoFile) {
    QTemporaryDir dir;
    const std::string db = dir.path().toStdString() + "/SysReg.db";
    // Rows for a table the schema does not create: the insert fails midway.
    static const ColumnDef columns[] = {{"x", ColumnEncoding::Utf8}};
    static const TableDef missing{"not_a_table", columns};
    FixedClock clock;
    DeliveredData data;
    std::string error;
    ASSERT_TRUE(LoadDeliveredData(kDataDir, clock.now(), data, error)) << error;
    data.push_back({&missing, {{{"x", "1"}}}});
    EXPECT_FALSE(CreateDeliveredDb(db, data, false, error));
    EXPECT_NE(error.find("not_a_table"), std::string::npos) << error;
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(JyxAdminData, MalformedDivisionLinesAreReportedWithTheirLine) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/locations.tsv";
    for (const char* bad : {"37020\t短码", "370202", "37020a\t字母", "370202\t"}) {
        std::ofstream(path) << "# comment\n370000\t山东省\n" << bad << "\n";
        TableRows rows;
        std::string error;
        EXPECT_FALSE(LoadLocations(path, rows, error)) << bad;
        EXPECT_NE(error.find("locations.tsv:3"), std::string::npos) << error;
    }
}

} // namespace
