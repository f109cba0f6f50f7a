// The officer manager: lists interviewing and recording officers by tab and
// adds, edits and deletes them; opens the account password change.
#pragma once

#include "app/AppContext.h"
#include "app/Database.h"
#include "app/OfficerStore.h"
#include "text/FramedDialog.h"

#include <vector>

class QPushButton;
class QTabBar;
class QTreeWidget;

class CUserManagerDlg : public FramedDialog {
    Q_OBJECT
public:
    // List columns and their widths in pixels.
    enum Column { TypeColumn, UserNameColumn, NameColumn, CertificateColumn, JobColumn };

    explicit CUserManagerDlg(QWidget* parent = nullptr, CDBConnection& connection = SystemDb());

    QTabBar* tabs() const { return m_tabs; }
    QTreeWidget* list() const { return m_list; }
    // Fills the list for the selected tab.
    void refill();

public slots:
    void onAdd();
    void onEdit();
    void onDelete();
    void onChangePassword();

protected:
    void paintBand(QPainter& painter) override;

private:
    // The row selected in the list, or nullptr.
    const OfficerRow* selectedRow() const;
    QPushButton* addButton(const char* objectName, const char* text);

    Database m_db;
    OfficerStore m_store;
    std::vector<OfficerRow> m_rows;
    QTabBar* m_tabs = nullptr;
    QTreeWidget* m_list = nullptr;
    QWidget* m_buttons = nullptr;
};
