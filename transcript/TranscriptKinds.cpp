#include "transcript/TranscriptKinds.h"

#include "app/Database.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex& templateMutex() {
    static QMutex mutex;
    return mutex;
}

QString& templateText() {
    static QString text;
    return text;
}

std::string u8(const QString& s) {
    return s.toStdString();
}

QString readText(CDBRecordSet& set, int column) {
    return QString::fromStdString(ReadColumn(set, schema::jyx_type, column));
}

} // namespace

QString EditorTitle(const QString& type, const QString& kind) {
    return QStringLiteral("笔录制作_") + type + "_" + kind;
}

KindEffects ApplyKindRules(const QString& type, const QString& kind) {
    KindEffects e;
    e.peopleEnabled =
        kind.contains(QStringLiteral("解矫")) || kind.contains(QStringLiteral("入矫"));
    e.guardianEnabled =
        kind.contains(QStringLiteral("调查")) || kind.contains(QStringLiteral("监护"));
    e.termChargeShown = kind.contains(QStringLiteral("矫正期间"));
    e.title = EditorTitle(type, kind);
    return e;
}

bool EnsureTypeTable(Database& db) {
    return db.exec(schema::kCreateTypeTable);
}

QStringList KindsOfType(Database& db, const QString& type) {
    QStringList kinds;
    CDBRecordSet set = db.query("select * from jyx_type where jyxtype=?",
                                SqlArgs().col(schema::jyx_type, "jyxtype", u8(type)));
    for (; !set.IsEof(); set.MoveNext())
        kinds << readText(set, 1);
    return kinds;
}

QString HeadingTemplate() {
    QMutexLocker lock(&templateMutex());
    return templateText();
}

void SetHeadingTemplate(const QString& text) {
    QMutexLocker lock(&templateMutex());
    templateText() = text;
}

bool StoreHeadingTemplate(Database& db, const QString& type, const QString& kind) {
    const QString text = HeadingTemplate();
    if (text.isEmpty())
        return false;
    const TableDef& t = schema::jyx_type;
    SqlArgs key;
    key.col(t, "jyxtype", u8(type)).col(t, "jyxname", u8(kind));
    bool exists = !db.query("select * from jyx_type where jyxtype=? and jyxname=?", key).IsEof();
    if (!exists && !kind.isEmpty() &&
        !db.insert(t, {{"jyxtype", u8(type)}, {"jyxname", u8(kind)}, {"jyxcontent", ""}}))
        return false;
    return db.update(t, {{"jyxcontent", u8(text)}}, {{"jyxtype", u8(type)}, {"jyxname", u8(kind)}});
}

void LoadHeadingTemplate(Database& db, const QString& type, const QString& kind) {
    const QString k = kind.isEmpty() ? QStringLiteral("询问笔录") : kind;
    const TableDef& t = schema::jyx_type;
    CDBRecordSet set = db.query("select * from jyx_type where jyxtype=? and jyxname=?",
                                SqlArgs().col(t, "jyxtype", u8(type)).col(t, "jyxname", u8(k)));
    if (set.IsEof())
        set = db.query("select * from jyx_type");
    SetHeadingTemplate(set.IsEof() ? QString() : readText(set, 2));
}
