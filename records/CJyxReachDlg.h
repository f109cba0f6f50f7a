// The records browser ("笔录查询"): lists the saved transcripts, narrows the
// list with the search form, opens a transcript again in the editor, starts
// a new one and deletes one. The logic lives in RecordSearch, RecordListModel
// and RecordActions; this dialog reads its controls and shows results.
#pragma once

#include "app/AppContext.h"
#include "app/Database.h"
#include "records/RecordActions.h"
#include "records/RecordSearch.h"
#include "text/FramedDialog.h"

#include <QPointer>

#include <functional>
#include <memory>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;

namespace records {
class RecordListModel;
}

// How the browser reaches the windows it opens. A command whose function is
// missing is shown disabled.
struct ReachHooks {
    // A new transcript editor with the browser as parent, shown and not
    // modal; the browser stays visible.
    std::function<QWidget*(QWidget* parent)> newEditor;
    // An editor on a stored transcript (edit or ask-again mode), shown and
    // not modal; the browser hides itself until the editor is closed.
    std::function<QWidget*(QWidget* parent, const records::OpenRequest& request)> openEditor;
    // Prints a stored transcript through an editor that is never shown.
    std::function<void(QWidget* parent, const records::OpenRequest& request)> printRecord;
    // The menu's commands; each runs its dialog modally.
    std::function<void(QWidget* parent)> lawLookup;
    std::function<void(QWidget* parent)> addressManager;
    std::function<void(QWidget* parent)> userManager;
    std::function<void(QWidget* parent)> printSettings;
};

class CJyxReachDlg : public FramedDialog {
    Q_OBJECT
public:
    explicit CJyxReachDlg(ReachHooks hooks, QWidget* parent = nullptr,
                          CDBConnection& connection = SystemDb());
    ~CJyxReachDlg() override;

    records::RecordListModel* model() const { return m_model; }
    QTableView* list() const { return m_list; }
    // The list row the officer chose, or -1.
    int selectedRow() const;
    void selectRow(int row);
    // The search form as the controls show it.
    records::SearchForm searchForm() const;
    // The editor window opened by "修改" or "再次询问", if it still exists.
    QWidget* editor() const { return m_editor; }
    std::unique_ptr<QMenu> createMenu();

public slots:
    // Lists every transcript again: after a delete, and when an editor opened
    // from here has saved a transcript.
    void refreshList();
    void onSearch();
    void onNew();
    void onModify();
    void onAskAgain();
    void onDelete();
    void onPrint();
    void showMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildForm();
    void buildList();
    void buildButtons();
    QPushButton* addButton(const char* objectName, const QString& text, bool visible);
    records::ListedRecord listed(int row) const;
    // The chosen row, or -1 after telling the officer to choose one.
    int requireSelection();
    void openRecord(EditorMode mode);

    ReachHooks m_hooks;
    Database m_db;
    records::RecordListModel* m_model = nullptr;
    QTableView* m_list = nullptr;
    QComboBox* m_sex = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_case = nullptr;
    QLineEdit* m_unit = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QLineEdit* m_rowCount = nullptr;
    QWidget* m_buttonBar = nullptr;
    QPushButton* m_newButton = nullptr;
    QPointer<QWidget> m_editor;
};
