// The login rules without the dialog: opening and pre-filling, the table of
// typed names and passwords against the account table, the session values
// and the bytes of the login row in the operation log.
#include "app/Clock.h"
#include "app/Database.h"
#include "app/Login.h"
#include "app/NetIdentity.h"
#include "app/Schema.h"
#include "text/TextCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const MachineIdentity kMachine{"192.168.10.23", "0-1A-2B-C-4D-5E\n"};

QStringList L(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

// An encrypted system database with the delivered schema, written through a
// connection of its own; the login opens the file with another.
class LoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("SysReg.db").toStdString();
        ASSERT_EQ(setupConn.Open(path.c_str()), 0);
        for (const TableDef* table : schema::all())
            ASSERT_TRUE(setup.exec(table->createSql())) << setup.lastError();
        InstallClock(&clock);
    }
    void TearDown() override { InstallClock(nullptr); }

    void addAccount(const char* name, const char* password, const char* fullName,
                    const char* idNumber) {
        ASSERT_TRUE(setup.insert(schema::jyx_register, {{"jyx_username", name},
                                                        {"jyx_password", password},
                                                        {"jyx_userxm", fullName},
                                                        {"jyx_sfz", idNumber}}))
            << setup.lastError();
    }
    int logRows() {
        int n = 0;
        for (CDBRecordSet set = setup.query("select * from jyx_log"); !set.IsEof(); set.MoveNext())
            ++n;
        return n;
    }
    Login login(const std::string& at) {
        return Login(loginConn, at, [] { return kMachine; });
    }

    QTemporaryDir dir;
    std::string path;
    CDBConnection setupConn;
    Database setup{setupConn};
    CDBConnection loginConn;
    FixedClock clock{QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))};
};

TEST_F(LoginTest, OpeningPrefillsTheAdministratorOnlyWithoutAnAccount) {
    LoginOpening empty = login(path).open(1920, 96);
    EXPECT_TRUE(empty.messages.isEmpty());
    EXPECT_EQ(empty.userName, "admin");
    EXPECT_EQ(empty.password, "804271");
    EXPECT_DOUBLE_EQ(empty.pixelsPerMm, 96 * 10 / 254.0);

    addAccount("张科长", "secret", "张三", "370200198001010011");
    addAccount("second", "x", "", "");
    LoginOpening filled = login(path).open(1920, 96);
    EXPECT_EQ(filled.userName, QString::fromUtf8("张科长"));
    EXPECT_TRUE(filled.password.isEmpty());
}

TEST_F(LoginTest, OpeningReportsNarrowScreensAndMissingOrForeignFiles) {
    LoginOpening narrow = login(path).open(999, 96);
    EXPECT_TRUE(narrow.tooNarrow);
    EXPECT_EQ(narrow.messages, L({"分辨率过低，建议使用1024*768以上分辨率设置！"}));
    EXPECT_FALSE(login(path).open(1000, 96).tooNarrow);

    LoginOpening missing = login(dir.filePath("nothing.db").toStdString()).open(1024, 96);
    EXPECT_FALSE(missing.tooNarrow);
    EXPECT_EQ(missing.messages, L({"数据库文件不存在!"}));
    EXPECT_EQ(missing.userName, "admin"); // no rows from a closed database

    const QString foreign = dir.filePath("foreign.db");
    QFile file(foreign);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_EQ(login(foreign.toStdString()).open(1024, 96).messages, L({"数据库打开失败！"}));
}

// One row per case: what is typed, what the user is told, and the session
// values after it.
struct LoginCase {
    const char* label;
    const char* name;
    const char* password;
    QStringList messages;
    bool succeeds;
    const char* loginName = "";
    const char* officerName = "";
    const char* idNumber = "";
};

TEST_F(LoginTest, TypedNamesAndPasswordsAgainstTheAccountTable) {
    addAccount("zhang", "Pass 1", "张三", "370200198001010011");
    addAccount("王科长", "密码123", "王五", "370200198202020022");
    const LoginCase cases[] = {
        {"administrator without a row", "admin", "804271", {}, true, "admin"},
        {"administrator name is trimmed", "  admin\t", "804271", {}, true, "admin"},
        {"capital A is another name", "Admin", "804271", L({"用户:Admin 不存在!"}), false},
        {"administrator password is not trimmed", "admin", " 804271", L({"用户:admin 不存在!"}),
         false},
        {"blank name", "   ", "x", L({"用户名不能为空！"}), false},
        {"unknown name", " li ", "804271", L({"用户:li 不存在!"}), false},
        {"account", "zhang", "Pass 1", {}, true, "zhang", "张三", "370200198001010011"},
        {"account name trimmed",
         " zhang ",
         "Pass 1",
         {},
         true,
         "zhang",
         "张三",
         "370200198001010011"},
        {"password compared exactly", "zhang", "pass 1", L({"密码不正确!"}), false},
        {"password with a trailing blank", "zhang", "Pass 1 ", L({"密码不正确!"}), false},
        {"Chinese name and password",
         "王科长",
         "密码123",
         {},
         true,
         "王科长",
         "王五",
         "370200198202020022"},
    };
    for (const LoginCase& c : cases) {
        SCOPED_TRACE(c.label);
        Login l = login(path);
        l.open(1920, 96);
        SessionValues session;
        LoginAttempt attempt =
            l.attempt(QString::fromUtf8(c.name), QString::fromUtf8(c.password), session);
        EXPECT_EQ(attempt.messages, c.messages);
        EXPECT_EQ(attempt.succeeded, c.succeeds);
        EXPECT_EQ(session.loginName, c.loginName);
        EXPECT_EQ(session.officerName, c.officerName);
        EXPECT_EQ(session.accountIdNumber, c.idNumber);
        EXPECT_EQ(session.unitName, c.succeeds ? kDefaultUnitName : "");
    }
}

