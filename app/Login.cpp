#include "app/Login.h"

#include "app/Clock.h"
#include "app/Database.h"
#include "app/NetIdentity.h"

#include <QFileInfo>

namespace {
const QString kNoDatabaseFile = QStringLiteral("数据库文件不存在!");
const QString kOpenFailed = QStringLiteral("数据库打开失败！");
const QString kTooNarrow = QStringLiteral("分辨率过低，建议使用1024*768以上分辨率设置！");
const QString kEmptyName = QStringLiteral("用户名不能为空！");
const QString kWrongPassword = QStringLiteral("密码不正确!");
const QString kLogWriteFailed = QStringLiteral("登录记录写入失败：");

QString notFound(const QString& name) {
    return QStringLiteral("用户:") + name + QStringLiteral(" 不存在!");
}
} // namespace

MachineIdentity CurrentMachineIdentity() {
    return {MachineIPv4(), MachineMacText()};
}

Login::Login(CDBConnection& db, std::string databasePath, IdentitySource identity)
    : m_db(db), m_path(std::move(databasePath)), m_identity(std::move(identity)) {}

bool Login::databaseFileExists() const {
    return QFileInfo(QString::fromStdString(m_path)).isFile();
}

LoginOpening Login::open(int screenWidth, double logicalDpiX) {
    LoginOpening result;
    if (screenWidth < kMinimumScreenWidth) {
        result.tooNarrow = true;
        result.messages << kTooNarrow;
        return result;
    }
    result.pixelsPerMm = logicalDpiX * 10 / 254;

    if (!databaseFileExists())
        result.messages << kNoDatabaseFile;
    else if (m_db.Open(m_path.c_str()) != 0)
        result.messages << kOpenFailed;

    Database db(m_db);
    CDBRecordSet set = db.query("select * from jyx_register ");
    if (set.IsEof()) {
        result.userName = QString::fromUtf8(kAdminName);
        result.password = QString::fromUtf8(kAdminPassword);
    } else {
        result.userName =
            QString::fromStdString(ReadColumn(set, schema::jyx_register, "jyx_username"));
    }
    return result;
}

LoginAttempt Login::attempt(const QString& typedName, const QString& typedPassword,
                            SessionValues& session) {
    LoginAttempt result;
    if (!databaseFileExists())
        result.messages << kNoDatabaseFile;

    const QString name = typedName.trimmed();
    if (name.isEmpty()) {
        result.messages << kEmptyName;
        return result;
    }
    const std::string password = typedPassword.toStdString();

    Database db(m_db);
    CDBRecordSet set =
        db.query("select * from jyx_register where jyx_username=?",
                 SqlArgs().col(schema::jyx_register, "jyx_username", name.toStdString()));
    std::string officerName, idNumber;
    if (set.IsEof()) {
        if (name != QString::fromUtf8(kAdminName) || password != kAdminPassword) {
            result.messages << notFound(name);
            return result;
        }
    } else {
        if (ReadColumn(set, schema::jyx_register, "jyx_password") != password) {
            result.messages << kWrongPassword;
            return result;
        }
        officerName = ReadColumn(set, schema::jyx_register, "jyx_userxm");
        idNumber = ReadColumn(set, schema::jyx_register, "jyx_sfz");
    }
    set.FreeRecordSet();

    const MachineIdentity identity = m_identity ? m_identity() : MachineIdentity{};
    session.ipAddress = identity.ipAddress;
    session.macText = identity.macText;
    session.loginName = name.toStdString();
    session.officerName = officerName;
    session.accountIdNumber = idNumber;
    if (session.unitName.empty())
        session.unitName = kDefaultUnitName;
    writeLoginRow(session, result.messages);
    result.succeeded = true;
    return result;
}

bool Login::writeLoginRow(const SessionValues& session, QStringList& messages) {
    // Without an open database (missing or unreadable file, already reported)
    // there is nowhere to write; the administrator still gets in.
    if (!m_db.Handle())
        return false;
    Database db(m_db);
    const QString time = FormatDateTime(CurrentClock().now());
    const bool ok = db.insert(schema::jyx_log, {{"login_id", session.loginName},
                                                {"login_name", session.officerName},
                                                {"login_time", time.toStdString()},
                                                {"login_ip", session.ipAddress},
                                                {"login_mac", session.macText}});
    if (!ok)
        messages << kLogWriteFailed + QString::fromStdString(db.lastError());
    return ok;
}
