// jyx-admin: writes the delivered system database, provisions its account
// row and reports what a database holds.
#include "app/Clock.h"
#include "tools/jyx-admin/AdminDb.h"
#include "tools/jyx-admin/PersonImport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  jyx-admin create-db PATH [--force] [--data DIR]\n"
    "      Write the delivered, encrypted system database to PATH: every table,\n"
    "      the settings row, the print formats, the transcript kinds with their\n"
    "      heading templates, the question templates and the division codes.\n"
    "      An existing file is replaced only with --force. The rows are read\n"
    "      from DIR (default: the data folder beside this program).\n"
    "  jyx-admin set-account --db PATH NAME PASSWORD FULLNAME IDNUMBER\n"
    "      Make this account the one login account of the database at PATH.\n"
    "  jyx-admin import-persons [--db PATH] [--replace] FILE.csv\n"
    "      Add the persons of FILE.csv to the person-information library\n"
    "      (person_info) of the database at PATH (default: SysReg.db in $JYX_HOME\n"
    "      or beside this program). The header row names the letter columns\n"
    "      (A, B, ..., BO); B is the ID number the keywords look up. UTF-8 or\n"
    "      GBK text. --replace empties the library first. All rows or none.\n"
    "  jyx-admin info PATH\n"
    "      List the tables of the database at PATH with their row counts.\n"
    "  jyx-admin --help\n"
    "      Show this text.\n"
    "Exit status: 0 on success, 1 when the operation failed, 2 on wrong usage.\n";

int Usage(const char* problem) {
    std::fprintf(stderr, "jyx-admin: %s\n%s", problem, kUsage);
    return 2;
}

int Failure(const std::string& error) {
    std::fprintf(stderr, "jyx-admin: %s\n", error.c_str());
    return 1;
}

int CreateDb(const std::vector<std::string>& args) {
    std::string path, dataDir;
    bool force = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--force")
            force = true;
        else if (args[i] == "--data" && i + 1 < args.size())
            dataDir = args[++i];
        else if (!args[i].empty() && args[i][0] != '-' && path.empty())
            path = args[i];
        else
            return Usage(("create-db: unexpected argument " + args[i]).c_str());
    }
    if (path.empty())
        return Usage("create-db needs a PATH");
    std::string dir = FindDataDir(dataDir), error;
    DeliveredData data;
    if (!LoadDeliveredData(dir, CurrentClock().now(), data, error))
        return Failure(error);
    int rows = 0;
    if (!CreateDeliveredDb(path, data, force, error, &rows))
        return Failure(error);
    std::printf("Created %s: %zu tables, %d rows (data from %s)\n", path.c_str(),
                schema::all().size(), rows, dir.c_str());
    return 0;
}

int SetAccountCommand(const std::vector<std::string>& args) {
    if (args.size() != 6 || args[0] != "--db")
        return Usage("set-account needs --db PATH NAME PASSWORD FULLNAME IDNUMBER");
    std::string error;
    Account account{args[2], args[3], args[4], args[5]};
    if (!SetAccount(args[1], account, error))
        return Failure(error);
    std::printf("Account %s set in %s\n", account.name.c_str(), args[1].c_str());
    return 0;
}

std::string DefaultDbPath() {
    if (const char* home = std::getenv("JYX_HOME"); home && *home)
        return std::string(home) + "/SysReg.db";
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (ec ? std::filesystem::path(".") : exe.parent_path()).string() + "/SysReg.db";
}

int ImportPersonsCommand(const std::vector<std::string>& args) {
    std::string db, csv;
    bool replace = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--replace")
            replace = true;
        else if (args[i] == "--db" && i + 1 < args.size())
            db = args[++i];
        else if (!args[i].empty() && args[i][0] != '-' && csv.empty())
            csv = args[i];
        else
            return Usage(("import-persons: unexpected argument " + args[i]).c_str());
    }
    if (csv.empty())
        return Usage("import-persons needs a FILE.csv");
    if (db.empty())
        db = DefaultDbPath();
    std::string error;
    int rows = 0;
    if (!ImportPersons(db, csv, replace, error, &rows))
        return Failure(error);
    std::printf("Imported %d persons into %s\n", rows, db.c_str());
    return 0;
}

int Info(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return Usage("info needs exactly one PATH");
    std::string report, error;
    if (!DescribeDb(args[0], report, error))
        return Failure(error);
    std::fputs(report.c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage("no command given");
    std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "create-db")
        return CreateDb(args);
    if (command == "set-account")
        return SetAccountCommand(args);
    if (command == "import-persons")
        return ImportPersonsCommand(args);
    if (command == "info")
        return Info(args);
    return Usage(("unknown command " + command).c_str());
}
