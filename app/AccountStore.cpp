#include "app/AccountStore.h"

namespace {
const TableDef& T = schema::jyx_register;

// Characters as the user typed them (a surrogate pair counts once).
int CharacterCount(const QString& s) {
    return int(s.toUcs4().size());
}
} // namespace

std::string AccountStore::password(const std::string& loginName) {
    CDBRecordSet set = m_db.query("select jyx_password from jyx_register where jyx_username=?",
                                  SqlArgs().col(T, "jyx_username", loginName));
    std::string stored;
    for (; !set.IsEof(); set.MoveNext())
        stored = ReadText(set, 0, T.column("jyx_password").encoding);
    return stored;
}

Outcome AccountStore::changePassword(const std::string& loginName, const QString& oldPassword,
                                     const QString& newPassword, const QString& repeated) {
    Outcome out;
    int length = CharacterCount(newPassword);
    if (newPassword.isEmpty()) {
        out.say(QString::fromUtf8("密码不能为空！"));
    } else if (length < kMinLength || length > kMaxLength) {
        out.say(QString::fromUtf8("密码长度非法，请重新输入！"));
    } else if (repeated != newPassword) {
        out.say(QString::fromUtf8("两次密码输入不一致！"));
    } else if (password(loginName) != oldPassword.toStdString()) {
        out.say(QString::fromUtf8("旧密码设置错误！"));
    } else if (!m_db.exec("update jyx_register set jyx_password=? where jyx_username=?",
                          SqlArgs()
                              .col(T, "jyx_password", newPassword.toStdString())
                              .col(T, "jyx_username", loginName))) {
        out.fail(FailureText("密码设置失败！", m_db.lastError()));
    } else if (m_db.changes() <= 0) {
        // The built-in administrator has no account row to keep a password in.
        out.fail(FailureText("密码设置失败！", "账户“" + loginName + "”不存在。"));
    } else {
        out.changed = true;
        out.say(QString::fromUtf8("密码设置成功！"));
    }
    return out;
}
