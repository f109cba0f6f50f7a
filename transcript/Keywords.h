// Template keywords: "#" and capital letters standing for a particular of the
// interview. FillKeywords fills them from the editor's fields, FillPersonKeywords
// from a person-information record found by ID number. Every replacement
// replaces all occurrences, exactly (case matters); unknown keywords and
// keywords without a value stay in the text.
#pragma once

#include "transcript/TranscriptRecord.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>

class Database;

// The editor's field texts that keywords are filled from, read at the moment
// of filling.
struct KeywordValues {
    QString unitName;       // #JGMC, the session's unit name
    QString name;           // #XM
    QString idNumber;       // #ZJHM
    QString sex;            // #XB
    QString nation;         // #MZ
    QString age;            // #NL
    QDate birthday;         // #CSRQ; an invalid date gives -1 for each part
    QString political;      // #ZZMM
    QString telephone;      // #GRLXDH
    QString workUnit;       // #GZDW ("经营地址：")
    QString job;            // #ZW
    QString birthAddress;   // #HJDZ
    QString nowAddress;     // #XZDZ
    QString asker1;         // #XWR1
    QString asker2;         // #XWR2
    QString recorder;       // #JLR
    QString caseNumber;     // #AJMC
    QString people;         // #DCR
    QString formerName;     // #ZYM
    QString nickname;       // #CH
    QString place;          // #WMDD
    QString asker1IdNumber; // #ZFZH1, looked up when the officer was chosen
    QString asker2IdNumber; // #ZFZH2
};

KeywordValues KeywordValuesOf(const TranscriptRecord& record, const QString& unitName);

// "%4d-%02d-%02d" of the date, or of -1, -1, -1 for an invalid date.
QString KeywordDate(const QDate& date);

// Fills the editor's keywords in their fixed order. "#*" (★) and "#CSRQ" are
// always replaced, the others only when their value is not empty. "#XWDD" and
// "#WHCD" are not among them.
QString FillKeywords(const QString& text, const KeywordValues& values);

// One person-information record: 21 text fields numbered 0 to 20.
struct PersonInfo {
    std::array<QString, 21> fields;
    bool operator==(const PersonInfo&) const = default;
};

// Looks the ID number up in person_info (column B). True when at least one
// row matched; the record then holds the last matching row. Without a match
// the record is left as it was.
bool FindPersonInfo(Database& db, const QString& idNumber, PersonInfo& record);

// "#JGMC" becomes the unit name; with a found record (non-null) its fields
// replace the person keywords, even where a field is empty.
QString FillPersonKeywords(const QString& text, const QString& unitName, const PersonInfo* found);
// The same with the lookup: `record` receives the found person.
QString FillPersonKeywords(Database& db, const QString& idNumber, const QString& unitName,
                           const QString& text, PersonInfo& record);

// An answer text as "套用当前模板" fills it: the person keywords of the
// interviewee `values.idNumber` first, then the editor's keywords.
QString FillAnswerForApply(Database& db, const KeywordValues& values, const QString& answer,
                           PersonInfo& record);

// The keyword help of the template manager: 28 lines, each ending with "\n".
const QStringList& KeywordHelpLines();
QString KeywordHelpText();
