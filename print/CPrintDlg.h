// The print dialog: the preview of the pages with zoom and navigation, the
// print format button, printing through the system's print dialog, and the
// export as a Word document or PDF.
#pragma once

#include "print/CPrintFormat.h"
#include "print/PageModel.h"
#include "print/PrintJob.h"
#include "text/FramedDialog.h"

#include <functional>

class CPrintView;
class Database;
class QComboBox;
class QLineEdit;
class QPrinter;
class QToolButton;

// What the caller hands the print dialog. The lines are those of
// PrintLines() when the dialog is made.
struct PrintDlgInput {
    PrintParticulars particulars;
    QString text; // the text PrintLines was built from; laid out again after a format change
    bool blankForm = false;
    int blankPages = 1;
    EditorLink toEditor; // 0 on opening (hide), 1 on closing (show), 2 from the format dialog
};

class CPrintDlg : public FramedDialog {
    Q_OBJECT
public:
    CPrintDlg(QWidget* parent, Database& db, PrintDlgInput input);

    CPrintView* view() const { return m_view; }
    const PrintDocument& document() const { return m_doc; }
    int pageCount() const;
    QString pageFieldText() const;

    // Seams for the modal parts: choosing the printer (true to print), running
    // the format dialog, opening the export folder.
    using PrinterChooser = std::function<bool(QPrinter& printer, int pageCount)>;
    void setPrinterChooser(PrinterChooser chooser) { m_choosePrinter = std::move(chooser); }
    void setFormatRunner(std::function<void(CPrintFormat&)> run) { m_runFormat = std::move(run); }
    void setFolderOpener(std::function<void(const QString&)> open) {
        m_openFolder = std::move(open);
    }

public slots:
    void printPages();
    void exportDocument();
    void openFormat();
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void goToTypedPage();
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildToolbar();
    void relayout();
    void showCurrent(const QString& message);
    void readPadKind();
    void prepareFiles();
    bool exportTo(const QString& fileName);

    Database& m_db;
    PrintDlgInput m_input;
    PrintDocument m_doc;
    PageNavigator m_nav;
    CPrintView* m_view = nullptr;
    QComboBox* m_zoom = nullptr;
    QLineEdit* m_pageField = nullptr;
    QComboBox* m_padKind = nullptr;
    QComboBox* m_screenScale = nullptr;
    PrinterChooser m_choosePrinter;
    std::function<void(CPrintFormat&)> m_runFormat;
    std::function<void(const QString&)> m_openFolder;
    bool m_closed = false;
};
