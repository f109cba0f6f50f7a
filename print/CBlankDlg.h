// The blank-transcript dialog: one of eleven kinds (only the first is
// offered), a page count, and blank forms for handwriting in the print
// dialog.
#pragma once

#include "print/CPrintDlg.h"
#include "text/FramedDialog.h"

#include <functional>

class Database;
class QLineEdit;
class QRadioButton;

class CBlankDlg : public FramedDialog {
    Q_OBJECT
public:
    CBlankDlg(QWidget* parent, Database& db);

    // The kind names the radio buttons stand for, in order.
    static QStringList kindNames();
    // Runs the print dialog of the blank forms (modal unless a test replaces it).
    void setPrintRunner(std::function<void(CPrintDlg&)> run) { m_runPrint = std::move(run); }

public slots:
    void printBlank();

private:
    Database& m_db;
    QList<QRadioButton*> m_kinds;
    QLineEdit* m_pages = nullptr;
    std::function<void(CPrintDlg&)> m_runPrint;
};
