#include "print/PdfExport.h"

#include "print/PagePainter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

PaintResult PaintPages(QPagedPaintDevice& device, const DocumentLayout& layout, int firstPage,
                       int lastPage) {
    const int count = int(layout.pages.size());
    if (lastPage < 0 || lastPage >= count)
        lastPage = count - 1;
    QPainter painter;
    if (!painter.begin(&device))
        return PaintResult::NotStarted;
    const PagePainter pages(layout,
                            PageDevice::printer(device.logicalDpiX(), device.logicalDpiY()));
    bool ok = true;
    for (int i = firstPage; i <= lastPage && ok; ++i) {
        if (i > firstPage)
            ok = device.newPage();
        if (ok)
            pages.paintPage(painter, i, QPointF(0, 0));
    }
    return painter.end() && ok ? PaintResult::Done : PaintResult::Broken;
}

bool WritePdf(const QString& path, const DocumentLayout& layout, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setTitle(layout.typeTitle);
        writer.setCreator(QStringLiteral("Jyx"));
        painted = PaintPages(writer, layout) == PaintResult::Done;
    }
    if (!painted) {
        file.cancelWriting();
        if (error)
            *error = QStringLiteral("the pages could not be drawn");
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
