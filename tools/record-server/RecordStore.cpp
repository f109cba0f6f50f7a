#include "RecordStore.h"

#include <sqlite3.h>

namespace {

// A compiled statement finalized on every path out.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    bool bind(int i, const std::string& text) {
        return sqlite3_bind_text(stmt, i, text.data(), int(text.size()), SQLITE_TRANSIENT) ==
               SQLITE_OK;
    }
};

std::string ColumnText(sqlite3_stmt* stmt, int i) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    return p ? std::string(p, sqlite3_column_bytes(stmt, i)) : std::string();
}

} // namespace

RecordStore::~RecordStore() {
    if (m_db)
        sqlite3_close(m_db);
}

bool RecordStore::open(const std::string& path, std::string* error) {
    std::lock_guard lock(m_mutex);
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        if (error)
            *error = m_db ? sqlite3_errmsg(m_db) : "cannot open " + path;
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    const char* schema = "create table if not exists transcripts("
                         "account text not null, jyx_id text not null, fields text not null, "
                         "uploaded_at integer not null, primary key(account, jyx_id))";
    char* message = nullptr;
    if (sqlite3_exec(m_db, schema, nullptr, nullptr, &message) != SQLITE_OK) {
        if (error)
            *error = message ? message : "cannot create the table";
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool RecordStore::put(const std::string& account, const std::string& id, const std::string& fields,
                      std::time_t now) {
    std::lock_guard lock(m_mutex);
    if (!m_db)
        return false;
    Statement s(m_db, "insert or replace into transcripts(account, jyx_id, fields, uploaded_at) "
                      "values(?, ?, ?, ?)");
    if (!s.stmt || !s.bind(1, account) || !s.bind(2, id) || !s.bind(3, fields) ||
        sqlite3_bind_int64(s.stmt, 4, now) != SQLITE_OK)
        return false;
    return sqlite3_step(s.stmt) == SQLITE_DONE;
}

bool RecordStore::missing(const std::string& account, const std::set<std::string>& known,
                          std::vector<StoredRecord>& out) {
    std::lock_guard lock(m_mutex);
    out.clear();
    if (!m_db)
        return false;
    Statement s(m_db, "select jyx_id, fields from transcripts where account = ? "
                      "order by uploaded_at, rowid");
    if (!s.stmt || !s.bind(1, account))
        return false;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        StoredRecord r{ColumnText(s.stmt, 0), ColumnText(s.stmt, 1)};
        if (!known.count(r.id))
            out.push_back(std::move(r));
    }
    return rc == SQLITE_DONE;
}
