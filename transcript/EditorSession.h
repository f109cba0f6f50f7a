// The state and decisions of one transcript editor that need no window: the
// record id and mode, the interview clock, what was last saved, when the
// periodic save runs, what closing does, and opening a stored transcript.
// CJyxMakeDlg reads its controls into a TranscriptRecord and asks this class.
#pragma once

#include "transcript/EditorClock.h"
#include "transcript/TranscriptRecord.h"
#include "transcript/TranscriptStore.h"

#include <QString>

#include <optional>

class Database;

// Texts of the editor's own questions and refusals.
namespace editor_text {
inline constexpr const char* kConfirmExit = "您确定要退出笔录编辑吗？";
inline constexpr const char* kDiscardIncomplete =
    "笔录尚未保存：填写被询问人姓名和18位身份证号码后才能保存。\n"
    "关闭窗口将丢弃本次编辑的内容，确定关闭吗？";
inline constexpr const char* kCloseAfterFailure =
    "笔录未能保存，关闭窗口将丢弃本次编辑的内容。确定关闭吗？";
inline constexpr const char* kAskEndAndPrint =
    "是否结束询问，并且打印？\n1.是: 以当前时间为结束时间，并打印\n2.否：取消打印";
} // namespace editor_text

// The unit whose editors show the relationship-to-the-party field and do not
// tell their parent about periodic saves.
inline constexpr const char* kSpecialUnitMark = "云溪县河道";
bool IsSpecialUnit(const QString& unitName);

// The stored interview count plus one, and at least 2 ("再次询问").
QString AskAgainCount(const QString& storedCount);

// The text the print layout receives: what follows the recusal question
// ("是否申请回避？" and the line break after it), or "被询问人：" and a line
// break when nothing is left.
QString PrintableText(const QString& text);

struct EditorContext {
    QString loginName;
    QString officerName;
    QString unitName;
    QString transcriptType;
    QString programDir;
};

class EditorSession {
public:
    enum class CloseAction {
        Close,        // nothing unsaved
        SaveSilently, // unsaved and complete: save without the success message
        AskDiscard,   // unsaved and incomplete: ask before throwing it away
    };

    EditorSession(Database& db, EditorContext context);

    const QString& recordId() const { return m_recordId; }
    EditorMode mode() const { return m_mode; }
    EditorClock& clock() { return m_clock; }
    const EditorClock& clock() const { return m_clock; }

    // program directory + "/tmp.bmp": the photo a save stores.
    QString photoFile() const;
    const QString& cardPhotoPath() const { return m_cardPhoto; }
    void setCardPhotoPath(const QString& path) { m_cardPhoto = path; }

    bool templateDialogOpen = false; // suppresses the periodic save
    bool openedForPrinting = false;  // the records browser's "打印"

    // The content the editor compares against to know whether anything is
    // unsaved: set when the editor has opened and after every save.
    void markSaved(const TranscriptRecord& r) { m_saved = r; }
    bool hasChanges(const TranscriptRecord& r) const { return !(r == m_saved); }

    // The explicit save and the silent save of other commands. On success
    // the record id is fixed and the content counts as saved.
    SaveResult save(const TranscriptRecord& r);
    // The periodic save: nothing (no result) unless it is due and there is
    // something unsaved; never shows a message.
    std::optional<SaveResult> periodicSave(const TranscriptRecord& r, bool visible);
    // Whether the parent hears about a periodic save.
    bool notifiesPeriodicSave() const { return !IsSpecialUnit(m_context.unitName); }

    // "开始问话": the refusal message, or empty when the interview may start.
    QString startInterviewRefusal(const TranscriptRecord& r) const;

    CloseAction closeAction(const TranscriptRecord& r) const;

    // Reads the stored transcript `id` for editing in `mode`: the record id
    // becomes `id`, the stored photo becomes the card photo (written to the
    // photo file), and in AskAgain mode the count goes up. False when there
    // is no such row.
    bool open(const QString& id, EditorMode mode, TranscriptRecord& r);

    // What closing leaves behind: family rows that never got a transcript and
    // the photo file.
    void cleanUp();

private:
    Database& m_db;
    EditorContext m_context;
    TranscriptStore m_store;
    QString m_recordId;
    EditorMode m_mode = EditorMode::New;
    EditorClock m_clock;
    QString m_cardPhoto;
    TranscriptRecord m_saved;
};
