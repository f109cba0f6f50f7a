// Kavra over SQLCipher. See Kavra.h for the contract of each class.
#include "storage/Kavra.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Every database of the system is encrypted with this one key.
constexpr char kKey[] = "pem@tob";
constexpr int kKeyLength = 7;

// Reading the schema is the first thing that touches the encrypted pages, so it
// tells whether the key fits the file (a wrong key gives SQLITE_NOTADB here).
constexpr char kKeyCheck[] = "select count(*) from sqlite_master";

constexpr char kNotOpen[] = "database is not open";
constexpr char kNoStatement[] = "the text holds no SQL statement";

bool StepSucceeded(int code) {
    return code == SQLITE_ROW || code == SQLITE_DONE;
}

// Binds one value to placeholder `index` (1-based). `keep` says whether SQLite
// may point at the caller's bytes (SQLITE_STATIC) or must copy them.
int BindOne(sqlite3_stmt* stmt, int index, const CDBParam& p, sqlite3_destructor_type keep) {
    switch (p.kind) {
    case CDBParam::Text:
        return sqlite3_bind_text(stmt, index, p.data ? static_cast<const char*>(p.data) : "",
                                 p.data ? p.size : 0, keep);
    case CDBParam::Blob:
        if (p.data == nullptr || p.size <= 0)
            return sqlite3_bind_zeroblob(stmt, index, 0);
        return sqlite3_bind_blob(stmt, index, p.data, p.size, keep);
    case CDBParam::Null:
        break;
    }
    return sqlite3_bind_null(stmt, index);
}

int BindAll(sqlite3_stmt* stmt, const CDBParam* params, int count, sqlite3_destructor_type keep) {
    if (count < 0 || (count > 0 && params == nullptr))
        return SQLITE_MISUSE;
    for (int i = 0; i < count; ++i) {
        int rc = BindOne(stmt, i + 1, params[i], keep);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

} // namespace

// ---------------------------------------------------------------- CDBRecordSet

CDBRecordSet::CDBRecordSet() = default;

CDBRecordSet::CDBRecordSet(sqlite3_stmt* stmt, bool empty)
    : m_stmt(stmt), m_eof(empty), m_startedEmpty(empty),
      m_columns(stmt ? sqlite3_column_count(stmt) : 0) {}

CDBRecordSet::CDBRecordSet(const CDBRecordSet& other) {
    Take(other);
}

CDBRecordSet& CDBRecordSet::operator=(const CDBRecordSet& other) {
    if (this != &other) {
        FreeRecordSet();
        Take(other);
    }
    return *this;
}

CDBRecordSet::~CDBRecordSet() {
    FreeRecordSet();
}

void CDBRecordSet::Take(const CDBRecordSet& other) {
    m_stmt = other.m_stmt;
    m_eof = other.m_eof;
    m_startedEmpty = other.m_startedEmpty;
    m_columns = other.m_columns;
    m_lastStep = other.m_lastStep;
    other.m_stmt = nullptr;
}

bool CDBRecordSet::InRange(int i) const {
    return m_stmt && i >= 0 && i < m_columns;
}

int CDBRecordSet::GetFieldNums() {
    return m_stmt ? m_columns : -1;
}

int CDBRecordSet::FieldIndex(const char* name) {
    if (!m_stmt || !name)
        return -1;
    for (int i = 0; i < m_columns; ++i) {
        const char* column = sqlite3_column_name(m_stmt, i);
        if (column && std::strcmp(column, name) == 0)
            return i;
    }
    return -1;
}

const char* CDBRecordSet::FieldName(int i) {
    return InRange(i) ? sqlite3_column_name(m_stmt, i) : nullptr;
}

const char* CDBRecordSet::FieldDeclType(int i) {
    return InRange(i) ? sqlite3_column_decltype(m_stmt, i) : nullptr;
}

int CDBRecordSet::FieldDataType(int i) {
    return InRange(i) ? sqlite3_column_type(m_stmt, i) : SQLITE_NULL;
}

const char* CDBRecordSet::FieldValue(int i) {
    return InRange(i) ? reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i)) : nullptr;
}

const char* CDBRecordSet::FieldValue(const char* name) {
    return FieldValue(FieldIndex(name));
}

int CDBRecordSet::GetIntValue(int i) {
    return InRange(i) ? sqlite3_column_int(m_stmt, i) : 0;
}

