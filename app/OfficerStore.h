// The officers kept in jyx_login: interviewing officers ("询问人") and
// recording officers ("记录人"). The same name may exist once per type; a
// row is identified by (login_name, person_type). Every command answers with
// the messages the user is to see, in order, so dialogs only show them.
#pragma once

#include "app/Database.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kQuestionerType = "询问人";
inline constexpr const char* kRecorderType = "记录人";

// One row of jyx_login as the lists show it (text in UTF-8).
struct OfficerRow {
    std::string loginId;
    std::string name;
    std::string time;
    std::string type;
    std::string certificate; // person_zfzh, the law-enforcement certificate number
    std::string job;
    std::string idNumber; // person_sfz
};

// The tabs of the officer list.
enum class OfficerTab { Questioners = 0, Recorders = 1, Everyone = 2 };

// What the add/edit form holds.
struct OfficerForm {
    bool questioner = false;
    bool recorder = false;
    std::string name;
    std::string certificate;
    std::string job;
    // Fields the form keeps hidden; they stay empty from the dialogs.
    std::string loginId;
    std::string unit;
    std::string telephone;
};

// The messages of one command and whether anything failed or changed.
struct Outcome {
    QStringList messages;
    bool failed = false;
    bool changed = false;

    void say(const QString& text) { messages << text; }
    void fail(const QString& text) {
        messages << text;
        failed = true;
    }
};

// A failure message with the database's reason on a second line.
QString FailureText(const char* what, const std::string& reason);

class OfficerStore {
public:
    explicit OfficerStore(Database& db) : m_db(db) {}

    // The rows of one tab, newest first by login_time.
    std::vector<OfficerRow> list(OfficerTab tab);
    bool exists(const std::string& name, const std::string& type);

    // The message for a form that cannot be saved, or an empty text.
    static QString validate(const OfficerForm& form);

    // Inserts one row per checked type that does not exist yet.
    Outcome add(const OfficerForm& form);

    // Writes the form over the officer `original` (name and type of the
    // selected row). Each checked type ends up with a row carrying the form's
    // values: the selected row takes the first checked type it does not already
    // have, a row that exists for a checked type is updated, a missing one is
    // inserted. `signature` is the stored blob to write (nullopt writes NULL).
    Outcome edit(const OfficerRow& original, const OfficerForm& form,
                 const std::optional<std::string>& signature);

    // The stored signature picture of an officer (blob bytes; empty if none).
    std::string signature(const std::string& name, const std::string& type);

    // The refusal to delete `row` for the account `accountIdNumber`, or an
    // empty text when it may be deleted.
    static QString deleteRefusal(const OfficerRow& row, const std::string& accountIdNumber);
    static QString deleteQuestion(const OfficerRow& row);
    // Deletes the selected row (this name as this type).
    Outcome remove(const OfficerRow& row);

private:
    bool insertRow(const OfficerForm& form, const std::string& type,
                   const std::optional<std::string>& signature);
    bool updateRow(const std::string& name, const std::string& type, const OfficerForm& form,
                   const std::string& newType, const std::optional<std::string>& signature);

    Database& m_db;
};
