#include "transcript/TranscriptStore.h"

#include "app/Clock.h"
#include "app/Database.h"

#include <QFile>

namespace {

const TableDef& C = schema::jyx_content;

std::string u8(const QString& s) {
    return s.toStdString();
}

QString field(CDBRecordSet& set, int column) {
    return QString::fromStdString(ReadColumn(set, C, column));
}

// atoi over a part of a text: optional sign, then digits; anything else ends it.
int partOf(const QString& text, int from, int length) {
    const QString s = text.mid(from, length);
    int i = 0, sign = 1, value = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        sign = s[i++] == '-' ? -1 : 1;
    for (; i < s.size() && s[i].isDigit() && s[i].unicode() < 128; ++i)
        value = value * 10 + s[i].digitValue();
    return sign * value;
}

// The start and end columns take the current time when their field is empty;
// the fields themselves stay empty.
QString timeOrNow(const QString& text, const QDateTime& now) {
    return text.isEmpty() ? FormatDateTimeNoSeconds(now) : text;
}

// Every column a save writes from the editor's fields, in the order the
// insert names them. Each text is converted once and moved into place: the
// transcript runs to megabytes, and a brace list of strings would copy it.
std::vector<ColumnValue> editableColumns(const TranscriptRecord& r, const QDateTime& now) {
    const std::pair<const char*, QString> fields[] = {
        {"jyx_persontype", r.personType},
        {"jyx_starttime", timeOrNow(r.startTime, now)},
        {"jyx_endtime", timeOrNow(r.endTime, now)},
        {"jyx_content", r.text},
        {"jyx_sex", r.sex},
        {"jyx_birthday", r.birthday.isValid() ? FormatDate(r.birthday) : QString()},
        {"jyx_answername", r.name},
        {"jyx_age", r.age},
        {"jyx_answersfz", r.idNumber},
        {"jyx_questionname", r.askName1},
        {"jyx_questionsfz", r.asker1.certificate},
        {"jyx_recordname", r.recordName},
        {"jyx_recordsfz", r.recorder.certificate},
        {"jyx_telphone", r.telephone},
        {"jyx_times", r.times},
        {"jyx_casename", r.caseNumber},
        {"jyx_station", r.nation},
        {"jyx_education", r.education},
        {"jyx_zzmm", r.political},
        {"jyx_workyear", r.workYears},
        {"jyx_country", r.nationality},
        {"jyx_workunit", r.workUnit},
        {"jyx_job", r.job},
        {"jyx_birthaddress", r.birthAddress},
        {"jyx_nowaddress", r.nowAddress},
        {"jyx_format", r.kind},
        {"jyx_questionjob", r.asker1.post},
        {"jyx_prename", r.formerName},
        {"jyx_chuhao", r.nickname},
        {"jyx_people", r.people},
        {"jyx_askname2", r.askName2},
        {"jyx_asksfz2", r.asker2.certificate},
        {"jyx_askjob2", r.asker2.post},
        {"jyx_jfperson", r.guardian},
        {"jyx_jfaddress", r.guardianAddress},
        {"jyx_jyxaddress", r.place},
        {"jyx_1", r.term},
        {"jyx_2", r.charge},
        {"jyx_relation", r.relation},
    };
    std::vector<ColumnValue> columns;
    columns.reserve(std::size(fields) + 5); // room for the insert's extra columns
    for (const auto& [name, value] : fields)
        columns.emplace_back(name, u8(value));
    return columns;
}

// Runs a group of statements as one transaction when one can be started
// (it cannot inside another), so a failure leaves nothing half written.
class Transaction {
public:
    explicit Transaction(Database& db) : m_db(db), m_open(db.exec("begin")) {}
    ~Transaction() {
        if (m_open)
            m_db.exec("rollback");
    }
    bool commit() {
        if (!m_open)
            return true;
        m_open = false;
        return m_db.exec("commit");
    }

private:
    Database& m_db;
    bool m_open;
};

} // namespace

