#include "devices/FamilyStore.h"

#include "app/Schema.h"

namespace {

std::string Std(const QString& s) {
    return s.toStdString();
}

QString Column(CDBRecordSet& set, int i) {
    return QString::fromStdString(ReadColumn(set, schema::jyx_family, i));
}

std::vector<ColumnValue> RowOf(const QString& recordId, const FamilyMember& m) {
    return {{"jyx_id", Std(recordId)},       {"jyx_answersfz", Std(m.idNumber)},
            {"jyx_answername", Std(m.name)}, {"jyx_istz", m.notify ? "1" : "0"},
            {"jyx_name", Std(m.name)},       {"jyx_relation", Std(m.relation)},
            {"jyx_age", Std(m.age)},         {"jyx_telphone", Std(m.telephone)},
            {"jyx_address", Std(m.address)}, {"jyx_unit", Std(m.unit)}};
}

} // namespace

bool FamilyMember::isEmpty() const {
    return name.trimmed().isEmpty() && idNumber.trimmed().isEmpty() &&
           relation.trimmed().isEmpty() && age.trimmed().isEmpty() &&
           telephone.trimmed().isEmpty() && unit.trimmed().isEmpty() && address.trimmed().isEmpty();
}

const QStringList& FamilyRelations() {
    static const QStringList relations{QStringLiteral("丈夫"), QStringLiteral("妻子"),
                                       QStringLiteral("儿子"), QStringLiteral("女儿"),
                                       QStringLiteral("父亲"), QStringLiteral("母亲"),
                                       QStringLiteral("兄"),   QStringLiteral("弟"),
                                       QStringLiteral("姐姐"), QStringLiteral("妹妹")};
    return relations;
}

std::vector<FamilyMember> FamilyStore::load(const QString& recordId) {
    std::vector<FamilyMember> members;
    const TableDef& t = schema::jyx_family;
    CDBRecordSet set = m_db.query("select * from jyx_family where jyx_id=?",
                                  SqlArgs().col(t, "jyx_id", Std(recordId)));
    for (; !set.IsEof(); set.MoveNext()) {
        FamilyMember m;
        m.idNumber = Column(set, t.indexOf("jyx_answersfz"));
        m.notify = Column(set, t.indexOf("jyx_istz")) == QLatin1String("1");
        m.name = Column(set, t.indexOf("jyx_name"));
        m.relation = Column(set, t.indexOf("jyx_relation"));
        m.age = Column(set, t.indexOf("jyx_age"));
        m.telephone = Column(set, t.indexOf("jyx_telphone"));
        m.address = Column(set, t.indexOf("jyx_address"));
        m.unit = Column(set, t.indexOf("jyx_unit"));
        members.push_back(std::move(m));
    }
    return members;
}

bool FamilyStore::save(const QString& recordId, const std::vector<FamilyMember>& members) {
    if (!m_db.exec("begin"))
        return false;
    bool ok = m_db.exec("delete from jyx_family where jyx_id=?",
                        SqlArgs().col(schema::jyx_family, "jyx_id", Std(recordId)));
    for (const FamilyMember& m : members) {
        if (!ok)
            break;
        if (!m.isEmpty())
            ok = m_db.insert(schema::jyx_family, RowOf(recordId, m));
    }
    if (ok && m_db.exec("commit"))
        return true;
    m_db.exec("rollback");
    return false;
}

bool FamilyStore::remove(const QString& recordId, const FamilyMember& member) {
    const TableDef& t = schema::jyx_family;
    return m_db.exec(
        "delete from jyx_family where jyx_id=? and jyx_answername=? and jyx_answersfz=?",
        SqlArgs()
            .col(t, "jyx_id", Std(recordId))
            .col(t, "jyx_answername", Std(member.name))
            .col(t, "jyx_answersfz", Std(member.idNumber)));
}
