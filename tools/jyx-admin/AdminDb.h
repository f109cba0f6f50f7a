// The administration tool's operations on a system database file. Each
// answers true on success; on failure it leaves a message in `error` and
// changes nothing it was not asked to.
#pragma once

#include "tools/jyx-admin/DeliveredData.h"

#include <string>

// Writes the delivered, encrypted database at `path`: every table of the
// schema, then the rows of `data`. An existing file is replaced only with
// `force`. The file is written beside `path` under another name and renamed
// into place once complete, so a failure leaves no half-written database.
// `rows` receives the number of rows written.
bool CreateDeliveredDb(const std::string& path, const DeliveredData& data, bool force,
                       std::string& error, int* rows = nullptr);

struct Account {
    std::string name;     // login name
    std::string password; // compared byte for byte by the login
    std::string fullName; // the officer name of the session
    std::string idNumber; // the account ID number of the session
};

// Makes `account` the one row of jyx_register of an existing database,
// replacing whatever rows were there, in one transaction.
bool SetAccount(const std::string& path, const Account& account, std::string& error);

// One line per table of the database: its name and its row count.
bool DescribeDb(const std::string& path, std::string& report, std::string& error);
