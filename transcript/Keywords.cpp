#include "transcript/Keywords.h"

#include "app/Database.h"

#include <utility>
#include <vector>

namespace {

enum class When { NotEmpty, Always };

struct Replacement {
    const char* keyword;
    QString value;
    When when;
};

QString Apply(QString text, const std::vector<Replacement>& table) {
    for (const Replacement& r : table)
        if (r.when == When::Always || !r.value.isEmpty())
            text.replace(QString::fromUtf8(r.keyword), r.value);
    return text;
}

} // namespace

KeywordValues KeywordValuesOf(const TranscriptRecord& r, const QString& unitName) {
    KeywordValues v;
    v.unitName = unitName;
    v.name = r.name;
    v.idNumber = r.idNumber;
    v.sex = r.sex;
    v.nation = r.nation;
    v.age = r.age;
    v.birthday = r.birthday;
    v.political = r.political;
    v.telephone = r.telephone;
    v.workUnit = r.workUnit;
    v.job = r.job;
    v.birthAddress = r.birthAddress;
    v.nowAddress = r.nowAddress;
    v.asker1 = r.askName1;
    v.asker2 = r.askName2;
    v.recorder = r.recordName;
    v.caseNumber = r.caseNumber;
    v.people = r.people;
    v.formerName = r.formerName;
    v.nickname = r.nickname;
    v.place = r.place;
    v.asker1IdNumber = r.asker1.idNumber;
    v.asker2IdNumber = r.asker2.idNumber;
    return v;
}

QString KeywordDate(const QDate& date) {
    if (!date.isValid())
        return QString::asprintf("%4d-%02d-%02d", -1, -1, -1);
    return QString::asprintf("%4d-%02d-%02d", date.year(), date.month(), date.day());
}

QString FillKeywords(const QString& text, const KeywordValues& v) {
    // The order is part of the behaviour: a value that itself holds a later
    // keyword gets that keyword filled too.
    const When N = When::NotEmpty;
    return Apply(text, {
                           {"#JGMC", v.unitName, N},
                           {"#*", QStringLiteral("★"), When::Always},
                           {"#XM", v.name, N},
                           {"#ZJHM", v.idNumber, N},
                           {"#XB", v.sex, N},
                           {"#MZ", v.nation, N},
                           {"#NL", v.age, N},
                           {"#CSRQ", KeywordDate(v.birthday), When::Always},
                           {"#ZZMM", v.political, N},
                           {"#GRLXDH", v.telephone, N},
                           {"#GZDW", v.workUnit, N},
                           {"#ZW", v.job, N},
                           {"#HJDZ", v.birthAddress, N},
                           {"#XZDZ", v.nowAddress, N},
                           {"#XWR1", v.asker1, N},
                           {"#XWR2", v.asker2, N},
                           {"#JLR", v.recorder, N},
                           {"#AJMC", v.caseNumber, N},
                           {"#DCR", v.people, N},
                           {"#ZYM", v.formerName, N},
                           {"#CH", v.nickname, N},
                           {"#WMDD", v.place, N},
                           {"#ZFZH1", v.asker1IdNumber, N},
                           {"#ZFZH2", v.asker2IdNumber, N},
                       });
}

bool FindPersonInfo(Database& db, const QString& idNumber, PersonInfo& record) {
    const TableDef& T = schema::person_info;
    CDBRecordSet set = db.query("select * from person_info where B=?",
                                SqlArgs().col(T, "B", idNumber.toStdString()));
    bool found = false;
    for (; !set.IsEof(); set.MoveNext()) {
        auto col = [&](const char* name) {
            return QString::fromStdString(ReadColumn(set, T, name));
        };
        PersonInfo row = record;
        row.fields[0] = col("B");
        row.fields[1] = col("A");
        row.fields[2] = col("I");
        row.fields[4] = col("L");
        row.fields[5] = col("J");
        row.fields[8] = col("K");
        row.fields[9] = col("AD");
        row.fields[10] = QStringLiteral("中国");
        row.fields[11] = col("AJ");
        row.fields[12] = col("BA");
        row.fields[13] = col("AF") + col("AM") + col("AO") + col("AU") + col("AZ");
        row.fields[14] = col("Z");
        row.fields[18] = col("BO");
        record = std::move(row);
        found = true;
    }
    return found;
}

QString FillPersonKeywords(const QString& text, const QString& unitName, const PersonInfo* found) {
    QString out = text;
    out.replace(QStringLiteral("#JGMC"), unitName);
    if (!found)
        return out;
    const auto& f = found->fields;
    const When A = When::Always;
    // "ZWZH1" and "ZWZH2" carry no "#": they are replaced wherever they occur.
    return Apply(out, {
                          {"#XM", f[1], A},
                          {"#XB", f[2], A},
                          {"#CSRQ", f[4], A},
                          {"#MZ", f[5], A},
                          {"#WHCD", f[8], A},
                          {"#ZZMM", f[9], A},
                          {"#GRLXDH", f[11], A},
                          {"#HJSZDMX", f[12], A},
                          {"#GDJZDMX", f[13], A},
                          {"#XGZDW", f[14], A},
                          {"#JYJXQK", f[15], A},
                          {"ZWZH1", f[19], A},
                          {"ZWZH2", f[20], A},
                      });
}

QString FillPersonKeywords(Database& db, const QString& idNumber, const QString& unitName,
                           const QString& text, PersonInfo& record) {
    const bool found = FindPersonInfo(db, idNumber, record);
    return FillPersonKeywords(text, unitName, found ? &record : nullptr);
}

QString FillAnswerForApply(Database& db, const KeywordValues& values, const QString& answer,
                           PersonInfo& record) {
    return FillKeywords(FillPersonKeywords(db, values.idNumber, values.unitName, answer, record),
                        values);
}

const QStringList& KeywordHelpLines() {
    static const QStringList lines{
        "笔录模板中根据《社区矫正管理信息系统技术规范》预定义关键字自动填写界面已有或后台加载数据"
        "。",
        "关键字以#号开头",
        "模板回答选项以~D开头，如~D 是 ~D否",
        "#JGMC   --机构名称",
        "#XWR1 --询问人1",
        "#ZFZH1 --询问人1执法证号",
        "#XWR2 --询问人2",
        "#ZFZH2 --询问人2执法证号",
        "#JLR --记录人",
        "#AJMC --案件名称",
        "#XWDD --询问地点",
        "#DCR --到场人",
        "#XM  --被询问人姓名",
        "#ZJHM --被询问人证件号码",
        "#XB  --被询问人性别",
        "#NL  --被询问人年龄",
        "#CSRQ --被询问人出生日期",
        "#MZ --被询问人民族",
        "#ZYM --被询问人曾用名",
        "#CH --被询问人绰号",
        "#WHCD --被询问人文化程度",
        "#ZZMM --被询问人政治面貌",
        "#GRLXDH --被询问人个人联系电话",
        "#GZDW --被询问人工作单位",
        "#ZW --被询问人职务",
        "#HJDZ --被询问人户籍地址",
        "#XZDZ --被询问人现住地址",
        "#*    --★",
    };
    return lines;
}

QString KeywordHelpText() {
    QString text;
    for (const QString& line : KeywordHelpLines())
        text += line + QLatin1Char('\n');
    return text;
}