int CDBRecordSet::GetIntValue(const char* name) {
    return GetIntValue(FieldIndex(name));
}

long long CDBRecordSet::GetInt64Value(int i) {
    return InRange(i) ? sqlite3_column_int64(m_stmt, i) : 0;
}

long long CDBRecordSet::GetInt64Value(const char* name) {
    return GetInt64Value(FieldIndex(name));
}

double CDBRecordSet::GetDoubleValue(int i) {
    return InRange(i) ? sqlite3_column_double(m_stmt, i) : 0.0;
}

double CDBRecordSet::GetDoubleValue(const char* name) {
    return GetDoubleValue(FieldIndex(name));
}

const char* CDBRecordSet::GetStringValue(int i) {
    const char* value = FieldValue(i);
    return value ? value : "";
}

const char* CDBRecordSet::GetStringValue(const char* name) {
    return GetStringValue(FieldIndex(name));
}

const unsigned char* CDBRecordSet::GetBlobValue(int i, int& size) {
    if (!InRange(i))
        return nullptr;
    // The pointer first, then the length: asking for the length of a text
    // value after its pointer keeps SQLite from converting it twice.
    auto bytes = static_cast<const unsigned char*>(sqlite3_column_blob(m_stmt, i));
    size = bytes ? sqlite3_column_bytes(m_stmt, i) : 0;
    return bytes;
}

const unsigned char* CDBRecordSet::GetBlobValue(const char* name, int& size) {
    return GetBlobValue(FieldIndex(name), size);
}

bool CDBRecordSet::FieldIsNull(int i) {
    return !InRange(i) || sqlite3_column_type(m_stmt, i) == SQLITE_NULL;
}

bool CDBRecordSet::FieldIsNull(const char* name) {
    return FieldIsNull(FieldIndex(name));
}

bool CDBRecordSet::IsEof() {
    return !m_stmt || m_eof;
}

bool CDBRecordSet::MoveFirst() {
    if (!m_stmt || m_startedEmpty)
        return false;
    // sqlite3_reset repeats the code of a failed previous step, yet it has
    // reset the statement all the same, so the step below decides.
    sqlite3_reset(m_stmt);
    m_lastStep = sqlite3_step(m_stmt);
    m_eof = m_lastStep != SQLITE_ROW;
    return !m_eof;
}

bool CDBRecordSet::Reset() {
    return MoveFirst();
}

bool CDBRecordSet::MoveNext() {
    // Stepping a finished statement would start it over (and run a write a
    // second time), so a set at its end stays there until MoveFirst.
    if (!m_stmt || m_eof)
        return false;
    m_lastStep = sqlite3_step(m_stmt);
    // An error ends the rows as well: callers loop until IsEof.
    m_eof = m_lastStep != SQLITE_ROW;
    return !m_eof;
}

void CDBRecordSet::FreeRecordSet() {
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
}

bool CDBRecordSet::IsOpen() {
    return m_stmt != nullptr;
}

// ---------------------------------------------------------------- CDBTable

CDBTable::CDBTable() = default;

CDBTable::CDBTable(char** result, int columns, int rows)
    : m_result(result), m_columns(columns), m_rows(rows) {}

CDBTable::CDBTable(const CDBTable& other)
    : m_result(other.m_result), m_columns(other.m_columns), m_rows(other.m_rows) {
    other.m_result = nullptr;
}

CDBTable& CDBTable::operator=(const CDBTable& other) {
    if (this != &other) {
        FreeTable();
        m_result = other.m_result;
        m_columns = other.m_columns;
        m_rows = other.m_rows;
        m_current = -1;
        other.m_result = nullptr;
    }
    return *this;
}

CDBTable::~CDBTable() {
    FreeTable();
}

int CDBTable::GetFieldNums() {
    return m_result ? m_columns : -1;
}

int CDBTable::GetRowNums() {
    return m_result ? m_rows : -1;
}

const char* CDBTable::GetColumnCaption(int i) {
    return m_result && i >= 0 && i < m_columns ? m_result[i] : nullptr;
}

int CDBTable::ColumnOf(const char* name) const {
    if (!m_result || !name)
        return -1;
    for (int i = 0; i < m_columns; ++i) {
        if (m_result[i] && std::strcmp(m_result[i], name) == 0)
            return i;
    }
    return -1;
}

