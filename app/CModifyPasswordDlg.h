// Changes the password of the logged-in system account. Closes after a
// successful change.
#pragma once

#include "app/AccountStore.h"
#include "app/AppContext.h"
#include "app/Database.h"
#include "text/FramedDialog.h"

class QLineEdit;

class CModifyPasswordDlg : public FramedDialog {
    Q_OBJECT
public:
    explicit CModifyPasswordDlg(QWidget* parent = nullptr, CDBConnection& connection = SystemDb());

public slots:
    void onOk();

private:
    QLineEdit* addField(const char* objectName, const char* label);

    Database m_db;
    AccountStore m_account;
    QWidget* m_fields = nullptr;
    QLineEdit* m_old = nullptr;
    QLineEdit* m_new = nullptr;
    QLineEdit* m_repeat = nullptr;
};
