// The record server's store: the transcripts uploaded per account, in one
// SQLite file. Safe to use from the server's request threads.
#pragma once

#include <ctime>
#include <mutex>
#include <set>
#include <string>
#include <vector>

struct sqlite3;

struct StoredRecord {
    std::string id;
    std::string fields; // the uploaded form fields as a JSON object
};

class RecordStore {
public:
    RecordStore() = default;
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Opens (creating when missing) the database file; false with a message.
    bool open(const std::string& path, std::string* error);
    // Inserts or replaces the record `id` of `account`.
    bool put(const std::string& account, const std::string& id, const std::string& fields,
             std::time_t now);
    // The account's records whose ids are not in `known`, oldest upload first.
    // False when the store could not be read.
    bool missing(const std::string& account, const std::set<std::string>& known,
                 std::vector<StoredRecord>& out);

private:
    std::mutex m_mutex;
    sqlite3* m_db = nullptr;
};
