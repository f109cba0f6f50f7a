#include "records/RecordActions.h"

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/Database.h"
#include "transcript/TranscriptKinds.h"

#include <algorithm>

namespace records {

namespace {

const TableDef& C = schema::jyx_content;

std::string u8(const QString& s) {
    return s.toStdString();
}

} // namespace

QString DeleteQuestion(const ListedRecord& r) {
    QString q = QStringLiteral("确定要删除被询问人：") + r.name + QStringLiteral("相关笔录数据?");
    if (r.uploaded != QStringLiteral("是"))
        q += QStringLiteral("该笔录未上传，删除后不可恢复，确定删除？");
    return q;
}

DeleteOutcome DeleteRecord(Database& db, const ListedRecord& r, const QString& loginName,
                           const QString& officerName, const QDateTime& now) {
    DeleteOutcome out;
    out.message = r.name + QStringLiteral("相关数据删除失败！");
    if (!db.exec("begin"))
        return out;
    const bool removed =
        db.exec("delete from jyx_content where jyx_id=?", SqlArgs().col(C, "jyx_id", u8(r.id))) &&
        db.changes() > 0;
    const bool logged =
        removed && db.insert(schema::jyx_log, {{"login_id", u8(loginName)},
                                               {"login_name", u8(officerName)},
                                               {"opra_type", "删除"},
                                               {"opra_time", u8(FormatDateTime(now))},
                                               {"opra_person", u8(r.name)},
                                               {"opra_jyxformat", u8(r.format)}});
    if (!logged) {
        const std::string error = db.lastError();
        db.exec("rollback");
        if (!error.empty())
            out.message += QStringLiteral("\n") + QString::fromStdString(error);
        return out;
    }
    if (!db.exec("commit")) {
        out.message += QStringLiteral("\n") + QString::fromStdString(db.lastError());
        db.exec("rollback");
        return out;
    }
    out.deleted = true;
    out.message = r.name + QStringLiteral("相关数据已删除！");
    return out;
}

QString AskAgainTimes(const QString& storedTimes) {
    // Read like atoi: the leading digits count, anything else is 0.
    int n = 0;
    for (const QChar c : storedTimes.trimmed()) {
        if (c < u'0' || c > u'9' || n > 100000)
            break;
        n = n * 10 + (c.unicode() - u'0');
    }
    return QString::number(std::max(n + 1, 2));
}

std::optional<OpenRequest> PrepareOpen(Database& db, SessionValues& session, const QString& id,
                                       EditorMode mode) {
    CDBRecordSet set = db.query("select jyx_format,jyx_times,jyx_3 from jyx_content where jyx_id=?",
                                SqlArgs().col(C, "jyx_id", u8(id)));
    if (set.IsEof())
        return std::nullopt;
    auto read = [&](int i, const char* column) {
        return QString::fromStdString(ReadText(set, i, C.column(column).encoding));
    };
    OpenRequest req;
    req.id = id;
    req.mode = mode;
    req.kind = read(0, "jyx_format");
    req.times = read(1, "jyx_times");
    req.type = read(2, "jyx_3");
    if (mode == EditorMode::AskAgain)
        req.times = AskAgainTimes(req.times);
    LoadHeadingTemplate(db, QString::fromUtf8(kHeadingType), req.kind);
    if (!req.type.isEmpty())
        session.transcriptType = u8(req.type);
    return req;
}

} // namespace records
