#include "tools/jyx-admin/AdminDb.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Removes the scratch file (and an SQLite journal beside it) unless released.
class ScratchFile {
public:
    explicit ScratchFile(std::string path) : m_path(std::move(path)) { remove(); }
    ~ScratchFile() {
        if (!m_kept)
            remove();
    }
    void keep() { m_kept = true; }
    const std::string& path() const { return m_path; }

private:
    void remove() {
        std::error_code ec;
        fs::remove(m_path, ec);
        fs::remove(m_path + "-journal", ec);
    }
    std::string m_path;
    bool m_kept = false;
};

bool CheckTarget(const std::string& path, bool force, std::string& error) {
    std::error_code ec;
    fs::path target(path);
    fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (target.filename().empty()) {
        error = "no file name in " + path;
        return false;
    }
    if (!fs::exists(dir, ec)) {
        error = "the folder " + dir.string() + " does not exist";
        return false;
    }
    if (!fs::is_directory(dir, ec)) {
        error = dir.string() + " is not a folder";
        return false;
    }
    if (::access(dir.c_str(), W_OK) != 0) {
        error = "the folder " + dir.string() + " is not writable";
        return false;
    }
    if (fs::is_directory(target, ec)) {
        error = path + " is a folder";
        return false;
    }
    if (fs::exists(target, ec) && !force) {
        error = path + " already exists; add --force to replace it";
        return false;
    }
    return true;
}

bool Fail(CDBConnection& db, const std::string& what, std::string& error) {
    error = what + ": " + db.LastErrorMessage();
    return false;
}

bool WriteContent(CDBConnection& connection, const DeliveredData& data, int& rows,
                  std::string& error) {
    Database db(connection);
    if (connection.CommitBegin() != 0)
        return Fail(connection, "cannot begin a transaction", error);
    for (const TableDef* table : schema::all())
        if (!db.exec(table->createSql()))
            return Fail(connection, std::string("cannot create table ") + table->name, error);
    for (const TableRows& part : data) {
        for (const std::vector<ColumnValue>& row : part.rows) {
            if (!db.insert(*part.table, row))
                return Fail(connection, std::string("cannot insert into ") + part.table->name,
                            error);
            ++rows;
        }
    }
    if (connection.CommitEnd() != 0)
        return Fail(connection, "cannot commit", error);
    return true;
}

bool OpenExisting(CDBConnection& db, const std::string& path, std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = "no database file at " + path;
        return false;
    }
    if (db.Open(path.c_str()) != 0)
        return Fail(db, "cannot open " + path, error);
    return true;
}

} // namespace

bool CreateDeliveredDb(const std::string& path, const DeliveredData& data, bool force,
                       std::string& error, int* rowsWritten) {
    if (!CheckTarget(path, force, error))
        return false;
    ScratchFile scratch(path + ".part" + std::to_string(::getpid()));
    int rows = 0;
    {
        CDBConnection db;
        if (db.Open(scratch.path().c_str()) != 0)
            return Fail(db, "cannot create " + scratch.path(), error);
        if (!WriteContent(db, data, rows, error))
            return false;
        db.Close();
    }
    std::error_code ec;
    fs::rename(scratch.path(), path, ec);
    if (ec) {
        error = "cannot move the new database to " + path + ": " + ec.message();
        return false;
    }
    scratch.keep();
    if (rowsWritten)
        *rowsWritten = rows;
    return true;
}

bool SetAccount(const std::string& path, const Account& account, std::string& error) {
    if (account.name.empty() || account.password.empty()) {
        error = "the login name and the password must not be empty";
        return false;
    }
    CDBConnection connection;
    if (!OpenExisting(connection, path, error))
        return false;
    if (!connection.TableExists(schema::jyx_register.name)) {
        error = path + " has no table jyx_register (not a system database?)";
        return false;
    }
    Database db(connection);
    if (connection.CommitBegin() != 0)
        return Fail(connection, "cannot begin a transaction", error);
    bool ok = db.exec("delete from jyx_register") &&
              db.insert(schema::jyx_register, {{"jyx_username", account.name},
                                               {"jyx_userxm", account.fullName},
                                               {"jyx_sfz", account.idNumber},
                                               {"jyx_password", account.password}});
    if (!ok) {
        Fail(connection, "cannot write the account", error);
        connection.ExecuteCmd("ROLLBACK;");
        return false;
    }
    if (connection.CommitEnd() != 0)
        return Fail(connection, "cannot commit the account", error);
    return true;
}

bool DescribeDb(const std::string& path, std::string& report, std::string& error) {
    CDBConnection db;
    if (!OpenExisting(db, path, error))
        return false;
    std::vector<std::string> names;
    {
        CDBRecordSet set =
            db.ExecuteQuery("select name from sqlite_master where type='table' order by rowid");
        if (!db.LastSucceeded())
            return Fail(db, "cannot list the tables of " + path, error);
        for (; !set.IsEof(); set.MoveNext())
            names.emplace_back(set.GetStringValue(0));
    }
    report.clear();
    for (const std::string& name : names) {
        // A table name cannot be bound: quote it as an identifier instead.
        std::string quoted;
        for (char c : name)
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        CDBRecordSet set = db.ExecuteQuery(("select count(*) from \"" + quoted + "\"").c_str());
        if (!db.LastSucceeded() || set.IsEof())
            return Fail(db, "cannot count the rows of " + name, error);
        report += name + "\t" + std::to_string(set.GetInt64Value(0)) + "\n";
    }
    return true;
}