QString SaveResult::message() const {
    switch (status) {
    case Status::Saved:
        return {};
    case Status::BadIdNumber:
        return QString::fromUtf8(save_text::kBadIdNumber);
    case Status::EmptyName:
        return QString::fromUtf8(save_text::kEmptyName);
    case Status::Failed:
        break;
    }
    QString text = QString::fromUtf8(save_text::kFailed);
    if (!error.isEmpty())
        text += "\n(" + error + ")";
    return text;
}

DateTimeParts BreakUpTime(const QString& text) {
    return {partOf(text, 0, 4),  partOf(text, 5, 2),  partOf(text, 8, 2),
            partOf(text, 11, 2), partOf(text, 14, 2), partOf(text, 17, 2)};
}

QString CheckEndTime(const QString& text) {
    const DateTimeParts p = BreakUpTime(text);
    if (p.year - 1900 < 0 || p.year - 1900 > 200)
        return QStringLiteral("请检查结束日期年份是否正确!");
    if (p.month < 0 || p.month > 12)
        return QStringLiteral("请检查结束日期月份是否正确!");
    if (p.day < 0 || p.day > 31)
        return QStringLiteral("请检查结束日期是否正确!");
    if (p.hour < 0 || p.hour > 60)
        return QStringLiteral("请检查结束日期小时是否正确!");
    if (p.minute < 0 || p.minute > 60)
        return QStringLiteral("请检查结束日期分钟是否正确!");
    return {};
}

bool PeriodicSaveDue(int elapsedSeconds, bool visible, bool templateChooserOpen,
                     const QString& name) {
    return elapsedSeconds >= kPeriodicSaveMinSeconds && visible && !templateChooserOpen &&
           !name.isEmpty();
}

QString ExplicitRecordId(const QString& idNumber, const QDateTime& now) {
    return idNumber + "_" + FormatStamp(now);
}

QString PeriodicRecordId(const QString& loginName, const QDateTime& now) {
    return loginName + QString::number(now.toSecsSinceEpoch());
}

TranscriptStore::TranscriptStore(Database& db, SaveContext context)
    : m_db(db), m_context(std::move(context)) {}

SaveResult TranscriptStore::save(const TranscriptRecord& record, const QString& recordId,
                                 SaveKind kind, const QString& photoPath) {
    SaveResult result;
    // The periodic save needs no ID number for its id; refusing it would
    // leave a long interview unsaved until the number is typed.
    if (kind == SaveKind::Explicit && !HasFullIdNumber(record)) {
        result.status = SaveResult::Status::BadIdNumber;
        return result;
    }
    if (record.name.isEmpty()) {
        result.status = SaveResult::Status::EmptyName;
        return result;
    }
    const QDateTime now = CurrentClock().now();
    const bool hasPhoto = QFile::exists(photoPath);
    const std::string photo = hasPhoto ? BlobFromFile(u8(photoPath)) : std::string();

    result.recordId = recordId;
    Transaction transaction(m_db);
    bool ok = true;
    if (!recordId.isEmpty()) {
        ok = write(record, recordId, false, kind, photo, hasPhoto);
        // The row may have been deleted meanwhile (records browser): create
        // it again rather than report a save that stored nothing.
        result.inserted = ok && m_db.changes() == 0;
    } else {
        result.recordId = kind == SaveKind::Periodic ? PeriodicRecordId(m_context.loginName, now)
                                                     : ExplicitRecordId(record.idNumber, now);
        result.inserted = true;
    }
    if (ok && result.inserted)
        ok = write(record, result.recordId, true, kind, photo, hasPhoto) &&
             adoptFamilyRows(result.recordId);
    if (ok && kind == SaveKind::Explicit)
        ok = writeLog(record, result.inserted);
    if (ok)
        ok = transaction.commit();
    if (!ok) {
        result.error = QString::fromStdString(m_db.lastError());
        result.status = SaveResult::Status::Failed;
        result.recordId = recordId;
        result.inserted = false;
        return result;
    }
    result.status = SaveResult::Status::Saved;
    return result;
}

