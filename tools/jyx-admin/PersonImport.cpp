#include "tools/jyx-admin/PersonImport.h"

#include "app/Database.h"
#include "text/TextCodec.h"

#include <QString>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

// One pass over the text; `line` counts physical lines for messages.
class CsvReader {
public:
    explicit CsvReader(std::string_view text) : m_text(text) {}

    bool read(std::vector<CsvRow>& rows, std::string& error) {
        while (m_pos < m_text.size()) {
            const int startLine = m_line;
            CsvRow row;
            if (!readRecord(row)) {
                error = "line " + std::to_string(startLine) + ": " + m_problem;
                return false;
            }
            // Blank lines (a trailing line break, an empty last line) hold no record.
            if (!(row.size() == 1 && row[0].empty()))
                rows.push_back(std::move(row));
        }
        return true;
    }

private:
    bool readRecord(CsvRow& row) {
        for (;;) {
            std::string field;
            if (!readField(field))
                return false;
            row.push_back(std::move(field));
            if (m_pos >= m_text.size())
                return true;
            const char c = m_text[m_pos++];
            if (c == ',')
                continue;
            if (c == '\r' && m_pos < m_text.size() && m_text[m_pos] == '\n')
                ++m_pos;
            ++m_line;
            return true;
        }
    }

    bool readField(std::string& field) {
        if (m_pos >= m_text.size() || m_text[m_pos] != '"') {
            while (m_pos < m_text.size() && !IsEnd(m_text[m_pos]))
                field += m_text[m_pos++];
            return true;
        }
        ++m_pos;
        for (;;) {
            if (m_pos >= m_text.size()) {
                m_problem = "a quoted field is not closed";
                return false;
            }
            const char c = m_text[m_pos++];
            if (c == '"') {
                if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                    field += '"';
                    ++m_pos;
                    continue;
                }
                if (m_pos < m_text.size() && !IsEnd(m_text[m_pos])) {
                    m_problem = "text after a closing quote";
                    return false;
                }
                return true;
            }
            if (c == '\n')
                ++m_line;
            field += c;
        }
    }

    static bool IsEnd(char c) { return c == ',' || c == '\n' || c == '\r'; }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    std::string m_problem;
};

bool ReadFile(const std::string& path, std::string& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// Positions in person_info of the header's columns.
bool MapHeader(const CsvRow& header, std::vector<std::string>& columns, std::string& error) {
    std::set<std::string> seen;
    for (const std::string& raw : header) {
        const std::string name = QString::fromStdString(raw).trimmed().toUpper().toStdString();
        if (schema::person_info.indexOf(name) < 0) {
            error = "the header names \"" + raw + "\", which is not a column of person_info";
            return false;
        }
        if (!seen.insert(name).second) {
            error = "the header names column " + name + " twice";
            return false;
        }
        columns.push_back(name);
    }
    return true;
}

bool Fail(CDBConnection& db, const std::string& what, std::string& error) {
    error = what + ": " + db.LastErrorMessage();
    db.ExecuteCmd("ROLLBACK;");
    return false;
}

bool WriteRows(CDBConnection& connection, const std::vector<CsvRow>& rows,
               const std::vector<std::string>& columns, bool replace, std::string& error) {
    Database db(connection);
    if (connection.CommitBegin() != 0)
        return Fail(connection, "cannot begin a transaction", error);
    if (!db.exec(schema::person_info.createSql()))
        return Fail(connection, "cannot create person_info", error);
    if (replace && !db.exec("delete from person_info"))
        return Fail(connection, "cannot empty person_info", error);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (rows[r].size() > columns.size()) {
            error = "record " + std::to_string(r + 1) + " has more fields than the header";
            connection.ExecuteCmd("ROLLBACK;");
            return false;
        }
        std::vector<ColumnValue> values;
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            values.emplace_back(columns[c], rows[r][c]);
        if (!db.insert(schema::person_info, values))
            return Fail(connection, "cannot insert record " + std::to_string(r + 1), error);
    }
    if (connection.CommitEnd() != 0)
        return Fail(connection, "cannot commit", error);
    return true;
}

} // namespace

bool ParseCsv(std::string_view text, std::vector<CsvRow>& rows, std::string& error) {
    return CsvReader(text).read(rows, error);
}

std::string CsvTextAsUtf8(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const QByteArray raw(bytes.data(), qsizetype(bytes.size()));
    if (QString::fromUtf8(raw).toUtf8() == raw)
        return std::string(bytes);
    return AnsiToUtf8(bytes);
}

bool ImportPersons(const std::string& dbPath, const std::string& csvPath, bool replace,
                   std::string& error, int* imported) {
    std::string bytes;
    if (!ReadFile(csvPath, bytes, error))
        return false;
    std::vector<CsvRow> rows;
    if (!ParseCsv(CsvTextAsUtf8(bytes), rows, error)) {
        error = csvPath + ", " + error;
        return false;
    }
    std::vector<std::string> columns;
    if (rows.empty()) {
        error = csvPath + " has no header row";
        return false;
    }
    if (!MapHeader(rows[0], columns, error))
        return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(dbPath, ec)) {
        error = "no database file at " + dbPath;
        return false;
    }
    CDBConnection connection;
    if (connection.Open(dbPath.c_str()) != 0) {
        error = "cannot open " + dbPath + ": " + connection.LastErrorMessage();
        return false;
    }
    if (!WriteRows(connection, rows, columns, replace, error))
        return false;
    if (imported)
        *imported = int(rows.size()) - 1;
    return true;
}
