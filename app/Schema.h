// The one declaration of the system database's tables: names, columns in
// their stored order (readers use positions) and each column's storage
// encoding. Every read and write goes through it, so a GBK column is never
// written as UTF-8 or the reverse.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class ColumnEncoding { Utf8, Gbk, Blob };

struct ColumnDef {
    const char* name;
    ColumnEncoding encoding;
};

struct TableDef {
    const char* name;
    std::span<const ColumnDef> columns;

    // Position of a column, or -1.
    int indexOf(std::string_view column) const;
    const ColumnDef& column(std::string_view column) const; // throws std::out_of_range
    // "create table if not exists NAME (c1 text,c2 blob,...)"
    std::string createSql() const;
};

namespace schema {

extern const TableDef jyx_content;
extern const TableDef jyx_family;
extern const TableDef jyx_login;
extern const TableDef jyx_register;
extern const TableDef jyx_log;
extern const TableDef jyx_type;
extern const TableDef jyx_modal;
extern const TableDef jyx_format;
extern const TableDef jyx_config;
extern const TableDef jyx_address;
extern const TableDef jyx_law;
extern const TableDef jyx_location;
extern const TableDef person_info;

// Every table of the delivered database, in a fixed order.
std::span<const TableDef* const> all();
const TableDef* find(std::string_view name);

// The statement the editor runs each time it opens.
inline constexpr const char* kCreateTypeTable =
    "create table if not exists jyx_type (jyxtype text,jyxname text,jyxcontent text)";

// Positions in jyx_content that readers use.
namespace content {
enum : int {
    id = 0,
    persontype,
    starttime,
    endtime,
    text,
    answername,
    birthday,
    sex,
    age,
    answersfz,
    questionname,
    questionsfz,
    recordname,
    recordsfz,
    telphone,
    times,
    image,
    casename,
    station,
    education,
    zzmm,
    workyear,
    country,
    workunit,
    job,
    birthaddress,
    nowaddress,
    format,
    headpic,
    questionjob,
    prename,
    chuhao,
    people,
    askname2,
    asksfz2,
    askjob2,
    jfperson,
    jfaddress,
    jyxaddress,
    isupload,
    sig,
    fig,
    sig1,
    relation,
    x1,
    x2,
    x3,
    x4,
    count
};
}

} // namespace schema
