#include "print/CPrintDlg.h"

#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/Database.h"
#include "app/Prompt.h"
#include "print/CPrintView.h"
#include "print/DocxExport.h"
#include "print/PdfExport.h"
#include "print/PrintLines.h"
#include "print/QrBmp.h"
#include "print/SignatureFiles.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString programDir() {
    return QString::fromStdString(ProgramDir());
}

bool defaultChooser(QWidget* parent, QPrinter& printer, int pageCount) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setMinMax(1, pageCount);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

CPrintDlg::CPrintDlg(QWidget* parent, Database& db, PrintDlgInput input)
    : FramedDialog(parent, AllPieces), m_db(db), m_input(std::move(input)) {
    setObjectName("CPrintDlg");
    setTitleText(QStringLiteral("打印预览"));
    setWindowTitle(QStringLiteral("PrintDlg"));
    if (QScreen* s = screen())
        resize(s->availableGeometry().size());

    m_choosePrinter = [this](QPrinter& printer, int count) {
        return defaultChooser(this, printer, count);
    };
    m_runFormat = [](CPrintFormat& dialog) { dialog.exec(); };
    m_openFolder = [](const QString& dir) { QDesktopServices::openUrl(QUrl::fromLocalFile(dir)); };

    m_doc.particulars = m_input.particulars;
    m_doc.blankForm = m_input.blankForm;
    m_doc.blankPages = m_input.blankPages;
    m_doc.lines = PrintLines();
    m_doc.format = LoadPrintFormatForType(m_db, m_doc.particulars.typeName);

    buildToolbar();
    m_view = new CPrintView(body());
    const double pxPerMm = Session().pixelsPerMm > 0 ? Session().pixelsPerMm : logicalDpiX() / 25.4;
    m_view->setPixelsPerMm(pxPerMm);
    bodyLayout()->addWidget(m_view, 1);
    connect(m_view, &CPrintView::currentPageChanged, this, [this](int page) {
        m_nav.setCurrent(page);
        m_pageField->setText(QString::number(page));
    });
    relayout();
    readPadKind();
    prepareFiles();
    if (m_input.toEditor)
        m_input.toEditor(0, 0);
}

void CPrintDlg::buildToolbar() {
    auto* bar = new QHBoxLayout;
    bar->setSpacing(6);
    auto tool = [&](const char* name, const QString& text, const QString& tip, auto slot) {
        auto* b = new QToolButton(body());
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(tip);
        b->setMinimumWidth(56);
        bar->addWidget(b);
        connect(b, &QToolButton::clicked, this, slot);
        return b;
    };
    tool("printButton", QStringLiteral("打印"), QStringLiteral("打印"), &CPrintDlg::printPages);
    tool("exportButton", QStringLiteral("导出"), QStringLiteral("导出Word文档"),
         &CPrintDlg::exportDocument);
    m_zoom = new QComboBox(body());
    m_zoom->setObjectName("zoomList");
    m_zoom->addItems(ZoomChoices());
    m_zoom->setCurrentIndex(kDefaultZoomIndex);
    bar->addWidget(m_zoom);
    connect(m_zoom, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_view->setZoom(ZoomFactor(index)); });
    tool("formatButton", QStringLiteral("格式"), QStringLiteral("打印格式设置"),
         &CPrintDlg::openFormat);
    tool("firstButton", QStringLiteral("首页"), QStringLiteral("首页"), &CPrintDlg::firstPage);
    tool("previousButton", QStringLiteral("上一页"), QStringLiteral("上一页"),
         &CPrintDlg::previousPage);
    m_pageField = new QLineEdit(QStringLiteral("1"), body());
    m_pageField->setObjectName("pageField");
    m_pageField->setFixedWidth(60);
    m_pageField->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_pageField);
    connect(m_pageField, &QLineEdit::returnPressed, this, &CPrintDlg::goToTypedPage);
    tool("nextButton", QStringLiteral("下一页"), QStringLiteral("下一页"), &CPrintDlg::nextPage);
    tool("lastButton", QStringLiteral("末页"), QStringLiteral("末页"), &CPrintDlg::lastPage);

    // The signature controls are made now and stay hidden until the
    // signature work gives them a use.
    const char* hiddenNames[] = {"signButton", "fingerprintButton", "closingSignButton",
                                 "cameraButton", "uploadButton"};
    const QString hiddenTexts[] = {QStringLiteral("签名"), QStringLiteral("录指纹"),
                                   QStringLiteral("结束语"), QStringLiteral("高拍仪"),
                                   QStringLiteral("上传")};
    for (int i = 0; i < 5; ++i) {
        auto* b = new QPushButton(hiddenTexts[i], body());
        b->setObjectName(hiddenNames[i]);
        b->setAutoDefault(false);
        b->hide();
        bar->addWidget(b);
    }
    m_padKind = new QComboBox(body());
    m_padKind->setObjectName("padKindList");
    m_padKind->addItems({QStringLiteral("10寸手写屏"), QStringLiteral("5寸手写屏")});
    m_padKind->hide();
    auto* scaleLabel = new QLabel(QStringLiteral("屏幕缩放比例"), body());
    scaleLabel->setObjectName("screenScaleLabel");
    scaleLabel->hide();
    m_screenScale = new QComboBox(body());
    m_screenScale->setObjectName("screenScaleList");
    m_screenScale->addItems({QStringLiteral("100"), QStringLiteral("125")});
    m_screenScale->hide();
    for (QWidget* w : {static_cast<QWidget*>(m_padKind), static_cast<QWidget*>(scaleLabel),
                       static_cast<QWidget*>(m_screenScale)})
        bar->addWidget(w);
    bar->addStretch();
    bodyLayout()->addLayout(bar);
}