TEST_F(LoginTest, AnAccountNamedAdminReplacesTheBuiltInPassword) {
    addAccount("admin", "own-pass", "管理员", "");
    Login l = login(path);
    l.open(1920, 96);
    SessionValues session;
    EXPECT_EQ(l.attempt("admin", "804271", session).messages, L({"密码不正确!"}));
    EXPECT_TRUE(l.attempt("admin", "own-pass", session).succeeded);
    EXPECT_EQ(session.officerName, "管理员");
}

TEST_F(LoginTest, WithoutTheDatabaseOnlyTheAdministratorGetsIn) {
    Login l = login(dir.filePath("gone.db").toStdString());
    l.open(1920, 96);
    SessionValues session;
    LoginAttempt other = l.attempt("zhang", "x", session);
    EXPECT_EQ(other.messages, L({"数据库文件不存在!", "用户:zhang 不存在!"}));
    LoginAttempt admin = l.attempt("admin", "804271", session);
    EXPECT_EQ(admin.messages, L({"数据库文件不存在!"}));
    EXPECT_TRUE(admin.succeeded);
    EXPECT_EQ(session.unitName, kDefaultUnitName);
}

TEST_F(LoginTest, SuccessAppendsOneGbkLoginRow) {
    addAccount("王科长", "pw'1", "王五", "370200198202020022");
    Login l = login(path);
    l.open(1920, 96);
    SessionValues session;
    EXPECT_FALSE(l.attempt("王科长", "wrong", session).succeeded);
    EXPECT_EQ(logRows(), 0);
    ASSERT_TRUE(l.attempt(" 王科长 ", "pw'1", session).succeeded);
    ASSERT_EQ(logRows(), 1);
    EXPECT_EQ(session.ipAddress, kMachine.ipAddress);
    EXPECT_EQ(session.macText, kMachine.macText);

    CDBRecordSet set = setup.query(
        "select login_id,login_name,login_time,login_ip,login_mac,opra_type from jyx_log");
    ASSERT_FALSE(set.IsEof());
    auto raw = [&](int i) { return ReadText(set, i, ColumnEncoding::Blob); };
    EXPECT_EQ(raw(0), "\xCD\xF5\xBF\xC6\xB3\xA4"); // 王科长 in GBK
    EXPECT_EQ(raw(1), "\xCD\xF5\xCE\xE5");         // 王五 in GBK
    EXPECT_EQ(raw(2), "2026/03/04 05:06:07");
    EXPECT_EQ(raw(3), "192.168.10.23");
    EXPECT_EQ(raw(4), "0-1A-2B-C-4D-5E\n");
    EXPECT_EQ(set.GetStringValue(5), std::string()); // a login row has no operation
}

TEST_F(LoginTest, AdministratorRowHasAnEmptyOfficerName) {
    Login l = login(path);
    l.open(1920, 96);
    SessionValues session;
    ASSERT_TRUE(l.attempt("admin", "804271", session).succeeded);
    CDBRecordSet set = setup.query("select login_id,login_name from jyx_log");
    ASSERT_FALSE(set.IsEof());
    EXPECT_EQ(ReadText(set, 0, ColumnEncoding::Blob), "admin");
    EXPECT_EQ(ReadText(set, 1, ColumnEncoding::Blob), "");
}

TEST_F(LoginTest, RefusedLogWriteIsReportedAndTheLoginStillSucceeds) {
    ASSERT_TRUE(setup.exec("drop table jyx_log"));
    Login l = login(path);
    l.open(1920, 96);
    SessionValues session;
    LoginAttempt attempt = l.attempt("admin", "804271", session);
    EXPECT_TRUE(attempt.succeeded);
    ASSERT_EQ(attempt.messages.size(), 1);
    EXPECT_TRUE(attempt.messages[0].startsWith(QString::fromUtf8("登录记录写入失败：")));
}

TEST(MacText, EachByteInUpperHexWithoutLeadingZeros) {
    struct {
        std::vector<unsigned char> bytes;
        const char* text;
    } cases[] = {
        {{0x00, 0x1A, 0x2B, 0x0C, 0x4D, 0x5E}, "0-1A-2B-C-4D-5E\n"},
        {{0xFF, 0x00, 0xA0, 0x0A, 0x10, 0x01}, "FF-0-A0-A-10-1\n"},
        {{0x7E}, "7E\n"},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMacText(c.bytes.data(), c.bytes.size()), c.text);
}

TEST(MachineIdentity, AddressIsDottedIPv4OrEmpty) {
    const std::string ip = MachineIPv4();
    if (!ip.empty()) {
        EXPECT_EQ(std::count(ip.begin(), ip.end(), '.'), 3) << ip;
    }
    const std::string mac = MachineMacText();
    if (!mac.empty()) {
        EXPECT_EQ(mac.back(), '\n');
    }
}

} // namespace
