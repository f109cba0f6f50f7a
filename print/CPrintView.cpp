#include "print/CPrintView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {
const QColor kBackground(128, 128, 128);
const QColor kOrange(255, 199, 60);
constexpr int kGap = 10; // pixels between two pages
} // namespace

CPrintView::CPrintView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("printView");
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAutoFillBackground(false);
}

void CPrintView::setDocument(PrintDocument doc) {
    m_doc = std::move(doc);
    DocumentLayout frame = LayOutFrame(m_doc);
    const std::size_t count = frame.pages.size();
    setLayoutModel(std::move(frame));
    m_pending.assign(count, true);
}

void CPrintView::setLayoutModel(DocumentLayout layout) {
    m_layout = std::move(layout);
    m_pending.clear();
    m_painter.reset();
    m_current = std::clamp(m_current, 1, std::max(1, pageCount()));
    updateScrollBars();
    viewport()->update();
}

void CPrintView::setZoom(double zoom) {
    m_zoom = zoom;
    m_painter.reset();
    updateScrollBars();
    showPage(m_current);
}

void CPrintView::setPixelsPerMm(double pxPerMm) {
    m_pxPerMm = pxPerMm > 0 ? pxPerMm : 96 / 25.4;
    m_painter.reset();
    updateScrollBars();
}

const DocumentLayout& CPrintView::layoutModel() const {
    layOutPages(0, pageCount() - 1);
    return m_layout;
}

void CPrintView::layOutPages(int first, int last) const {
    for (int i = std::max(0, first); i <= last && i < int(m_pending.size()); ++i) {
        if (m_pending[std::size_t(i)]) {
            LayOutPage(m_doc, pageCount(), m_layout.pages[std::size_t(i)]);
            m_pending[std::size_t(i)] = false;
        }
    }
}

const PagePainter& CPrintView::painter() const {
    if (!m_painter)
        m_painter.emplace(m_layout, PageDevice::screen(m_pxPerMm, m_zoom));
    return *m_painter;
}

double CPrintView::pitch() const {
    return page_geometry::kHeight * m_pxPerMm * m_zoom + kGap;
}

QRectF CPrintView::pageRect(int index) const {
    const double w = page_geometry::kWidth * m_pxPerMm * m_zoom;
    const double h = page_geometry::kHeight * m_pxPerMm * m_zoom;
    const double x = std::max(0.0, (viewport()->width() - w) / 2);
    return QRectF(x, index * pitch() + kGap / 2.0, w, h);
}

int CPrintView::pageAt(const QPoint& p) const {
    const QPointF content(p.x() + horizontalScrollBar()->value(),
                          p.y() + verticalScrollBar()->value());
    const int index = int(content.y() / pitch());
    if (index < 0 || index >= pageCount() || !pageRect(index).contains(content))
        return 0;
    return index + 1;
}

void CPrintView::updateScrollBars() {
    const double total = pitch() * std::max(1, pageCount());
    const double w = page_geometry::kWidth * m_pxPerMm * m_zoom;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(40);
    // Every page, the last one too, can be scrolled to the top of the view.
    const int lastTop = int(std::ceil((std::max(1, pageCount()) - 1) * pitch()));
    verticalScrollBar()->setRange(
        0, std::max({0, int(std::ceil(total)) - viewport()->height(), lastTop}));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(w)) - viewport()->width()));
}

void CPrintView::showPage(int page) {
    m_current = std::clamp(page, 1, std::max(1, pageCount()));
    m_scrollingToPage = true;
    verticalScrollBar()->setValue(int(std::ceil((m_current - 1) * pitch())));
    m_scrollingToPage = false;
    viewport()->update();
}

void CPrintView::followScroll() {
    if (m_scrollingToPage || pageCount() == 0)
        return;
    // The page that fills the middle of the view becomes current.
    const double middle = verticalScrollBar()->value() + viewport()->height() / 2.0;
    const int page = std::clamp(int(middle / pitch()) + 1, 1, pageCount());
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(page);
    }
}

void CPrintView::scrollContentsBy(int, int) {
    followScroll();
    viewport()->update();
}

void CPrintView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CPrintView::mousePressEvent(QMouseEvent* event) {
    const int page = pageAt(event->position().toPoint());
    if (page > 0 && page != m_current) {
        m_current = page;
        viewport()->update();
        emit currentPageChanged(page);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CPrintView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), kBackground);
    if (pageCount() == 0)
        return;
    const double top = verticalScrollBar()->value();
    const double left = horizontalScrollBar()->value();
    const int first = std::max(0, int(top / pitch()));
    const int last = std::min(pageCount() - 1, int((top + viewport()->height()) / pitch()));
    layOutPages(first, last);
    const PagePainter& pages = painter();
    p.translate(-left, -top);
    for (int i = first; i <= last; ++i) {
        const QRectF r = pageRect(i);
        p.fillRect(r, Qt::white);
        pages.paintPage(p, i, r.topLeft());
        const bool current = i + 1 == m_current;
        p.setPen(QPen(current ? QColor(Qt::black) : kOrange, current ? 3 : 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    }
    m_lastPainted = {first, last};
}
