// jyx-admin: writes the delivered system database, provisions its account
// row and reports what a database holds.
#include "app/Clock.h"
#include "tools/jyx-admin/AdminDb.h"

#include <cstdio>
#include <cstring>
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
    if (command == "info")
        return Info(args);
    return Usage(("unknown command " + command).c_str());
}
