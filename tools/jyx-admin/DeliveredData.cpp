#include "tools/jyx-admin/DeliveredData.h"

#include "app/Clock.h"

#include <json/json.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool ReadJson(const std::string& path, Json::Value& root, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    Json::CharReaderBuilder builder;
    std::string parseErrors;
    if (!Json::parseFromStream(builder, in, &root, &parseErrors)) {
        error = path + ": not valid JSON: " + parseErrors;
        return false;
    }
    if (!root.isObject()) {
        error = path + ": the top level is not an object";
        return false;
    }
    return true;
}

// A (column, text) pair checked against the table, so a typo in a data file
// is reported instead of failing in the middle of the writing.
bool AddValue(const TableDef& table, const std::string& column, const Json::Value& value,
              std::vector<ColumnValue>& row, std::string& error) {
    if (table.indexOf(column) < 0) {
        error = std::string("no column ") + column + " in " + table.name;
        return false;
    }
    if (!value.isString()) {
        error = std::string(table.name) + "." + column + ": the value is not a text";
        return false;
    }
    row.emplace_back(column, value.asString());
    return true;
}

bool RowFromObject(const TableDef& table, const Json::Value& object, std::vector<ColumnValue>& row,
                   std::string& error) {
    if (!object.isObject()) {
        error = std::string(table.name) + ": a row is not an object";
        return false;
    }
    for (const std::string& column : object.getMemberNames())
        if (!AddValue(table, column, object[column], row, error))
            return false;
    return true;
}

// Lines of a JSON array joined with "\n" (the stored form of multi-line texts).
bool JoinLines(const Json::Value& lines, std::string& text, std::string& error) {
    if (!lines.isArray()) {
        error = "\"lines\"/\"heading\" is not an array";
        return false;
    }
    text.clear();
    for (Json::ArrayIndex i = 0; i < lines.size(); ++i) {
        if (!lines[i].isString()) {
            error = "a line is not a text";
            return false;
        }
        if (i)
            text += '\n';
        text += lines[i].asString();
    }
    return true;
}

std::string Text(const Json::Value& object, const char* member) {
    const Json::Value& v = object[member];
    return v.isString() ? v.asString() : std::string();
}

bool LoadFormats(const Json::Value& root, TableRows& formats, std::string& error) {
    formats.table = &schema::jyx_format;
    std::vector<ColumnValue> common;
    if (!RowFromObject(schema::jyx_format, root["format"], common, error))
        return false;
    const Json::Value& types = root["formatTypes"];
    if (!types.isArray() || types.empty()) {
        error = "\"formatTypes\" is not a non-empty array";
        return false;
    }
    for (Json::ArrayIndex i = 0; i < types.size(); ++i) {
        std::vector<ColumnValue> row{{"jyx_id", std::to_string(i + 1)}};
        if (!AddValue(schema::jyx_format, "jyx_type", types[i], row, error))
            return false;
        row.insert(row.end(), common.begin(), common.end());
        formats.rows.push_back(std::move(row));
    }
    return true;
}

bool LoadKinds(const Json::Value& root, TableRows& kinds, std::string& error) {
    kinds.table = &schema::jyx_type;
    const Json::Value& list = root["kinds"];
    if (!list.isArray()) {
        error = "\"kinds\" is not an array";
        return false;
    }
    for (const Json::Value& kind : list) {
        std::string heading;
        if (Text(kind, "type").empty() || Text(kind, "kind").empty()) {
            error = "a kind without \"type\" or \"kind\"";
            return false;
        }
        if (!JoinLines(kind["heading"], heading, error))
            return false;
        kinds.rows.push_back({{"jyxtype", Text(kind, "type")},
                              {"jyxname", Text(kind, "kind")},
                              {"jyxcontent", heading}});
    }
    return true;
}

bool LoadDelivered(const std::string& path, DeliveredData& out, std::string& error) {
    Json::Value root;
    if (!ReadJson(path, root, error))
        return false;
    TableRows config{&schema::jyx_config, {}}, formats, kinds;
    std::vector<ColumnValue> row;
    bool ok = RowFromObject(schema::jyx_config, root["config"], row, error) &&
              LoadFormats(root, formats, error) && LoadKinds(root, kinds, error);
    if (!ok) {
        error = path + ": " + error;
        return false;
    }
    config.rows.push_back(std::move(row));
    out.push_back(std::move(config));
    out.push_back(std::move(formats));
    out.push_back(std::move(kinds));
    return true;
}

bool LoadTemplates(const std::string& path, const QDateTime& now, DeliveredData& out,
                   std::string& error) {
    Json::Value root;
    if (!ReadJson(path, root, error))
        return false;
    const Json::Value& list = root["templates"];
    if (!list.isArray()) {
        error = path + ": \"templates\" is not an array";
        return false;
    }
    const std::string time = FormatDateTime(now).toStdString();
    TableRows templates{&schema::jyx_modal, {}};
    for (const Json::Value& t : list) {
        std::string content;
        if (Text(t, "group").empty() || Text(t, "name").empty()) {
            error = path + ": a template without \"group\" or \"name\"";
            return false;
        }
        if (!JoinLines(t["lines"], content, error)) {
            error = path + ": " + Text(t, "name") + ": " + error;
            return false;
        }
        templates.rows.push_back({{"modal_type1", Text(t, "group")},
                                  {"modal_type2", Text(t, "name")},
                                  {"modal_content", content},
                                  {"modal_createtime", time},
                                  {"modal_creator", Text(root, "creator")},
                                  {"modal_type3", ""}});
    }
    out.push_back(std::move(templates));
    return true;
}

bool IsDivisionCode(const std::string& code) {
    if (code.size() != 6)
        return false;
    for (char c : code)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

bool LoadLocations(const std::string& path, TableRows& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    out.table = &schema::jyx_location;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        std::size_t tab = line.find('\t');
        std::string code = line.substr(0, tab);
        std::string name = tab == std::string::npos ? std::string() : line.substr(tab + 1);
        if (!IsDivisionCode(code) || name.empty()) {
            error = path + ":" + std::to_string(number) + ": expected six digits, a tab and a name";
            return false;
        }
        // Column 0 is the code, a blank and the name: the birthplace lookup
        // drops the first 7 bytes to keep the name.
        out.rows.push_back({{"jyx_place", code + " " + name}, {"jyx_code", code}});
    }
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    if (out.rows.empty()) {
        error = path + ": no division codes";
        return false;
    }
    return true;
}

bool LoadDeliveredData(const std::string& dir, const QDateTime& now, DeliveredData& out,
                       std::string& error) {
    out.clear();
    TableRows locations;
    if (!LoadDelivered(dir + "/delivered.json", out, error) ||
        !LoadTemplates(dir + "/templates.json", now, out, error) ||
        !LoadLocations(dir + "/locations.tsv", locations, error))
        return false;
    out.push_back(std::move(locations));
    return true;
}

std::string FindDataDir(const std::string& explicitDir) {
    if (!explicitDir.empty())
        return explicitDir;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        fs::path beside = exe.parent_path() / "data";
        if (fs::exists(beside / "delivered.json", ec))
            return beside.string();
    }
    return JYX_SOURCE_DATA_DIR;
}
