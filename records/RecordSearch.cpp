#include "records/RecordSearch.h"

#include <string_view>

namespace records {

const std::array<ListColumn, kColumnCount>& ListColumns() {
    static const std::array<ListColumn, kColumnCount> columns{{
        {"id", 0, "jyx_id"},
        {"序号", 50, nullptr},
        {"笔录格式", 100, "jyx_format"},
        {"被询问人", 100, "jyx_answername"},
        {"次数", 80, "jyx_times"},
        {"开始时间", 180, "jyx_starttime"},
        {"结束时间", 180, "jyx_endtime"},
        {"性别", 100, "jyx_sex"},
        {"年龄", 100, "jyx_age"},
        {"联系方式", 100, "jyx_telphone"},
        {"已上传", 80, "jyx_isupload"},
        {"笔录类型", 120, "jyx_3"},
    }};
    return columns;
}

std::string ShownColumnsSelect() {
    std::string sql = "select ";
    bool first = true;
    for (const ListColumn& c : ListColumns()) {
        if (!c.source)
            continue;
        sql += first ? "" : ",";
        sql += c.source;
        first = false;
    }
    return sql + " from jyx_content";
}

std::string AllRecordsSql() {
    return ShownColumnsSelect() + " order by jyx_starttime desc";
}

std::vector<std::string> ListIndexSql() {
    std::string list = "create index if not exists jyx_content_list on jyx_content(jyx_starttime";
    for (const ListColumn& c : ListColumns())
        if (c.source && std::string_view(c.source) != "jyx_starttime")
            list += std::string(",") + c.source;
    return {list + ")", "create index if not exists jyx_content_id on jyx_content(jyx_id)"};
}

std::string ContainsPattern(const QString& text) {
    std::string pattern = "%";
    for (char c : text.toStdString()) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

namespace {

std::string DateText(const QDate& d) {
    return QString::asprintf("%4d/%02d/%02d", d.year(), d.month(), d.day()).toStdString();
}

// A whole number of rows, or -1 for a text that is not one.
long long ParseRowCount(const QString& typed) {
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return -1;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return -1;
    bool ok = false;
    const long long n = t.toLongLong(&ok);
    return ok ? n : -1;
}

class Conditions {
public:
    explicit Conditions(SearchQuery& q) : m_q(q) {}
    void add(const char* condition) {
        m_q.sql += m_any ? " and " : " where ";
        m_q.sql += condition;
        m_any = true;
    }
    void contains(const char* column, const QString& text) {
        add((std::string(column) + " like ? escape '\\'").c_str());
        m_q.values.push_back(ContainsPattern(text));
    }

private:
    SearchQuery& m_q;
    bool m_any = false;
};

} // namespace

SearchQuery BuildSearch(const SearchForm& form) {
    SearchQuery q;
    long long limit = -1;
    if (!form.rowCount.trimmed().isEmpty()) {
        limit = ParseRowCount(form.rowCount);
        if (limit < 0) {
            q.error = QString::fromUtf8(kBadRowCount);
            return q;
        }
    }
    q.sql = ShownColumnsSelect();
    Conditions where(q);
    if (form.sex != QString::fromUtf8(kAllSexes))
        where.contains("jyx_sex", form.sex);
    if (!form.name.isEmpty())
        where.contains("jyx_answername", form.name);
    if (!form.caseName.isEmpty())
        where.contains("jyx_casename", form.caseName);
    if (!form.unit.isEmpty())
        where.contains("jyx_workunit", form.unit);
    const std::string from = DateText(form.from);
    const std::string to = DateText(form.to);
    if (from != to) {
        // Stored times are "yyyy/mm/dd hh:mm" texts: every time of the to-date
        // sorts below the next day's bare date.
        where.add("jyx_starttime >= ? and jyx_endtime < ?");
        q.values.push_back(from);
        q.values.push_back(DateText(form.to.addDays(1)));
    }
    q.sql += " order by jyx_starttime desc";
    if (limit >= 0)
        q.sql += " limit 0," + std::to_string(limit);
    return q;
}

} // namespace records
