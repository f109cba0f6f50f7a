// What the records browser does with the record an officer chose: the
// delete with its question, message and log row, and the preparation of an
// editor that opens the record again.
#pragma once

#include "transcript/TranscriptRecord.h"

#include <QDateTime>
#include <QString>

#include <optional>

class Database;
struct SessionValues;

namespace records {

inline constexpr const char* kChooseRecord = "请选择一条笔录！";
// Heading templates of reopened transcripts come from this type.
inline constexpr const char* kHeadingType = "行政笔录";

// The columns of a list row the commands read.
struct ListedRecord {
    QString id;       // column 0
    QString format;   // column 2
    QString name;     // column 3
    QString uploaded; // column 10, "是" or "否"
};

// "确定要删除被询问人：<name>相关笔录数据?", with the warning that the record
// cannot be restored when it was never uploaded.
QString DeleteQuestion(const ListedRecord& r);

struct DeleteOutcome {
    bool deleted = false;
    QString message; // what the officer is told
};

// Deletes the row and writes the "删除" operation-log row in one transaction;
// when either fails (or the row is already gone) nothing is changed and the
// message says so.
DeleteOutcome DeleteRecord(Database& db, const ListedRecord& r, const QString& loginName,
                           const QString& officerName, const QDateTime& now);

// The interview count an asked-again transcript starts with: the stored
// count + 1, and at least 2. The count is read like atoi (leading digits;
// none counts as 0).
QString AskAgainTimes(const QString& storedTimes);

// What an editor needs to open a stored transcript.
struct OpenRequest {
    QString id;
    EditorMode mode = EditorMode::Modify;
    QString times; // the count the editor starts with in ask-again mode
    QString kind;  // jyx_format
    QString type;  // jyx_3
};

// Reads the record `id`; nullopt when there is none. Otherwise loads the
// heading template of ("行政笔录", the record's kind) and makes the record's
// type the session's current transcript type (kept when the record has none).
std::optional<OpenRequest> PrepareOpen(Database& db, SessionValues& session, const QString& id,
                                       EditorMode mode);

} // namespace records
