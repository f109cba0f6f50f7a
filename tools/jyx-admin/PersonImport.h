// Fills the person-information library (table person_info) of a system
// database from a CSV file whose header row names the letter columns
// ("A", "B", ..., "BO"); the keyword filling looks persons up by column B.
#pragma once

#include <string>
#include <string_view>
#include <vector>

using CsvRow = std::vector<std::string>;

// RFC 4180 records: fields separated by ",", records by "\n" or "\r\n";
// a field in double quotes may hold commas, line breaks and "" for one quote.
// False with a message (and the record's line) on an unterminated quote or
// text after a closing quote.
bool ParseCsv(std::string_view text, std::vector<CsvRow>& rows, std::string& error);

// The file's text as UTF-8: a UTF-8 byte-order mark is dropped; a file that
// is not valid UTF-8 is taken as GBK (spreadsheets saved on Chinese Windows).
std::string CsvTextAsUtf8(std::string_view bytes);

// Imports the rows of `csvPath` into person_info of the database at `dbPath`
// in one transaction: all rows or none. With `replace` the table is emptied
// first. Every header must name a column of person_info, once; a row may not
// have more fields than the header. `imported` receives the row count.
bool ImportPersons(const std::string& dbPath, const std::string& csvPath, bool replace,
                   std::string& error, int* imported = nullptr);
