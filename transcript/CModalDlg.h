// The template manager "模板管理": the group/template tree of jyx_modal, the
// text of the selected template with its size list, colour rule and ruled
// lines, and the commands that add, delete, save and pick templates.
//
// Mode 2 (main window) manages templates; mode 1 (the editor's "选择模板")
// also offers "加载", and a pick hands the template to the editor:
//   CModalDlg dlg(db, ModalMode::Choose, this);
//   if (dlg.exec() == QDialog::Accepted && dlg.picked()) use *dlg.picked();
#pragma once

#include "text/FramedDialog.h"
#include "transcript/TemplateQuestions.h"
#include "transcript/TemplateStore.h"

#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QMenu;
class QPushButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TemplateTextEdit;

enum class ModalMode : int { Choose = 1, Manage = 2 };

class CModalDlg : public FramedDialog {
    Q_OBJECT
public:
    // Asks for the name of a new template; empty means none.
    using NameAsker = std::function<QString(QWidget* parent)>;
    using UrlOpener = std::function<void(const QUrl&)>;

    CModalDlg(Database& db, ModalMode mode, QWidget* parent = nullptr);
    ~CModalDlg() override;

    // The main window's "笔录模板": the manager in mode 2 on the system
    // database; the pick it may end with is not used.
    static void RunManager(QWidget* parent);

    ModalMode mode() const { return m_mode; }
    // The template picked by a double click or "加载"; empty after "退出".
    const std::optional<PickedTemplate>& picked() const { return m_picked; }
    // The template currently selected (empty name when none, or after the
    // keyword help).
    QString selectedGroup() const { return m_group; }
    QString selectedName() const { return m_name; }

    // Seams for tests: the name dialog and the browser.
    void setNameAsker(NameAsker asker) { m_askName = std::move(asker); }
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    QTreeWidget* tree() const { return m_tree; }
    QTextEdit* textArea() const;

    // The commands, also reachable without the mouse.
    void selectTemplate(const QString& group, const QString& name);
    void addTemplate();     // "添加" on the selected group
    void deleteTemplate();  // "删除" on the selected template
    void saveTemplate();    // "保存"
    void showKeywordHelp(); // "自动填写说明"
    void load();            // "加载"
    void pickItem(QTreeWidgetItem* item);
    // The tree's pop-up menu for `item` ("添加" on a group, "删除" and "共享"
    // on a template); null for no item.
    std::unique_ptr<QMenu> treeMenu(QTreeWidgetItem* item);

    // The shared-templates page of the record server, empty when no server
    // is configured.
    static QUrl sharedTemplatesUrl();

private:
    void buildTree();
    void onCurrentItemChanged(QTreeWidgetItem* item);
    void applyFormat();
    void showOutcome(const Outcome& out);
    QTreeWidgetItem* findItem(const QString& group, const QString& name) const;
    QWidget* makeTextPanel(QWidget* parent);
    QWidget* makeButtonRow(QWidget* parent);

    Database m_db; // a handle on the caller's connection, which outlives the dialog
    TemplateStore m_store{m_db};
    ModalMode m_mode;
    QTreeWidget* m_tree = nullptr;
    TemplateTextEdit* m_text = nullptr;
    QComboBox* m_sizes = nullptr;
    QCheckBox* m_colours = nullptr;
    QCheckBox* m_ruled = nullptr;
    QPushButton* m_loadButton = nullptr;
    QString m_group;
    QString m_name;
    std::optional<PickedTemplate> m_picked;
    NameAsker m_askName;
    UrlOpener m_openUrl;
};
