#include "transcript/TemplateStore.h"

#include "app/Clock.h"

#include <algorithm>

namespace {

const TableDef& T = schema::jyx_modal;

QString Col(CDBRecordSet& set, const char* column) {
    return QString::fromStdString(ReadColumn(set, T, column));
}

std::string S(const QString& text) {
    return text.toStdString();
}

} // namespace

std::vector<TemplateGroup> TemplateStore::groups() {
    std::vector<TemplateGroup> out;
    // rowid keeps the templates of a group in the order they were added.
    CDBRecordSet set = m_db.query("select * from jyx_modal order by modal_type1 asc, rowid");
    for (; !set.IsEof(); set.MoveNext()) {
        const QString group = Col(set, "modal_type1");
        const QString name = Col(set, "modal_type2");
        if (group.isEmpty())
            continue;
        auto it = std::find_if(out.begin(), out.end(),
                               [&](const TemplateGroup& g) { return g.name == group; });
        if (it == out.end())
            it = out.insert(out.end(), TemplateGroup{group, {}});
        if (!name.isEmpty())
            it->templates << name;
    }
    return out;
}

TemplateText TemplateStore::read(const QString& group, const QString& name) {
    TemplateText text;
    CDBRecordSet set =
        m_db.query("select * from jyx_modal where modal_type1=? and modal_type2=? order by rowid",
                   SqlArgs().col(T, "modal_type1", S(group)).col(T, "modal_type2", S(name)));
    for (; !set.IsEof(); set.MoveNext()) {
        text.found = true;
        text.content = Col(set, "modal_content");
        text.createTime = Col(set, "modal_createtime");
    }
    return text;
}

Outcome TemplateStore::add(const QString& group, const QString& name) {
    Outcome out;
    if (name.isEmpty() || group.isEmpty())
        return out;
    CDBRecordSet used =
        m_db.query("select * from jyx_modal where modal_type1=? or modal_type2=?",
                   SqlArgs().col(T, "modal_type1", S(name)).col(T, "modal_type2", S(name)));
    if (!used.IsEof()) {
        out.say(QStringLiteral("“") + name + QStringLiteral("”模板已存在！"));
        return out;
    }
    if (!m_db.insert(T, {{"modal_type1", S(group)},
                         {"modal_type2", S(name)},
                         {"modal_content", ""},
                         {"modal_createtime", ""},
                         {"modal_creator", ""},
                         {"modal_type3", ""}})) {
        out.fail(FailureText("模板添加失败！", m_db.lastError()));
        return out;
    }
    out.changed = true;
    return out;
}

QString TemplateStore::deleteRefusal(const QString& name) {
    return name == kAnswersName ? QStringLiteral("该模板不能删除!") : QString();
}

Outcome TemplateStore::remove(const QString& group, const QString& name) {
    Outcome out;
    if (name.isEmpty())
        return out;
    if (const QString refusal = deleteRefusal(name); !refusal.isEmpty()) {
        out.say(refusal);
        return out;
    }
    if (!m_db.exec("delete from jyx_modal where modal_type1=? and modal_type2=?",
                   SqlArgs().col(T, "modal_type1", S(group)).col(T, "modal_type2", S(name)))) {
        out.fail(FailureText("模板删除失败！", m_db.lastError()));
        return out;
    }
    out.changed = true;
    out.say(QStringLiteral("已删除！"));
    return out;
}

Outcome TemplateStore::save(const QString& group, const QString& name, const QString& text) {
    Outcome out;
    if (name.isEmpty()) {
        out.fail(QStringLiteral("请先选择要保存的模板！"));
        return out;
    }
    const QString time = FormatDateTime(CurrentClock().now());
    if (!m_db.exec("update jyx_modal set modal_content=?,modal_createtime=? where modal_type1=? "
                   "and modal_type2=?",
                   SqlArgs()
                       .col(T, "modal_content", S(text))
                       .col(T, "modal_createtime", S(time))
                       .col(T, "modal_type1", S(group))
                       .col(T, "modal_type2", S(name)))) {
        out.fail(FailureText("保存失败！", m_db.lastError()));
        return out;
    }
    if (m_db.changes() == 0) {
        out.fail(QStringLiteral("保存失败！该模板已不存在。"));
        return out;
    }
    out.changed = true;
    out.say(QStringLiteral("保存成功！"));
    return out;
}

QStringList TemplateStore::commonAnswers() {
    CDBRecordSet set = m_db.query("select * from jyx_modal where modal_type2=? order by rowid",
                                  SqlArgs().col(T, "modal_type2", S(kAnswersName)));
    QString content;
    for (; !set.IsEof(); set.MoveNext())
        content = Col(set, "modal_content");
    return content.split(QLatin1Char('\n'));
}
