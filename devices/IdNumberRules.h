// What an 18-character ID number says about its holder: sex, birth date, age,
// the registered address of its division code, and what the person library
// knows. Plain logic; the editor copies the result into its fields.
#pragma once

#include "transcript/TranscriptRecord.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Database;

inline constexpr int kIdNumberLength = 18;
// The ID field's limit once a document type has been chosen beside it.
inline constexpr int kDocumentNumberLength = 30;
inline constexpr int kMinAge = 0;
inline constexpr int kMaxAge = 120;

// The document-type list beside the ID field (it holds only one entry).
const QStringList& DocumentTypes();

// Years between a birth date and `today`, one less while this year's birthday
// is still to come. Month and day are compared as numbers, so a birth date
// that is not a calendar date (month 13) still gives an age.
int AgeOn(int birthYear, int birthMonth, int birthDay, const QDate& today);
inline bool AgeInRange(int age) {
    return age >= kMinAge && age <= kMaxAge;
}

// The fields of the person-information record that the ID field fills.
struct PersonFill {
    QString name, nation, education, political, telephone, nationality, nowAddress, workUnit, job,
        caseNumber;
    // From the record's fields numbered 0..20; missing fields read as empty.
    static PersonFill FromRecord(const QStringList& fields);
};

// The person-information lookup: the record's fields (0..20) for an ID
// number, or nothing when the library has no such person.
using PersonLookup = std::function<std::optional<QStringList>(const QString& idNumber)>;

struct IdNumberFill {
    enum class Result {
        NotChecked,       // not 18 characters: nothing changes
        IllegalCharacter, // a non-digit among the first 17: only the message
        Derived,          // the fields below are set
    };
    Result result = Result::NotChecked;
    QString message; // shown to the officer when not empty

    int sexIndex = 0; // entry of the sex list: 0 "男" (odd digit), 1 "女"
    QString sex;
    int birthYear = 0, birthMonth = 0, birthDay = 0; // as the number writes them
    int age = 0;                                     // written even when out of range
    std::optional<QString> birthAddress;             // when the division code is known
    std::optional<PersonFill> person;                // when the library knows the number

    bool derived() const { return result == Result::Derived; }
    // Invalid when the number's digits are no calendar date.
    QDate birthday() const { return QDate(birthYear, birthMonth, birthDay); }
    // Writes every derived value into a record, in the editor's order; the
    // birthday only when it is a calendar date.
    void applyTo(TranscriptRecord& record) const;
};

// The checks and derivations without database: sex, birth date, age and
// the message. birthAddress and person stay empty.
IdNumberFill InterpretIdNumber(const QString& idNumber, const QDate& today);

// The place name of a division code from jyx_location (the first row whose
// code contains it), without the leading code and blank; nothing when no
// row matches.
std::optional<QString> DivisionPlace(Database& db, const QString& code);

// The whole processing of a changed ID field: InterpretIdNumber, then the
// registered address and, when `findPerson` is given, the person library.
IdNumberFill IdNumberRules(const QString& idNumber, const QDate& today, Database& db,
                           const PersonLookup& findPerson = {});
