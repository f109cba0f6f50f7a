#include "app/AppContext.h"

namespace {
std::string& programDir() {
    static std::string dir;
    return dir;
}
} // namespace

SessionValues& Session() {
    static SessionValues values;
    return values;
}

CDBConnection& SystemDb() {
    static CDBConnection connection;
    return connection;
}

const std::string& ProgramDir() {
    return programDir();
}

void SetProgramDir(const std::string& dir) {
    std::string d = dir;
    while (d.size() > 1 && d.back() == '/')
        d.pop_back();
    programDir() = d;
}

std::string ProgramPath(const std::string& relative) {
    if (!relative.empty() && relative.front() == '/')
        return programDir() + relative;
    return programDir() + "/" + relative;
}
