#include "app/Schema.h"

#include <array>
#include <stdexcept>

namespace {

constexpr ColumnEncoding U = ColumnEncoding::Utf8;
constexpr ColumnEncoding G = ColumnEncoding::Gbk;
constexpr ColumnEncoding B = ColumnEncoding::Blob;

// Transcripts: GBK except the four searchable columns and the ID number.
// Position 43 was spare; it now keeps the relationship to the party, which
// used to be written over the classic-case mark in jyx_4.
constexpr ColumnDef kContent[] = {
    {"jyx_id", G},
    {"jyx_persontype", G},
    {"jyx_starttime", G},
    {"jyx_endtime", G},
    {"jyx_content", G},
    {"jyx_answername", U},
    {"jyx_birthday", G},
    {"jyx_sex", U},
    {"jyx_age", G},
    {"jyx_answersfz", U},
    {"jyx_questionname", G},
    {"jyx_questionsfz", G},
    {"jyx_recordname", G},
    {"jyx_recordsfz", G},
    {"jyx_telphone", G},
    {"jyx_times", G},
    {"jyx_image", G},
    {"jyx_casename", U},
    {"jyx_station", G},
    {"jyx_education", G},
    {"jyx_zzmm", G},
    {"jyx_workyear", G},
    {"jyx_country", G},
    {"jyx_workunit", U},
    {"jyx_job", G},
    {"jyx_birthaddress", G},
    {"jyx_nowaddress", G},
    {"jyx_format", G},
    {"jyx_headpic", B},
    {"jyx_questionjob", G},
    {"jyx_prename", G},
    {"jyx_chuhao", G},
    {"jyx_people", G},
    {"jyx_askname2", G},
    {"jyx_asksfz2", G},
    {"jyx_askjob2", G},
    {"jyx_jfperson", G},
    {"jyx_jfaddress", G},
    {"jyx_jyxaddress", G},
    {"jyx_isupload", G},
    {"jyx_sig", B},
    {"jyx_fig", B},
    {"jyx_sig1", B},
    {"jyx_relation", G},
    {"jyx_1", G},
    {"jyx_2", G},
    {"jyx_3", G},
    {"jyx_4", G},
};
static_assert(std::size(kContent) == schema::content::count);

constexpr ColumnDef kFamily[] = {
    {"jyx_id", G},      {"jyx_answersfz", G}, {"jyx_answername", G}, {"jyx_istz", G},
    {"jyx_name", G},    {"jyx_relation", G},  {"jyx_age", G},        {"jyx_telphone", G},
    {"jyx_address", G}, {"jyx_unit", G},
};

constexpr ColumnDef kLogin[] = {
    {"login_id", U},   {"login_name", U},      {"login_time", U},      {"login_password", U},
    {"login_ip", U},   {"person_type", U},     {"person_zfzh", U},     {"person_unit", U},
    {"person_job", U}, {"person_telphone", U}, {"login_ismanager", U}, {"person_qname", B},
    {"person_sfz", U},
};

constexpr ColumnDef kRegister[] = {
    {"jyx_username", U},
    {"jyx_userxm", U},
    {"jyx_sfz", U},
    {"jyx_password", U},
};

constexpr ColumnDef kLog[] = {
    {"login_id", G},  {"login_name", G},  {"login_time", G},
    {"login_ip", G},  {"login_mac", G},   {"opra_type", G},
    {"opra_time", G}, {"opra_person", G}, {"opra_jyxformat", G},
};

constexpr ColumnDef kType[] = {{"jyxtype", U}, {"jyxname", U}, {"jyxcontent", U}};

constexpr ColumnDef kModal[] = {
    {"modal_type1", U},      {"modal_type2", U},   {"modal_content", U},
    {"modal_createtime", U}, {"modal_creator", U}, {"modal_type3", U},
};

// Column 0 is not used by the program; it holds a row number.
constexpr ColumnDef kFormat[] = {
    {"jyx_id", G},
    {"jyx_type", G},
    {"jyx_font", U},
    {"jyx_fontsize", G},
    {"jyx_distance", G},
    {"jyx_isblank", G},
    {"jyx_pagenumposition", G},
    {"jyx_pagenumformat", G},
    {"jyx_sj", G},
    {"jyx_asktimes", G},
    {"jyx_asktimesformat", G},
    {"jyx_endname", G},
    {"jyx_unlinestyle", G},
    {"jyx_nametime", G},
    {"jyx_1", G},
};

constexpr ColumnDef kConfig[] = {{"jyx_endtext", G}, {"jyx_id", G}, {"jyx_1", G}};
constexpr ColumnDef kAddress[] = {{"jyx_createtime", G}, {"jyx_username", G}, {"jyx_name", G}};
constexpr ColumnDef kLaw[] = {{"jyx_id", G}, {"jyx_type", G}, {"jyx_name", G}, {"jyx_content", G}};
constexpr ColumnDef kLocation[] = {{"jyx_place", U}, {"jyx_code", U}};

// Spreadsheet letters A ... BO (67 columns), all UTF-8.
constexpr auto kPersonInfo = [] {
    std::array<ColumnDef, 67> cols{};
    constexpr const char* names[] = {
        "A",  "B",  "C",  "D",  "E",  "F",  "G",  "H",  "I",  "J",  "K",  "L",  "M",  "N",
        "O",  "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",  "X",  "Y",  "Z",  "AA", "AB",
        "AC", "AD", "AE", "AF", "AG", "AH", "AI", "AJ", "AK", "AL", "AM", "AN", "AO", "AP",
        "AQ", "AR", "AS", "AT", "AU", "AV", "AW", "AX", "AY", "AZ", "BA", "BB", "BC", "BD",
        "BE", "BF", "BG", "BH", "BI", "BJ", "BK", "BL", "BM", "BN", "BO"};
    for (std::size_t i = 0; i < cols.size(); ++i)
        cols[i] = {names[i], U};
    return cols;
}();

} // namespace

