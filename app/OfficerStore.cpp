#include "app/OfficerStore.h"

#include "app/Clock.h"

#include <algorithm>

namespace {

const TableDef& T = schema::jyx_login;

OfficerRow ReadRow(CDBRecordSet& set) {
    OfficerRow r;
    r.loginId = ReadColumn(set, T, "login_id");
    r.name = ReadColumn(set, T, "login_name");
    r.time = ReadColumn(set, T, "login_time");
    r.type = ReadColumn(set, T, "person_type");
    r.certificate = ReadColumn(set, T, "person_zfzh");
    r.job = ReadColumn(set, T, "person_job");
    r.idNumber = ReadColumn(set, T, "person_sfz");
    return r;
}

std::vector<std::string> CheckedTypes(const OfficerForm& form) {
    std::vector<std::string> types;
    if (form.questioner)
        types.push_back(kQuestionerType);
    if (form.recorder)
        types.push_back(kRecorderType);
    return types;
}

QString ExistsText(const std::string& type) {
    return QString::fromUtf8(type == kQuestionerType ? "该询问人已存在！" : "该用户记录人已存在！");
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

} // namespace

QString FailureText(const char* what, const std::string& reason) {
    QString text = QString::fromUtf8(what);
    if (!reason.empty())
        text += QLatin1Char('\n') + QString::fromUtf8(reason);
    return text;
}

std::vector<OfficerRow> OfficerStore::list(OfficerTab tab) {
    // rowid breaks ties between rows added within the same second (both types at once).
    CDBRecordSet set;
    if (tab == OfficerTab::Everyone) {
        set = m_db.query("select * from jyx_login order by login_time desc, rowid desc");
    } else {
        std::string type = tab == OfficerTab::Questioners ? kQuestionerType : kRecorderType;
        set = m_db.query(
            "select * from jyx_login where person_type = ? order by login_time desc, rowid desc",
            SqlArgs().col(T, "person_type", type));
    }
    std::vector<OfficerRow> rows;
    for (; !set.IsEof(); set.MoveNext())
        rows.push_back(ReadRow(set));
    return rows;
}

bool OfficerStore::exists(const std::string& name, const std::string& type) {
    CDBRecordSet set = m_db.query("select * from jyx_login where login_name = ? and person_type=?",
                                  SqlArgs().col(T, "login_name", name).col(T, "person_type", type));
    return !set.IsEof();
}

QString OfficerStore::validate(const OfficerForm& form) {
    if (form.name.empty())
        return QString::fromUtf8("姓名不能为空！");
    if (form.certificate.empty())
        return QString::fromUtf8("执法证号不能为空！");
    if (!form.questioner && !form.recorder)
        return QString::fromUtf8("请选择用户类型!");
    return {};
}

bool OfficerStore::insertRow(const OfficerForm& form, const std::string& type,
                             const std::optional<std::string>& signature) {
    std::vector<ColumnValue> values{
        {"login_id", form.loginId},
        {"login_name", form.name},
        {"login_time", FormatDateTime(CurrentClock().now()).toStdString()},
        {"login_password", ""},
        {"login_ip", ""},
        {"person_type", type},
        {"person_zfzh", form.certificate},
        {"person_unit", form.unit},
        {"person_job", form.job},
        {"person_telphone", form.telephone},
        {"login_ismanager", "否"}};
    if (signature)
        values.push_back({"person_qname", *signature});
    return m_db.insert(T, values);
}

Outcome OfficerStore::add(const OfficerForm& form) {
    Outcome out;
    QString refusal = validate(form);
    if (!refusal.isEmpty()) {
        out.say(refusal);
        return out;
    }
    for (const std::string& type : CheckedTypes(form)) {
        if (exists(form.name, type)) {
            out.say(ExistsText(type));
            continue;
        }
        if (!insertRow(form, type, std::nullopt)) {
            out.fail(FailureText("用户添加失败！", m_db.lastError()));
            return out;
        }
        out.changed = true;
    }
    if (out.changed)
        out.say(QString::fromUtf8("用户添加成功！"));
    return out;
}

bool OfficerStore::updateRow(const std::string& name, const std::string& type,
                             const OfficerForm& form, const std::string& newType,
                             const std::optional<std::string>& signature) {
    SqlArgs args;
    args.col(T, "login_name", form.name)
        .col(T, "person_type", newType)
        .col(T, "person_zfzh", form.certificate)
        .col(T, "person_unit", form.unit)
        .col(T, "person_job", form.job)
        .col(T, "person_telphone", form.telephone);
    if (signature)
        args.blob(*signature);
    else
        args.null();
    args.col(T, "login_name", name).col(T, "person_type", type);
    return m_db.exec("update jyx_login set login_name=?,person_type=?,person_zfzh=?,person_unit=?,"
                     "person_job=?,person_telphone=?,person_qname=? "
                     "where login_name=? and person_type=?",
                     args) &&
           m_db.changes() > 0;
}

Outcome OfficerStore::edit(const OfficerRow& original, const OfficerForm& form,
                           const std::optional<std::string>& signature) {
    Outcome out;
    QString refusal = validate(form);
    if (!refusal.isEmpty()) {
        out.say(refusal);
        return out;
    }
    // Plan first, so a conflict leaves every row as it was.
    enum Kind { MoveOriginal, UpdateOther, Insert };
    struct Step {
        Kind kind;
        std::string type;
    };
    std::vector<std::string> types = CheckedTypes(form);
    bool keepsOwnType = Contains(types, original.type);
    bool originalUsed = false;
    std::vector<Step> steps;
    for (const std::string& type : types) {
        bool isOriginal = type == original.type || (!keepsOwnType && !originalUsed);
        bool sameRow = type == original.type && form.name == original.name;
        if (isOriginal) {
            originalUsed = true;
            if (!sameRow && exists(form.name, type)) {
                out.say(ExistsText(type));
                return out;
            }
            steps.push_back({MoveOriginal, type});
        } else {
            steps.push_back({exists(form.name, type) ? UpdateOther : Insert, type});
        }
    }
    for (const Step& step : steps) {
        bool ok = false;
        if (step.kind == MoveOriginal)
            ok = updateRow(original.name, original.type, form, step.type, signature);
        else if (step.kind == UpdateOther)
            ok = updateRow(form.name, step.type, form, step.type, signature);
        else
            ok = insertRow(form, step.type, signature);
        if (!ok) {
            std::string reason = m_db.lastError();
            out.fail(FailureText("用户修改失败！",
                                 reason.empty() ? std::string("没有找到该用户。") : reason));
            return out;
        }
        out.changed = true;
    }
    out.say(QString::fromUtf8("用户修改成功！"));
    return out;
}

std::string OfficerStore::signature(const std::string& name, const std::string& type) {
    CDBRecordSet set =
        m_db.query("select person_qname from jyx_login where login_name=? and person_type=?",
                   SqlArgs().col(T, "login_name", name).col(T, "person_type", type));
    if (set.IsEof())
        return {};
    return ReadText(set, 0, ColumnEncoding::Blob);
}

QString OfficerStore::deleteRefusal(const OfficerRow& row, const std::string& accountIdNumber) {
    // The account holder's own officer row: by the certificate number the list
    // shows, and by the ID-card number where a row carries one.
    bool own = row.certificate == accountIdNumber ||
               (!row.idNumber.empty() && row.idNumber == accountIdNumber);
    return own ? QString::fromUtf8("不能删除管理员！") : QString();
}

QString OfficerStore::deleteQuestion(const OfficerRow& row) {
    return QString::fromUtf8("您确定要删除用户") + QString::fromStdString(row.name) +
           QLatin1Char('?');
}

Outcome OfficerStore::remove(const OfficerRow& row) {
    Outcome out;
    if (!m_db.exec("delete from jyx_login where login_name=? and person_type=?",
                   SqlArgs().col(T, "login_name", row.name).col(T, "person_type", row.type))) {
        out.fail(FailureText("删除失败！", m_db.lastError()));
        return out;
    }
    out.changed = true;
    out.say(QString::fromUtf8("已成功删除！"));
    return out;
}
