// Transcript kinds: the kinds a transcript type offers (rows of jyx_type),
// what a kind changes in the editor, and the heading template that the print
// preview and the PDF writer use, kept once for the whole program.
#pragma once

#include <QString>
#include <QStringList>

class Database;

// What the editor does when a kind is applied.
struct KindEffects {
    bool peopleEnabled = false;   // "到场人：" for kinds of entering or leaving correction
    bool guardianEnabled = false; // "监护人:" and "住址:" for investigation and guardian kinds
    bool termChargeShown = false; // "刑期起止：" and "罪名:" for kinds during correction
    QString title;                // "笔录制作_" + type + "_" + kind
    bool operator==(const KindEffects&) const = default;
};

KindEffects ApplyKindRules(const QString& type, const QString& kind);
QString EditorTitle(const QString& type, const QString& kind);

// "create table if not exists jyx_type ..." ; true when it ran.
bool EnsureTypeTable(Database& db);
// The kind names (jyxname) of a type, in the order the table returns them.
QStringList KindsOfType(Database& db, const QString& type);

// The heading template shared by every editor and the print code. Safe to
// read and write from any thread (the fetch from the record server runs on a
// worker).
QString HeadingTemplate();
void SetHeadingTemplate(const QString& text);

// Writes the current heading template into the row (type, kind), adding the
// row first when the kind is not empty and no row exists. False when the
// template is empty (nothing written) or a statement failed.
bool StoreHeadingTemplate(Database& db, const QString& type, const QString& kind);
// Makes the heading template that of (type, kind); an empty kind counts as
// "询问笔录"; a kind without a row takes the first row of the table, or an
// empty text when the table is empty.
void LoadHeadingTemplate(Database& db, const QString& type, const QString& kind);
