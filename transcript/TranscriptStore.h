// Saving and loading transcripts (rows of jyx_content), the operation-log
// rows of the saves, and the officer and place lists the editor offers. Plain
// logic over the system database: every value is bound and stored in its
// column's encoding, every write is checked.
#pragma once

#include "transcript/TranscriptRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

class Database;

// Messages of the saves, as the user sees them.
namespace save_text {
inline constexpr const char* kBadIdNumber = "您输入的被询问人身份证号码不正确！";
inline constexpr const char* kEmptyName = "姓名不能为空！";
inline constexpr const char* kSaved = "笔录已保存！";
inline constexpr const char* kFailed =
    "笔录保存失败！笔录内容仍保留在编辑窗口中，请检查后再次保存。";
} // namespace save_text

// The explicit save (and the silent save other commands run first) forms
// its id from the ID number and the time and writes log rows; the periodic
// save forms its id from the login name and the seconds since 1970, writes
// no log row and marks the row as not uploaded.
enum class SaveKind { Explicit, Periodic };

// Who is saving: the session values a save writes.
struct SaveContext {
    QString loginName;
    QString officerName;
    QString transcriptType; // written as jyx_3 when a row is created
};

struct SaveResult {
    enum class Status { Saved, BadIdNumber, EmptyName, Failed };
    Status status = Status::Failed;
    bool inserted = false; // a new row was created (log "创建"), else updated ("修改")
    QString recordId;      // the row's id after the save
    QString error;         // the database's message when the save failed
    bool ok() const { return status == Status::Saved; }
    // The text to show for a refused or failed save; empty after a success.
    QString message() const;
};

// A date-time text broken up by position (year 0-3, month 5-6, day 8-9,
// hour 11-12, minute 14-15, second 17-18); missing or non-numeric parts are 0.
struct DateTimeParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const DateTimeParts&) const = default;
};
DateTimeParts BreakUpTime(const QString& text);
// The check of an end time before printing: empty when acceptable, else the
// message that ends the command.
QString CheckEndTime(const QString& text);

// The periodic save runs only when the interview clock has counted at least
// 300 seconds, the editor is visible, the template chooser is closed and a
// name has been typed.
inline constexpr int kPeriodicSaveMinSeconds = 300;
bool PeriodicSaveDue(int elapsedSeconds, bool visible, bool templateChooserOpen,
                     const QString& name);

QString ExplicitRecordId(const QString& idNumber, const QDateTime& now);
QString PeriodicRecordId(const QString& loginName, const QDateTime& now);

class TranscriptStore {
public:
    TranscriptStore(Database& db, SaveContext context);

    // Saves `record` under `recordId` (a new row when it is empty). The photo
    // is the file at `photoPath` (its bytes and one zero byte), NULL when the
    // file does not exist. On the first save the family rows that have no id
    // yet are given the new id. Nothing is written unless the checks pass (a
    // name always; a full ID number for the explicit save), and a failed
    // statement leaves the database as it was.
    SaveResult save(const TranscriptRecord& record, const QString& recordId, SaveKind kind,
                    const QString& photoPath);

    // Reads the row `recordId`; false when there is none. `photo` receives
    // the stored photo blob (empty when NULL).
    bool load(const QString& recordId, TranscriptRecord& record, std::string* photo = nullptr);

private:
    bool write(const TranscriptRecord& r, const QString& id, bool insert, SaveKind kind,
               const std::string& photo, bool hasPhoto);
    bool writeLog(const TranscriptRecord& r, bool inserted);
    bool adoptFamilyRows(const QString& id);

    Database& m_db;
    SaveContext m_context;
};

// Writes a stored photo blob to a picture file, without the one zero byte
// the database keeps after the file's bytes (so saving it again stores the
// same bytes). False when the blob holds fewer than two bytes or the file
// cannot be written.
bool WritePhotoFile(const QString& path, const std::string& blob);

// The officers of jyx_login for the editor's three combo boxes.
struct OfficerLists {
    QStringList askers;    // kind "询问人", both interviewing-officer lists
    QStringList recorders; // kind "记录人"
    QString asker1Text;    // what the first interviewing officer's field shows
    int asker1Index = -1;  // selections; -1 when the list is empty
    int asker2Index = -1;
    int recorderIndex = -1;
    bool operator==(const OfficerLists&) const = default;
};
// rows: (login_name, person_type) in table order.
OfficerLists BuildOfficerLists(const std::vector<std::pair<QString, QString>>& rows,
                               const QString& currentOfficer);
OfficerLists LoadOfficerLists(Database& db, const QString& currentOfficer);
// The details of the officer named `name` (the last matching row wins);
// false, leaving `details` unchanged, when no row has that name.
bool LookupOfficer(Database& db, const QString& name, OfficerDetails& details);
// The places of jyx_address in the order they were added.
QStringList LoadPlaces(Database& db);
// Deletes the family rows that belong to no transcript yet.
bool DeleteOrphanFamilyRows(Database& db);
