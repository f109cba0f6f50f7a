#include "transcript/EditorSession.h"

#include "app/Database.h"

#include <QFile>

bool IsSpecialUnit(const QString& unitName) {
    return unitName.contains(QString::fromUtf8(kSpecialUnitMark));
}

QString AskAgainCount(const QString& storedCount) {
    // Like atoi: leading digits count, anything else is 0.
    int count = 0;
    for (const QChar c : storedCount.trimmed()) {
        if (!c.isDigit() || c.unicode() > 127 || count > 100000)
            break;
        count = count * 10 + c.digitValue();
    }
    return QString::number(std::max(count + 1, 2));
}

QString PrintableText(const QString& text) {
    const QString question = QStringLiteral("是否申请回避？");
    QString rest = text;
    const int at = text.indexOf(question);
    if (at >= 0) {
        rest = text.mid(at + question.size());
        // The line break after the question goes with it ("\r\n" or "\n").
        if (rest.startsWith(QLatin1String("\r\n")))
            rest.remove(0, 2);
        else if (rest.startsWith(QLatin1Char('\n')))
            rest.remove(0, 1);
    }
    const QString bare = QString(rest).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    return bare.isEmpty() ? QStringLiteral("被询问人：\n") : rest;
}

EditorSession::EditorSession(Database& db, EditorContext context)
    : m_db(db), m_context(std::move(context)),
      m_store(db, {m_context.loginName, m_context.officerName, m_context.transcriptType}) {}

QString EditorSession::photoFile() const {
    return m_context.programDir + QStringLiteral("/tmp.bmp");
}

SaveResult EditorSession::save(const TranscriptRecord& r) {
    SaveResult result = m_store.save(r, m_recordId, SaveKind::Explicit, photoFile());
    if (result.ok()) {
        m_recordId = result.recordId;
        m_saved = r;
    }
    return result;
}

std::optional<SaveResult> EditorSession::periodicSave(const TranscriptRecord& r, bool visible) {
    if (!PeriodicSaveDue(m_clock.elapsed(), visible, templateDialogOpen, r.name))
        return std::nullopt;
    // Saving an unchanged transcript again would only mark an uploaded row
    // as not uploaded.
    if (!m_recordId.isEmpty() && !hasChanges(r))
        return std::nullopt;
    SaveResult result = m_store.save(r, m_recordId, SaveKind::Periodic, photoFile());
    if (result.ok()) {
        m_recordId = result.recordId;
        m_saved = r;
    }
    return result;
}

QString EditorSession::startInterviewRefusal(const TranscriptRecord& r) const {
    if (r.name.isEmpty())
        return QString::fromUtf8(save_text::kEmptyName);
    if (!HasFullIdNumber(r))
        return QString::fromUtf8(save_text::kBadIdNumber);
    return {};
}

EditorSession::CloseAction EditorSession::closeAction(const TranscriptRecord& r) const {
    if (!hasChanges(r))
        return CloseAction::Close;
    return IsComplete(r) ? CloseAction::SaveSilently : CloseAction::AskDiscard;
}

bool EditorSession::open(const QString& id, EditorMode mode, TranscriptRecord& r) {
    std::string photo;
    TranscriptRecord stored;
    if (!m_store.load(id, stored, &photo))
        return false;
    m_recordId = id;
    m_mode = mode;
    if (mode == EditorMode::AskAgain)
        stored.times = AskAgainCount(stored.times);
    // The photo file is what the next save stores: it must be this
    // transcript's photo or none, never one left by an earlier editor.
    QFile::remove(photoFile());
    m_cardPhoto = WritePhotoFile(photoFile(), photo) ? photoFile() : QString();
    r = stored;
    return true;
}

void EditorSession::cleanUp() {
    DeleteOrphanFamilyRows(m_db);
    QFile::remove(photoFile());
}
