// What the records browser lists and how it searches: the twelve list
// columns, the statement that lists every transcript and the statement built
// from the search form. Plain logic, so the statements and their bound values
// can be checked without a window.
#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <string>
#include <vector>

namespace records {

// One list column: its caption, its width in pixels and the jyx_content column
// it shows (nullptr for the running number).
struct ListColumn {
    const char* caption;
    int width;
    const char* source;
};

enum Column : int {
    kId = 0,
    kNumber,
    kFormat,
    kName,
    kTimes,
    kStart,
    kEnd,
    kSex,
    kAge,
    kTelephone,
    kUploaded,
    kType,
    kColumnCount
};

const std::array<ListColumn, kColumnCount>& ListColumns();

// "select <the shown columns> from jyx_content ": the list never reads the
// text, the photo or the signatures, which make up nearly all of a row.
std::string ShownColumnsSelect();

// Every transcript, newest start time first.
std::string AllRecordsSql();

// The indexes the browser relies on, created when missing. The first holds
// every shown column in start-time order: with it the list's statements read
// neither the table nor its large text and blob columns, and the newest rows
// come first without sorting the whole table, so the first rows show at once
// however many transcripts there are. The second finds a row by its id for
// the delete (and every other statement by id) without reading the table.
// Indexes are invisible to the statements on the table, so the stored format
// stays readable by any other reader.
std::vector<std::string> ListIndexSql();

inline constexpr const char* kAllSexes = "全部";
inline constexpr const char* kBadRowCount = "“显示前…条数据”只能填写数字，请重新输入！";

// The search form as the officer filled it in.
struct SearchForm {
    QString sex = QString::fromUtf8(kAllSexes);
    QString name;
    QString caseName;
    QString unit;
    QDate from;
    QDate to;
    QString rowCount; // as typed; empty for no limit
};

// A statement with its `?` values (UTF-8 text, bound as text).
struct SearchQuery {
    std::string sql;
    std::vector<std::string> values;
    QString error; // why the form was refused; the statement is empty then
    bool ok() const { return error.isEmpty(); }
};

// Builds the search: conditions for sex, name, case, unit and dates in that
// order, each a bound LIKE on the text with its own %, _ and \ matched
// literally; the date range only when the two dates differ, and it keeps the
// transcripts that end on the to-date itself. Rows come newest first; a row
// count limits them to the newest ones. A row count that is not a whole
// number is refused.
SearchQuery BuildSearch(const SearchForm& form);

// The LIKE pattern "%text%" with the pattern characters of `text` escaped by '\'.
std::string ContainsPattern(const QString& text);

} // namespace records