bool TranscriptStore::write(const TranscriptRecord& r, const QString& id, bool insert,
                            SaveKind kind, const std::string& photo, bool hasPhoto) {
    const QDateTime now = CurrentClock().now();
    std::vector<ColumnValue> columns = editableColumns(r, now);
    if (insert) {
        columns.insert(columns.begin(), {"jyx_id", u8(id)});
        columns.push_back({"jyx_image", ""});
        columns.push_back({"jyx_3", u8(m_context.transcriptType)});
        columns.push_back({"jyx_4", "0"});
    }
    if (insert || kind == SaveKind::Periodic)
        columns.push_back({"jyx_isupload", "0"});

    std::string sql, marks;
    SqlArgs args;
    for (const ColumnValue& c : columns) {
        const bool first = sql.empty();
        sql += insert ? (first ? "" : ",") + c.first : (first ? "" : ",") + c.first + "=?";
        marks += first ? "?" : ",?";
        args.col(C, c.first, c.second);
    }
    sql += insert ? ",jyx_headpic" : ",jyx_headpic=?";
    if (hasPhoto)
        args.blob(photo);
    else
        args.null();
    if (insert) {
        sql = "insert into jyx_content(" + sql + ")values(" + marks + ",?)";
    } else {
        sql = "update jyx_content set " + sql + " where jyx_id=?";
        args.col(C, "jyx_id", u8(id));
    }
    return m_db.exec(sql, args);
}

bool TranscriptStore::writeLog(const TranscriptRecord& r, bool inserted) {
    const QString when = FormatDateTimeNoSeconds(CurrentClock().now());
    return m_db.insert(schema::jyx_log, {{"login_id", u8(m_context.loginName)},
                                         {"login_name", u8(m_context.officerName)},
                                         {"opra_type", inserted ? "创建" : "修改"},
                                         {"opra_time", u8(when)},
                                         {"opra_person", u8(r.name)},
                                         {"opra_jyxformat", u8(r.kind)}});
}

bool TranscriptStore::adoptFamilyRows(const QString& id) {
    return m_db.update(schema::jyx_family, {{"jyx_id", u8(id)}}, {{"jyx_id", ""}});
}

bool TranscriptStore::load(const QString& recordId, TranscriptRecord& r, std::string* photo) {
    CDBRecordSet set = m_db.query("select * from jyx_content where jyx_id=?",
                                  SqlArgs().col(C, "jyx_id", u8(recordId)));
    if (set.IsEof())
        return false;
    namespace c = schema::content;
    r = TranscriptRecord{};
    r.personType = field(set, c::persontype);
    r.startTime = field(set, c::starttime);
    r.endTime = field(set, c::endtime);
    r.text = field(set, c::text);
    r.name = field(set, c::answername);
    const QString birthday = field(set, c::birthday);
    if (birthday.size() >= 10)
        r.birthday = QDate(partOf(birthday, 0, 4), partOf(birthday, 5, 2), partOf(birthday, 8, 2));
    r.sex = field(set, c::sex);
    r.age = field(set, c::age);
    r.idNumber = field(set, c::answersfz);
    r.askName1 = field(set, c::questionname);
    r.asker1.certificate = field(set, c::questionsfz);
    r.recordName = field(set, c::recordname);
    r.recorder.certificate = field(set, c::recordsfz);
    r.telephone = field(set, c::telphone);
    r.times = field(set, c::times);
    r.caseNumber = field(set, c::casename);
    r.nation = field(set, c::station);
    r.education = field(set, c::education);
    r.political = field(set, c::zzmm);
    r.workYears = field(set, c::workyear);
    r.nationality = field(set, c::country);
    r.workUnit = field(set, c::workunit);
    r.job = field(set, c::job);
    r.birthAddress = field(set, c::birthaddress);
    r.nowAddress = field(set, c::nowaddress);
    r.kind = field(set, c::format);
    r.asker1.post = field(set, c::questionjob);
    r.formerName = field(set, c::prename);
    r.nickname = field(set, c::chuhao);
    r.people = field(set, c::people);
    r.askName2 = field(set, c::askname2);
    r.asker2.certificate = field(set, c::asksfz2);
    r.asker2.post = field(set, c::askjob2);
    r.guardian = field(set, c::jfperson);
    r.guardianAddress = field(set, c::jfaddress);
    r.place = field(set, c::jyxaddress);
    r.term = field(set, c::x1);
    r.charge = field(set, c::x2);
    r.type = field(set, c::x3);
    r.classicMark = field(set, c::x4);
    r.relation = field(set, c::relation);
    // Rows written before the relationship had a column of its own keep it
    // in jyx_4, where only "0" and "1" are marks.
    if (r.relation.isEmpty() && !r.classicMark.isEmpty() && r.classicMark != "0" &&
        r.classicMark != "1")
        r.relation = r.classicMark;
    if (photo)
        *photo = ReadColumn(set, C, c::headpic);
    return true;
}