// Off a row (before the first or at the end position) there is no value: the
// array holds captions before row 0 and nothing after the last row.
const char* CDBTable::ValueAt(int column) const {
    if (!m_result || column < 0 || column >= m_columns || m_current < 0 || m_current >= m_rows)
        return nullptr;
    return m_result[column + m_columns * (m_current + 1)];
}

const char* CDBTable::FieldValue(int i) {
    return ValueAt(i);
}

const char* CDBTable::FieldValue(const char* name) {
    return ValueAt(ColumnOf(name));
}

const char* CDBTable::GetStringValue(int i) {
    return ValueAt(i);
}

const char* CDBTable::GetStringValue(const char* name) {
    return ValueAt(ColumnOf(name));
}

int CDBTable::GetIntValue(int i) {
    const char* value = ValueAt(i);
    return value ? int(std::strtol(value, nullptr, 10)) : -1;
}

int CDBTable::GetIntValue(const char* name) {
    return GetIntValue(ColumnOf(name));
}

double CDBTable::GetDoubleValue(int i) {
    const char* value = ValueAt(i);
    return value ? std::strtod(value, nullptr) : 0.0;
}

double CDBTable::GetDoubleValue(const char* name) {
    return GetDoubleValue(ColumnOf(name));
}

bool CDBTable::FieldIsNull(int i) {
    return ValueAt(i) == nullptr;
}

bool CDBTable::FieldIsNull(const char* name) {
    return ValueAt(ColumnOf(name)) == nullptr;
}

bool CDBTable::MoveTo(int row) {
    if (!m_result || row < 0 || row >= m_rows)
        return false;
    m_current = row;
    return true;
}

bool CDBTable::MoveFirst() {
    m_current = 0;
    return true;
}

bool CDBTable::MoveNext() {
    if (m_current >= m_rows)
        return false;
    ++m_current;
    return true;
}

bool CDBTable::MovePrive() {
    if (m_current < 0)
        return false;
    --m_current;
    return true;
}

bool CDBTable::MoveLast() {
    m_current = m_rows - 1;
    return true;
}

bool CDBTable::IsBof() {
    return m_current < 0;
}

bool CDBTable::IsEof() {
    return m_current >= m_rows;
}

void CDBTable::FreeTable() {
    if (m_result)
        sqlite3_free_table(m_result);
    m_result = nullptr;
    m_columns = 0;
    m_rows = 0;
    m_current = -1;
}

bool CDBTable::IsOpen() {
    return m_result != nullptr;
}

// ---------------------------------------------------------------- CDBConnection

// Compiled statements by their SQL text, most recently used first. A statement
// is reset, with its bindings cleared, whenever it goes back.
struct CDBConnection::StatementCache {
    struct Entry {
        std::string sql;
        sqlite3_stmt* stmt = nullptr;
    };
    static constexpr size_t kLimit = 32;
    std::vector<Entry> entries;

    // Moves a hit to the front (no copy of the text is made) and returns it.
    sqlite3_stmt* Find(const char* sql) {
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (it->sql == sql) {
                std::rotate(entries.begin(), it, it + 1);
                return entries.front().stmt;
            }
        }
        return nullptr;
    }
    bool IsFront(sqlite3_stmt* stmt) const {
        return !entries.empty() && entries.front().stmt == stmt;
    }
    void Add(const char* sql, sqlite3_stmt* stmt) {
        entries.insert(entries.begin(), Entry{sql, stmt});
        if (entries.size() > kLimit) {
            sqlite3_finalize(entries.back().stmt);
            entries.pop_back();
        }
    }
    void Clear() {
        for (Entry& e : entries)
            sqlite3_finalize(e.stmt);
        entries.clear();
    }
};

sqlite3_stmt* CDBConnection::Prepared(const char* sql) {
    if (m_db && sql && m_cache) {
        if (sqlite3_stmt* stmt = m_cache->Find(sql))
            return stmt;
    }
    return Compile(sql);
}

void CDBConnection::Release(const char* sql, sqlite3_stmt* stmt) {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (!m_cache)
        m_cache = new StatementCache;
    if (!m_cache->IsFront(stmt))
        m_cache->Add(sql, stmt);
}

CDBConnection::CDBConnection() = default;

