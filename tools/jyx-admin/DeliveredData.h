// The rows of the delivered system database, read from the data files that
// ship beside the administration tool (resources/data in the source tree):
//   delivered.json  the settings row, the print formats and the transcript kinds
//   templates.json  question templates and the row of common answers
//   locations.tsv   administrative division codes and place names
#pragma once

#include "app/Database.h"

#include <QDateTime>

#include <string>
#include <vector>

// Rows for one table, each a list of (column, UTF-8 value).
struct TableRows {
    const TableDef* table = nullptr;
    std::vector<std::vector<ColumnValue>> rows;
};

// Rows for the tables in the order they are written.
using DeliveredData = std::vector<TableRows>;

// Reads the three data files of `dir`. `now` is the save time given to the
// templates. False with a message naming the file (and line) on any fault:
// a missing file, bad JSON, an unknown column, a malformed division code.
bool LoadDeliveredData(const std::string& dir, const QDateTime& now, DeliveredData& out,
                       std::string& error);

// The division codes alone: "code<TAB>name" lines, '#' starts a comment line.
bool LoadLocations(const std::string& path, TableRows& out, std::string& error);

// The folder the data files are taken from: `explicitDir` when given, else the
// "data" folder beside the running program, else the source tree's copy.
std::string FindDataDir(const std::string& explicitDir);