void CPrintDlg::readPadKind() {
    CDBRecordSet set = m_db.query("select * from jyx_config where jyx_id=?",
                                  SqlArgs().col(schema::jyx_config, "jyx_id", "1"));
    const std::string kind = set.IsEof() ? std::string() : ReadColumn(set, schema::jyx_config, 2);
    const bool fiveInch = !kind.empty() && kind != "0";
    m_padKind->setCurrentIndex(fiveInch ? 1 : 0);
    m_screenScale->setEnabled(!fiveInch);
}

void CPrintDlg::prepareFiles() {
    const PrintParticulars& p = m_doc.particulars;
    if (m_doc.blankForm)
        return;
    RestoreSignatureImages(m_db, p.recordId, programDir(), p.idNumber);
    if (m_doc.format.qr == 1)
        WriteQrBmp(QString::fromStdString(ProgramPath("2wm.bmp")), QrText(p));
}

void CPrintDlg::relayout() {
    m_view->setDocument(m_doc);
    m_nav.setPageCount(m_view->pageCount());
    m_nav.setCurrent(m_view->currentPage());
    m_pageField->setText(QString::number(m_nav.current()));
}

int CPrintDlg::pageCount() const {
    return m_view->pageCount();
}
QString CPrintDlg::pageFieldText() const {
    return m_pageField->text();
}

void CPrintDlg::showCurrent(const QString& message) {
    m_view->showPage(m_nav.current());
    m_pageField->setText(QString::number(m_nav.current()));
    if (!message.isEmpty())
        Messages().show(this, message);
}

void CPrintDlg::firstPage() {
    showCurrent(m_nav.first());
}
void CPrintDlg::previousPage() {
    showCurrent(m_nav.previous());
}
void CPrintDlg::nextPage() {
    showCurrent(m_nav.next());
}
void CPrintDlg::lastPage() {
    showCurrent(m_nav.last());
}

void CPrintDlg::goToTypedPage() {
    if (m_nav.goTo(m_pageField->text()))
        m_view->showPage(m_nav.current());
    m_pageField->setText(QString::number(m_nav.current()));
}

void CPrintDlg::openFormat() {
    CPrintFormat dialog(this, m_db, m_doc.particulars.typeName, m_input.toEditor);
    m_runFormat(dialog);
    PrintFormat start = PrintFormat::viewDefaults();
    start.isBlank = 1;
    m_doc.format = LoadPrintFormat(m_db, start);
    // The transcript is laid out again with the new format, so the preview
    // shows what printing now gives.
    if (!m_doc.blankForm && !m_input.text.isEmpty()) {
        const PrintFormat& f = m_doc.format;
        BuildPrintLines(m_input.text, f.font, f.isBlank, f.indent, f.fontSize);
        m_doc.lines = PrintLines();
    }
    relayout();
}

void CPrintDlg::printPages() {
    const PrintParticulars& p = m_doc.particulars;
    StoreSignatureImages(m_db, p.recordId, programDir(), p.idNumber);
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QStringLiteral("笔录打印"));
    if (!m_choosePrinter(printer, pageCount()))
        return;
    int first = 0, last = -1;
    if (printer.printRange() == QPrinter::CurrentPage)
        first = last = m_nav.current() - 1;
    // The whole paper is the page: margins come from the page model.
    printer.setFullPage(true);
    switch (PaintPages(printer, m_view->layoutModel(), first, last)) {
    case PaintResult::NotStarted:
        Messages().show(this, QString::fromUtf8(print_text::kPrinterFailed), Prompt::Icon::Warning);
        break;
    case PaintResult::Broken:
        Messages().show(this, QString::fromUtf8(print_text::kPrintBroken), Prompt::Icon::Warning);
        break;
    case PaintResult::Done:
        Messages().show(this, QString::fromUtf8(print_text::kPrintSubmitted));
        break;
    }
}

bool CPrintDlg::exportTo(const QString& fileName) {
    QString error;
    const bool ok = ExportKindOf(fileName) == ExportKind::Pdf
                        ? WritePdf(fileName, m_view->layoutModel(), &error)
                        : WriteDocx(fileName, m_view->layoutModel(), &error);
    if (!ok)
        Messages().show(this,
                        QString::fromUtf8(print_text::kExportFailed) + fileName + u'\n' + error,
                        Prompt::Icon::Warning);
    return ok;
}

void CPrintDlg::exportDocument() {
    const QString dir = QString::fromStdString(ProgramPath(print_text::kExportDir));
    QDir().mkpath(dir);
    const QString suggested = dir + u'/' + ExportBaseName(m_doc.particulars, CurrentClock().now()) +
                              QStringLiteral(".docx");
    const QString chosen =
        Messages().saveFileName(this, QStringLiteral("导出Word文档"), suggested,
                                QStringLiteral("Word 文档 (*.docx);;PDF 文件 (*.pdf)"));
    if (chosen.isEmpty())
        return;
    const QString fileName = NormalisedExportName(chosen);
    if (!exportTo(fileName))
        return;
    if (Messages().yesNo(this, QString::fromUtf8(print_text::kExportQuestion)))
        m_openFolder(QFileInfo(fileName).absolutePath());
}

void CPrintDlg::keyPressEvent(QKeyEvent* event) {
    // Esc does not close the preview; only the close button does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    FramedDialog::keyPressEvent(event);
}

void CPrintDlg::reject() {
    if (!m_closed) {
        m_closed = true;
        if (m_input.toEditor)
            m_input.toEditor(1, 0);
        const PrintParticulars& p = m_doc.particulars;
        StoreSignatureImages(m_db, p.recordId, programDir(), p.idNumber);
        DeleteSignatureImages(programDir(), p.idNumber);
    }
    FramedDialog::reject();
}