CDBConnection::CDBConnection(const CDBConnection& other)
    : m_db(other.m_db), m_busyTimeout(other.m_busyTimeout), m_lastCode(other.m_lastCode),
      m_lastMessage(other.m_lastMessage), m_cache(other.m_cache) {
    other.m_db = nullptr;
    other.m_cache = nullptr;
}

CDBConnection& CDBConnection::operator=(const CDBConnection& other) {
    if (this != &other) {
        Close();
        delete m_cache;
        m_db = other.m_db;
        m_busyTimeout = other.m_busyTimeout;
        m_lastCode = other.m_lastCode;
        m_lastMessage = other.m_lastMessage;
        m_cache = other.m_cache;
        other.m_db = nullptr;
        other.m_cache = nullptr;
    }
    return *this;
}

CDBConnection::~CDBConnection() {
    Close();
}

bool CDBConnection::IsConnected() const {
    return m_db != nullptr;
}

void CDBConnection::Note(int code) {
    if (StepSucceeded(code) || code == SQLITE_OK) {
        m_lastCode = SQLITE_OK;
        m_lastMessage.clear();
        return;
    }
    m_lastCode = code;
    m_lastMessage = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
}

void CDBConnection::NoteText(int code, const char* message) {
    m_lastCode = code;
    m_lastMessage = message;
}

int CDBConnection::Open(const char* path) {
    if (!path) {
        NoteText(SQLITE_MISUSE, "no database path");
        return -1;
    }
    Close();
    // On this platform paths are UTF-8 already, which is what sqlite3_open takes.
    int rc = sqlite3_open(path, &m_db);
    if (rc == SQLITE_OK) {
        sqlite3_key(m_db, kKey, kKeyLength);
        sqlite3_busy_timeout(m_db, m_busyTimeout);
        rc = sqlite3_exec(m_db, kKeyCheck, nullptr, nullptr, nullptr);
    }
    Note(rc);
    // A handle that failed to open, or whose key does not fit the file, is
    // of no use: close it so the connection reads as closed.
    if (rc != SQLITE_OK)
        Close();
    return rc;
}

void CDBConnection::Close() {
    if (m_cache)
        m_cache->Clear();
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void CDBConnection::SetBusyTimeOut(int ms) {
    m_busyTimeout = ms;
    if (m_db)
        sqlite3_busy_timeout(m_db, ms);
}

int CDBConnection::GetBusyTimeOut() {
    return m_busyTimeout;
}

int CDBConnection::GetLastInserRowID() {
    return m_db ? int(sqlite3_last_insert_rowid(m_db)) : -1;
}

long long CDBConnection::GetLastInsertRowID() {
    return m_db ? sqlite3_last_insert_rowid(m_db) : -1;
}

int CDBConnection::Changes() {
    return m_db ? sqlite3_changes(m_db) : -1;
}

bool CDBConnection::TableExists(const char* name) {
    if (!name)
        return false;
    CDBParam param = CDBParam::text(name, int(std::strlen(name)));
    CDBRecordSet set =
        ExecuteQuery("select count(1) from sqlite_master where type='table' and name=?", &param, 1);
    return !set.IsEof() && !set.FieldIsNull(0) && set.GetIntValue(0) > 0;
}

sqlite3_stmt* CDBConnection::Compile(const char* sql) {
    if (!m_db) {
        NoteText(SQLITE_MISUSE, kNotOpen);
        return nullptr;
    }
    if (!sql) {
        NoteText(SQLITE_MISUSE, kNoStatement);
        return nullptr;
    }
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        Note(rc);
        sqlite3_finalize(stmt);
        return nullptr;
    }
    if (!stmt)
        NoteText(SQLITE_MISUSE, kNoStatement);
    return stmt;
}

