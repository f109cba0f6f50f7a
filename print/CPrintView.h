// The page view of the preview: the pages of a layout stacked on a grey
// background, the current one framed black, the others orange. Only the
// pages in view are painted, so a long transcript opens as fast as a short
// one.
#pragma once

#include "print/PageModel.h"
#include "print/PagePainter.h"

#include <QAbstractScrollArea>

#include <optional>
#include <vector>

class CPrintView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CPrintView(QWidget* parent = nullptr);

    // Shows a document; the rows of a page are laid out when it is first
    // painted, so a long transcript opens as fast as a short one.
    void setDocument(PrintDocument doc);
    void setLayoutModel(DocumentLayout layout);
    // The complete layout (any page not laid out yet is laid out now).
    const DocumentLayout& layoutModel() const;
    int pageCount() const { return int(m_layout.pages.size()); }

    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    // Screen pixels per millimetre at zoom 1.
    void setPixelsPerMm(double pxPerMm);

    int currentPage() const { return m_current; }
    // Makes a page current and scrolls it to the top of the view.
    void showPage(int page);

    // Page geometry in view content coordinates (before scrolling).
    QRectF pageRect(int index) const;
    // The page (1-based) under a point of the viewport, 0 when none.
    int pageAt(const QPoint& viewportPoint) const;
    // The pages painted by the last paint (0-based), for tests and benches.
    std::pair<int, int> lastPaintedRange() const { return m_lastPainted; }

signals:
    // The current page changed by a click or by scrolling.
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double pitch() const; // distance between the tops of two pages
    void updateScrollBars();
    void followScroll();
    const PagePainter& painter() const;
    void layOutPages(int first, int last) const;

    // A layout from setDocument starts as a frame; m_pending marks the pages
    // whose body rows are still to be laid out from m_doc.
    mutable DocumentLayout m_layout;
    PrintDocument m_doc;
    mutable std::vector<bool> m_pending;
    double m_pxPerMm = 96 / 25.4;
    double m_zoom = 1.0;
    int m_current = 1;
    bool m_scrollingToPage = false;
    mutable std::optional<PagePainter> m_painter; // prepared on first paint
    std::pair<int, int> m_lastPainted{-1, -1};
};
