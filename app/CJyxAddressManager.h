// The place manager: adds places of interview and deletes them by text.
#pragma once

#include "app/AddressStore.h"
#include "app/AppContext.h"
#include "app/Database.h"
#include "text/FramedDialog.h"

#include <string>

class QLineEdit;
class QListWidget;

class CJyxAddressManager : public FramedDialog {
    Q_OBJECT
public:
    explicit CJyxAddressManager(QWidget* parent = nullptr, CDBConnection& connection = SystemDb());

    QListWidget* list() const { return m_list; }
    void refill();

public slots:
    void onAdd();
    void onDelete();

private:
    Database m_db;
    AddressStore m_store;
    // The text of the entry selected last; it stays after a delete.
    std::string m_selected;
    QListWidget* m_list = nullptr;
    QLineEdit* m_edit = nullptr;
};