bool WritePhotoFile(const QString& path, const std::string& blob) {
    if (blob.size() < 2)
        return false;
    std::string_view bytes(blob);
    if (bytes.back() == '\0')
        bytes.remove_suffix(1);
    return WriteBlobToFile(u8(path), bytes);
}

OfficerLists BuildOfficerLists(const std::vector<std::pair<QString, QString>>& rows,
                               const QString& currentOfficer) {
    OfficerLists lists;
    for (const auto& [name, type] : rows) {
        if (type == QStringLiteral("询问人"))
            lists.askers << name;
        else if (type == QStringLiteral("记录人"))
            lists.recorders << name;
    }
    const bool haveAskers = !lists.askers.isEmpty();
    lists.asker1Index = lists.askers.indexOf(currentOfficer);
    if (lists.asker1Index < 0 && haveAskers)
        lists.asker1Index = 0;
    // Selecting an entry puts its text into the field; with no entry the
    // field keeps the current officer's name.
    lists.asker1Text = haveAskers ? lists.askers.at(lists.asker1Index) : currentOfficer;
    lists.asker2Index = haveAskers ? 0 : -1;
    for (int i = 0; i < lists.askers.size(); ++i)
        if (lists.askers.at(i) != currentOfficer) {
            lists.asker2Index = i;
            break;
        }
    lists.recorderIndex = lists.recorders.isEmpty() ? -1 : 0;
    return lists;
}

OfficerLists LoadOfficerLists(Database& db, const QString& currentOfficer) {
    std::vector<std::pair<QString, QString>> rows;
    const TableDef& t = schema::jyx_login;
    for (CDBRecordSet set = db.query("select * from jyx_login"); !set.IsEof(); set.MoveNext())
        rows.emplace_back(QString::fromStdString(ReadColumn(set, t, "login_name")),
                          QString::fromStdString(ReadColumn(set, t, "person_type")));
    return BuildOfficerLists(rows, currentOfficer);
}

bool LookupOfficer(Database& db, const QString& name, OfficerDetails& details) {
    const TableDef& t = schema::jyx_login;
    bool found = false;
    for (CDBRecordSet set = db.query("select * from jyx_login where login_name=?",
                                     SqlArgs().col(t, "login_name", u8(name)));
         !set.IsEof(); set.MoveNext()) {
        auto text = [&](const char* column) {
            return QString::fromStdString(ReadColumn(set, t, column));
        };
        details = {text("person_zfzh"), text("person_unit"), text("person_job"),
                   text("person_sfz")};
        found = true;
    }
    return found;
}

QStringList LoadPlaces(Database& db) {
    QStringList places;
    for (CDBRecordSet set = db.query("select * from jyx_address order by jyx_createtime");
         !set.IsEof(); set.MoveNext())
        places << QString::fromStdString(ReadColumn(set, schema::jyx_address, 2));
    return places;
}

bool DeleteOrphanFamilyRows(Database& db) {
    return db.exec("delete from jyx_family where jyx_id=''");
}
