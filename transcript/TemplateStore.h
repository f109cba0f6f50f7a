// The question templates and common answers kept in jyx_modal (a UTF-8
// table): groups (modal_type1) holding named templates (modal_type2). The
// template manager lists, shows, adds, deletes and saves them; the editor
// reads a picked template and the common answers (the template "回答").
// Every statement binds its values, so names and texts with quotes work.
#pragma once

#include "app/Database.h"
#include "app/OfficerStore.h" // Outcome

#include <QString>
#include <QStringList>

#include <vector>

// One group of the template tree with its templates in stored order.
struct TemplateGroup {
    QString name;
    QStringList templates;
    bool operator==(const TemplateGroup&) const = default;
};

struct TemplateText {
    bool found = false;
    QString content;    // modal_content
    QString createTime; // modal_createtime, the time of the last save
};

class TemplateStore {
public:
    // The name of the row that holds the common answers; it cannot be deleted.
    static inline const QString kAnswersName = QStringLiteral("回答");

    explicit TemplateStore(Database& db) : m_db(db) {}

    // Groups ordered by name, each with its non-empty template names in the
    // order the table returns them. Rows without a group are left out.
    std::vector<TemplateGroup> groups();

    // The template `name` of `group` (the last row when several match).
    TemplateText read(const QString& group, const QString& name);

    // Adds an empty template `name` to `group`. A name already used as a
    // group or as a template anywhere is refused with “name”模板已存在！.
    // An empty name or group changes nothing and says nothing.
    Outcome add(const QString& group, const QString& name);

    // The refusal for deleting `name` ("该模板不能删除!" for the common
    // answers), or an empty text when it may be deleted.
    static QString deleteRefusal(const QString& name);
    static QString deleteQuestion() { return QStringLiteral("您确定要删除该模板?"); }
    // Deletes the template `name` of `group` only; a template of the same
    // name in another group stays. "已删除！" on success.
    Outcome remove(const QString& group, const QString& name);

    // Writes `text` and the current time into the template `name` of `group`.
    // Without a selected template (empty name, as after the keyword help)
    // nothing is written; a template that no longer exists or a failed write
    // is reported as a failure, never as "保存成功！".
    Outcome save(const QString& group, const QString& name, const QString& text);

    // The common answers: the content of the last row named "回答", cut at
    // "\n". Without such a row, one empty answer.
    QStringList commonAnswers();

private:
    Database& m_db;
};