// Values of a query stay bound while its record set lives on after the call,
// so SQLite copies them.
bool CDBConnection::Bind(sqlite3_stmt* stmt, const CDBParam* params, int count) {
    int rc = BindAll(stmt, params, count, SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        Note(rc);
    return rc == SQLITE_OK;
}

CDBRecordSet CDBConnection::StepFirst(sqlite3_stmt* stmt) {
    int rc = sqlite3_step(stmt);
    Note(rc);
    CDBRecordSet set(stmt, rc != SQLITE_ROW);
    set.m_lastStep = rc;
    return set;
}

CDBRecordSet CDBConnection::ExecuteQuery(const char* sql) {
    sqlite3_stmt* stmt = Compile(sql);
    if (!stmt)
        return CDBRecordSet();
    return StepFirst(stmt);
}

CDBRecordSet CDBConnection::ExecuteQuery(const char* sql, const CDBParam* params, int count) {
    sqlite3_stmt* stmt = Compile(sql);
    if (!stmt)
        return CDBRecordSet();
    if (!Bind(stmt, params, count)) {
        sqlite3_finalize(stmt);
        return CDBRecordSet();
    }
    return StepFirst(stmt);
}

int CDBConnection::ExecuteCmd(const char* sql) {
    if (!m_db) {
        NoteText(SQLITE_MISUSE, kNotOpen);
        return -1;
    }
    char* error = nullptr;
    int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
    if (rc == SQLITE_OK)
        Note(rc);
    else
        NoteText(rc, error ? error : sqlite3_errstr(rc));
    sqlite3_free(error);
    return rc == SQLITE_OK ? sqlite3_changes(m_db) : -1;
}

// Compiles (or takes from the cache), binds and steps once. The step's result
// code, or -1 when the statement never got to be stepped.
int CDBConnection::RunBlob(const char* sql, const CDBParam* params, int count) {
    sqlite3_stmt* stmt = Prepared(sql);
    if (!stmt)
        return -1;
    // The statement is done with before returning, so SQLite may read the
    // caller's bytes in place.
    int rc = BindAll(stmt, params, count, SQLITE_STATIC);
    bool stepped = rc == SQLITE_OK;
    if (stepped)
        rc = sqlite3_step(stmt);
    Note(rc);
    Release(sql, stmt);
    return stepped ? rc : -1;
}

bool CDBConnection::ExcuteBolbInfo(const char* sql, void* data, int size) {
    CDBParam blob = CDBParam::blob(data, size);
    // True once stepped; how the step ended is left in LastResultCode.
    return RunBlob(sql, &blob, 1) != -1;
}

bool CDBConnection::ExcuteBolbInfo(const char* sql, const CDBParam* params, int count) {
    return StepSucceeded(RunBlob(sql, params, count));
}

int CDBConnection::GetExecScalarRows(const char* sql) {
    CDBRecordSet set = ExecuteQuery(sql);
    return set.IsEof() ? 0 : set.GetIntValue(0);
}

int CDBConnection::RunPlain(const char* sql) {
    if (!m_db) {
        NoteText(SQLITE_MISUSE, kNotOpen);
        return SQLITE_MISUSE;
    }
    int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    Note(rc);
    return rc;
}

int CDBConnection::CommitBegin() {
    return RunPlain("BEGIN;");
}

int CDBConnection::CommitEnd() {
    return RunPlain("COMMIT;");
}

// ---------------------------------------------------------------- CDBField

CDBField::CDBField() = default;

CDBField::CDBField(CDBRecordSet* set, const char* name) : m_set(set), m_name(name) {}

CDBField::CDBField(const CDBField& other) : m_set(other.m_set), m_name(other.m_name) {}

CDBField& CDBField::operator=(const CDBField& other) {
    if (this != &other) {
        m_set = other.m_set;
        m_name = other.m_name;
        other.m_set = nullptr;
        other.m_name = nullptr;
    }
    return *this;
}

CDBField::~CDBField() = default;

bool CDBField::HasValue() {
    return m_set && m_name && !m_set->FieldIsNull(m_name);
}

int CDBField::IntValue() {
    return HasValue() ? m_set->GetIntValue(m_name) : 0;
}

const char* CDBField::AsString() {
    return m_set && m_name ? m_set->GetStringValue(m_name) : nullptr;
}

double CDBField::AsDouble() {
    return HasValue() ? m_set->GetDoubleValue(m_name) : 0.0;
}

float CDBField::AsFloat() {
    return float(AsDouble());
}

int CDBField::AsInt() {
    return IntValue();
}

long CDBField::AsLong() {
    return IntValue();
}

unsigned char CDBField::AsByte() {
    return static_cast<unsigned char>(IntValue() & 0xff);
}

short CDBField::AsShort() {
    return static_cast<short>(IntValue());
}

unsigned long CDBField::AsULong() {
    return static_cast<unsigned long>(IntValue());
}

bool CDBField::AsBool() {
    return IntValue() > 0;
}
