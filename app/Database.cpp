#include "app/Database.h"

#include "text/TextCodec.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

SqlArgs& SqlArgs::text(std::string_view utf8, ColumnEncoding encoding) {
    if (encoding == ColumnEncoding::Gbk)
        m_values.push_back({CDBParam::Text, Utf8ToAnsi(utf8)});
    else if (encoding == ColumnEncoding::Blob)
        m_values.push_back({CDBParam::Blob, std::string(utf8)});
    else
        m_values.push_back({CDBParam::Text, std::string(utf8)});
    return *this;
}

SqlArgs& SqlArgs::col(const TableDef& table, std::string_view column, std::string_view value) {
    return text(value, table.column(column).encoding);
}

SqlArgs& SqlArgs::blob(std::string_view bytes) {
    m_values.push_back({CDBParam::Blob, std::string(bytes)});
    return *this;
}

SqlArgs& SqlArgs::null() {
    m_values.push_back({CDBParam::Null, {}});
    return *this;
}

std::vector<CDBParam> SqlArgs::params() const {
    std::vector<CDBParam> out;
    out.reserve(m_values.size());
    for (const Value& v : m_values) {
        CDBParam p;
        p.kind = v.kind;
        p.data = v.bytes.data();
        p.size = int(v.bytes.size());
        out.push_back(p);
    }
    return out;
}

bool Database::exec(const std::string& sql, const SqlArgs& args) {
    std::vector<CDBParam> p = args.params();
    return m_db.ExcuteBolbInfo(sql.c_str(), p.data(), int(p.size()));
}

CDBRecordSet Database::query(const std::string& sql, const SqlArgs& args) {
    std::vector<CDBParam> p = args.params();
    return m_db.ExecuteQuery(sql.c_str(), p.data(), int(p.size()));
}

bool Database::insert(const TableDef& table, const std::vector<ColumnValue>& values) {
    std::string sql = std::string("insert into ") + table.name + "(";
    std::string marks;
    SqlArgs args;
    for (std::size_t i = 0; i < values.size(); ++i) {
        sql += (i ? "," : "") + values[i].first;
        marks += i ? ",?" : "?";
        args.col(table, values[i].first, values[i].second);
    }
    sql += ")values(" + marks + ")";
    return exec(sql, args);
}

bool Database::update(const TableDef& table, const std::vector<ColumnValue>& values,
                      const std::vector<ColumnValue>& where) {
    std::string sql = std::string("update ") + table.name + " set ";
    SqlArgs args;
    for (std::size_t i = 0; i < values.size(); ++i) {
        sql += (i ? "," : "") + values[i].first + "=?";
        args.col(table, values[i].first, values[i].second);
    }
    for (std::size_t i = 0; i < where.size(); ++i) {
        sql += (i ? " and " : " where ") + where[i].first + "=?";
        args.col(table, where[i].first, where[i].second);
    }
    return exec(sql, args);
}

std::string Database::lastError() const {
    return m_db.LastSucceeded() ? std::string() : m_db.LastErrorMessage();
}

std::string ReadText(CDBRecordSet& set, int i, ColumnEncoding encoding) {
    if (encoding == ColumnEncoding::Blob) {
        int size = 0;
        const unsigned char* p = set.GetBlobValue(i, size);
        return p ? std::string(reinterpret_cast<const char*>(p), std::size_t(size)) : std::string();
    }
    const char* s = set.GetStringValue(i);
    return encoding == ColumnEncoding::Gbk ? AnsiToUtf8(s) : std::string(s);
}

std::string ReadColumn(CDBRecordSet& set, const TableDef& table, int i) {
    if (i < 0 || i >= int(table.columns.size()))
        return {};
    return ReadText(set, i, table.columns[i].encoding);
}

std::string ReadColumn(CDBRecordSet& set, const TableDef& table, std::string_view column) {
    return ReadColumn(set, table, table.indexOf(column));
}

std::string BlobFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string bytes;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, std::size_t(in.gcount()));
    if (in.bad())
        return {};
    bytes.push_back('\0');
    return bytes;
}

bool WriteBlobToFile(const std::string& path, std::string_view blob) {
    std::string tmp = path + ".part";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(blob.data(), std::streamsize(blob.size()));
        out.flush();
        if (!out) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec)
        std::remove(tmp.c_str());
    return !ec;
}
