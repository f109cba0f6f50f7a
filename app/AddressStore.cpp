#include "app/AddressStore.h"

#include "app/Clock.h"

namespace {
const TableDef& T = schema::jyx_address;
} // namespace

std::vector<std::string> AddressStore::read(const std::string& sql) {
    std::vector<std::string> out;
    CDBRecordSet set = m_db.query(sql);
    for (; !set.IsEof(); set.MoveNext())
        out.push_back(ReadColumn(set, T, "jyx_name"));
    return out;
}

std::vector<std::string> AddressStore::names() {
    return read("select * from jyx_address");
}

std::vector<std::string> AddressStore::namesInAddingOrder() {
    return read("select * from jyx_address order by jyx_createtime, rowid");
}

Outcome AddressStore::add(const std::string& name, const std::string& unitName) {
    Outcome out;
    if (name.empty()) {
        out.say(QString::fromUtf8("地址不能为空！"));
        return out;
    }
    if (!m_db.insert(T, {{"jyx_createtime", FormatDateTime(CurrentClock().now()).toStdString()},
                         {"jyx_username", unitName},
                         {"jyx_name", name}})) {
        out.fail(FailureText("添加失败!", m_db.lastError()));
        return out;
    }
    out.changed = true;
    out.say(QString::fromUtf8("添加成功!"));
    return out;
}

Outcome AddressStore::remove(const std::string& name) {
    Outcome out;
    if (name.empty()) {
        out.say(QString::fromUtf8("请选择笔录地址!"));
        return out;
    }
    if (!m_db.exec("delete from jyx_address where jyx_name = ?",
                   SqlArgs().col(T, "jyx_name", name))) {
        out.fail(FailureText("删除失败！", m_db.lastError()));
        return out;
    }
    out.changed = true;
    out.say(QString::fromUtf8("删除成功！"));
    return out;
}
