// The one painter of the printed pages: the preview, the printer and PDF all
// draw a DocumentLayout through it, so they show the same pages.
#pragma once

#include "print/PageModel.h"

#include <QFont>
#include <QPen>
#include <QPointF>

class QPainter;

struct PageDevice {
    double pxPerMmX = 96 / 25.4;
    double pxPerMmY = 96 / 25.4;
    // Printer and PDF: margins 22 mm left, 26 mm right, print-weight pens;
    // the screen: 26 mm left, 22 mm right, pixel pens.
    bool printing = false;
    double zoom = 1.0; // screen pens grow with the zoom

    static PageDevice screen(double pxPerMm, double zoom = 1.0);
    static PageDevice printer(double dpiX, double dpiY);
};

class PagePainter {
public:
    PagePainter(const DocumentLayout& layout, const PageDevice& device);

    // Draws page `index` (0-based) with its top left corner at `origin`
    // (device pixels). Nothing is drawn outside the page.
    void paintPage(QPainter& painter, int index, QPointF origin) const;

    double pageWidthPx() const { return 210 * m_dev.pxPerMmX; }
    double pageHeightPx() const { return 297 * m_dev.pxPerMmY; }
    // Height of one row of a page's text area in device pixels (integer
    // division of the area's height by its row count).
    int rowHeight(int rowCount) const;

private:
    struct Frame; // per-page geometry
    QFont font(const QPainter& p, const QString& family, double points, bool bold = false) const;
    void drawFitted(QPainter& p, const QRectF& r, int flags, const QString& text,
                    const QFont& f) const;
    void drawRowText(QPainter& p, const QRectF& r, const RowText& t) const;
    void drawFirstPageTop(QPainter& p, const Frame& fr) const;
    void drawBody(QPainter& p, const Frame& fr, const PageLayout& page) const;
    void drawFooter(QPainter& p, const Frame& fr, const PageLayout& page) const;

    const DocumentLayout& m_layout;
    PageDevice m_dev;
    QPen m_thick, m_thin;
};