int TableDef::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (name == columns[i].name)
            return int(i);
    return -1;
}

const ColumnDef& TableDef::column(std::string_view name) const {
    int i = indexOf(name);
    if (i < 0)
        throw std::out_of_range(std::string("no column ") + std::string(name) + " in " +
                                this->name);
    return columns[i];
}

std::string TableDef::createSql() const {
    std::string sql = std::string("create table if not exists ") + name + " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i)
            sql += ',';
        // Quoted: person_info has a column named AS, an SQL keyword.
        sql += '"';
        sql += columns[i].name;
        sql += '"';
        sql += columns[i].encoding == ColumnEncoding::Blob ? " blob" : " text";
    }
    return sql + ")";
}

namespace schema {

const TableDef jyx_content{"jyx_content", kContent};
const TableDef jyx_family{"jyx_family", kFamily};
const TableDef jyx_login{"jyx_login", kLogin};
const TableDef jyx_register{"jyx_register", kRegister};
const TableDef jyx_log{"jyx_log", kLog};
const TableDef jyx_type{"jyx_type", kType};
const TableDef jyx_modal{"jyx_modal", kModal};
const TableDef jyx_format{"jyx_format", kFormat};
const TableDef jyx_config{"jyx_config", kConfig};
const TableDef jyx_address{"jyx_address", kAddress};
const TableDef jyx_law{"jyx_law", kLaw};
const TableDef jyx_location{"jyx_location", kLocation};
const TableDef person_info{"person_info", kPersonInfo};

std::span<const TableDef* const> all() {
    static const TableDef* const tables[] = {&jyx_content, &jyx_family,  &jyx_login, &jyx_register,
                                             &jyx_log,     &jyx_type,    &jyx_modal, &jyx_format,
                                             &jyx_config,  &jyx_address, &jyx_law,   &jyx_location,
                                             &person_info};
    return tables;
}

const TableDef* find(std::string_view name) {
    for (const TableDef* t : all())
        if (name == t->name)
            return t;
    return nullptr;
}

} // namespace schema
