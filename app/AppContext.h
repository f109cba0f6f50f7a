// The few values that exist once per process: the program directory, the one
// system database connection, the session values written by the login, and the
// current transcript type and kind. They are written on the GUI thread before
// any worker starts and only read afterwards.
#pragma once

#include "storage/Kavra.h"

#include <string>

struct SessionValues {
    std::string loginName;       // the typed user name, trimmed
    std::string officerName;     // the account's full name; empty for the built-in administrator
    std::string accountIdNumber; // the account's ID number; empty for the built-in administrator
    std::string unitName;        // "青岚市烟草专卖局" after every login
    std::string macText;         // "0-1A-2B-C-4D-5E\n" form
    std::string ipAddress;
    double pixelsPerMm = 0;
    std::string transcriptType; // current transcript type, e.g. "烟草局笔录"
    std::string transcriptKind; // current transcript kind, e.g. "询问笔录"
};

// The application title every message box carries unless stated otherwise.
inline constexpr const char* kAppTitle = "Orvane笔录系统V2.0.0";
inline constexpr const char* kDefaultUnitName = "青岚市烟草专卖局";

SessionValues& Session();
CDBConnection& SystemDb();

// Directory of the executable, or $JYX_HOME when set; no trailing slash.
const std::string& ProgramDir();
void SetProgramDir(const std::string& dir);
// ProgramDir() + "/" + relative (relative uses "/" and may hold Chinese names).
std::string ProgramPath(const std::string& relative);
