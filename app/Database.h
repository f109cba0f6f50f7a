// Statements on the system database with bound values in the storage
// encoding of each column (see Schema.h). Callers hand over UTF-8 text.
#pragma once

#include "app/Schema.h"
#include "storage/Kavra.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The values for the `?` placeholders of one statement, in order.
class SqlArgs {
public:
    // UTF-8 text stored as the encoding says (GBK converted, UTF-8 as is).
    SqlArgs& text(std::string_view utf8, ColumnEncoding encoding = ColumnEncoding::Utf8);
    // A value for a column of a table: converted by that column's encoding;
    // a blob column takes the bytes as given.
    SqlArgs& col(const TableDef& table, std::string_view column, std::string_view value);
    SqlArgs& blob(std::string_view bytes);
    SqlArgs& null();

    std::vector<CDBParam> params() const;
    bool empty() const { return m_values.empty(); }

private:
    struct Value {
        CDBParam::Kind kind;
        std::string bytes;
    };
    std::vector<Value> m_values;
};

// A column name and its value (UTF-8 text, or the stored bytes of a blob).
using ColumnValue = std::pair<std::string, std::string>;

class Database {
public:
    explicit Database(CDBConnection& connection) : m_db(connection) {}

    // Runs a statement that changes data; true when it ran without an error.
    bool exec(const std::string& sql, const SqlArgs& args = {});
    // Runs a query; the set stands on its first row (or is at its end).
    CDBRecordSet query(const std::string& sql, const SqlArgs& args = {});

    // "insert into T(c1,c2,...)values(?,?,...)" with each value in its column's encoding.
    bool insert(const TableDef& table, const std::vector<ColumnValue>& values);
    // "update T set c1=?,... where w1=? and ..." likewise.
    bool update(const TableDef& table, const std::vector<ColumnValue>& values,
                const std::vector<ColumnValue>& where);

    // SQLite's message for the last failed statement ("" after a success).
    std::string lastError() const;
    int changes() { return m_db.Changes(); }
    CDBConnection& connection() { return m_db; }

private:
    CDBConnection& m_db;
};

// Column `i` of the current row of a set read from `table` with "select *":
// text converted to UTF-8 from the column's encoding, blobs as stored.
std::string ReadColumn(CDBRecordSet& set, const TableDef& table, int i);
std::string ReadColumn(CDBRecordSet& set, const TableDef& table, std::string_view column);
// Column `i` of the current row, decoded as `encoding` says.
std::string ReadText(CDBRecordSet& set, int i, ColumnEncoding encoding);

// A blob as the database keeps an image file: the file's bytes and one zero
// byte. Empty when the file cannot be read.
std::string BlobFromFile(const std::string& path);
// Writes every stored byte of a blob (the trailing zero included) to a file,
// through a temporary file that is renamed into place. False on failure.
bool WriteBlobToFile(const std::string& path, std::string_view blob);
