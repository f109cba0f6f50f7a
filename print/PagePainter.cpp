#include "print/PagePainter.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pg = page_geometry;

namespace {
const QString kSong = QStringLiteral("宋体");
const QString kHei = QStringLiteral("黑体");
const QString kTitle = QStringLiteral("方正小标宋简体");
} // namespace

// Where the parts of one page lie, in device pixels.
struct PagePainter::Frame {
    QPointF origin;
    double left = 0, width = 0; // text area
    double top = 0;
    int rowH = 0;
    double rowY(double r) const { return top + r * rowH; }
    QRectF row(double r, double span = 1) const {
        return QRectF(left, rowY(r), width, rowH * span);
    }
};

PageDevice PageDevice::screen(double pxPerMm, double zoom) {
    return {pxPerMm * zoom, pxPerMm * zoom, false, zoom};
}

PageDevice PageDevice::printer(double dpiX, double dpiY) {
    return {dpiX / 25.4, dpiY / 25.4, true, 1.0};
}

PagePainter::PagePainter(const DocumentLayout& layout, const PageDevice& device)
    : m_layout(layout), m_dev(device) {
    // 3 and 1 pixels on a 96-dpi screen; on paper the same weights as the
    // 10- and 6-pixel pens of a 600-dpi printer.
    const double thick = m_dev.printing ? 0.42 * m_dev.pxPerMmY : 3 * m_dev.zoom;
    const double thin = m_dev.printing ? 0.25 * m_dev.pxPerMmY : std::max(1.0, m_dev.zoom);
    m_thick = QPen(Qt::black, thick, Qt::SolidLine, Qt::FlatCap);
    m_thin = QPen(Qt::black, thin, Qt::SolidLine, Qt::FlatCap);
}

int PagePainter::rowHeight(int rowCount) const {
    const int area = int((pg::kHeight - pg::kTop - pg::kBottom) * m_dev.pxPerMmY);
    return area / rowCount;
}

QFont PagePainter::font(const QPainter& p, const QString& family, double points, bool bold) const {
    QFont f(family);
    const double px = points * 25.4 / 72.0 * m_dev.pxPerMmY;
    const int dpi = p.device() ? p.device()->logicalDpiY() : 96;
    f.setPointSizeF(std::max(0.5, px * 72.0 / dpi));
    f.setBold(bold);
    f.setKerning(false);
    return f;
}

void PagePainter::drawFitted(QPainter& p, const QRectF& r, int flags, const QString& text,
                             const QFont& f) const {
    if (text.isEmpty())
        return;
    p.setFont(f);
    const double w = QFontMetricsF(f, p.device()).horizontalAdvance(text);
    if (w <= r.width() || w <= 0) {
        p.drawText(r, flags | Qt::TextSingleLine | Qt::TextDontClip, text);
        return;
    }
    // Too wide for its place: squeeze horizontally rather than run past it.
    p.save();
    const double sx = r.width() / w;
    p.translate(r.left(), 0);
    p.scale(sx, 1);
    p.drawText(QRectF(0, r.top(), w, r.height()),
               (flags & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft | Qt::TextSingleLine, text);
    p.restore();
}

void PagePainter::drawRowText(QPainter& p, const QRectF& r, const RowText& t) const {
    const QFont regular = font(p, kSong, 12), bold = font(p, kSong, 12, true);
    const QFontMetricsF mr(regular, p.device()), mb(bold, p.device());
    const double total = mr.horizontalAdvance(t.before) + mb.horizontalAdvance(t.bold) +
                         mr.horizontalAdvance(t.after);
    p.save();
    if (total > r.width() && total > 0) {
        p.translate(r.left(), 0);
        p.scale(r.width() / total, 1);
        p.translate(-r.left(), 0);
    }
    double x = r.left();
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
    auto run = [&](const QString& s, const QFont& f, const QFontMetricsF& m) {
        if (s.isEmpty())
            return;
        p.setFont(f);
        const double w = m.horizontalAdvance(s);
        p.drawText(QRectF(x, r.top(), w + 1, r.height()), flags, s);
        x += w;
    };
    run(t.before, regular, mr);
    run(t.bold, bold, mb);
    run(t.after, regular, mr);
    p.restore();
}

void PagePainter::drawFirstPageTop(QPainter& p, const Frame& fr) const {
    p.setPen(Qt::black);
    drawFitted(p, fr.row(0, 1.5), Qt::AlignHCenter | Qt::AlignVCenter, m_layout.unitName,
               font(p, kTitle, 22));
    drawFitted(p, fr.row(1.5, 1.5), Qt::AlignHCenter | Qt::AlignVCenter, m_layout.typeTitle,
               font(p, kHei, 18));
    const double mm = m_dev.pxPerMmX;
    for (const HeadingRow& row : m_layout.heading) {
        const QRectF band = fr.row(row.row);
        for (const HeadingItem& item : row.items) {
            const QRectF box(fr.left + item.x0 * mm, band.top(), (item.x1 - item.x0) * mm,
                             band.height());
            if (!item.value) {
                p.setPen(Qt::black);
                drawFitted(p, box.adjusted(0, 0, mm, 0), Qt::AlignLeft | Qt::AlignVCenter,
                           item.text, font(p, kSong, 12));
                continue;
            }
            p.setPen(m_thin);
            const double y = band.top() + band.height() * 0.8;
            p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
            p.setPen(Qt::black);
            drawFitted(p, box.adjusted(mm / 2, 0, -mm / 2, 0), Qt::AlignHCenter | Qt::AlignVCenter,
                       item.text, font(p, kSong, item.points));
        }
    }
}

void PagePainter::drawBody(QPainter& p, const Frame& fr, const PageLayout& page) const {
    const QPen& rule = m_layout.blankForm ? m_thin : m_thick;
    for (const BodyRow& row : page.body) {
        const QRectF r = fr.row(row.row);
        if (!row.text.isEmpty()) {
            p.setPen(Qt::black);
            drawRowText(p, r, row.text);
        }
        p.setPen(rule);
        p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()));
    }
    if (!page.mark.isEmpty()) {
        p.setPen(Qt::black);
        drawFitted(p, fr.row(-1), Qt::AlignHCenter | Qt::AlignVCenter, page.mark,
                   font(p, kSong, 12));
    }
}

void PagePainter::drawFooter(QPainter& p, const Frame& fr, const PageLayout& page) const {
    const QFont f = font(p, kSong, 12);
    // One half-width column of 12-pt text.
    const double col = 12.0 * 25.4 / 72.0 / 2.0 * m_dev.pxPerMmX;
    for (const FooterRow& row : page.footer) {
        const QRectF band = fr.row(row.row);
        // Runs of non-blank characters sit on the column grid, so the
        // signature and date gaps line up from row to row.
        int c = 0;
        qsizetype i = 0;
        p.setPen(Qt::black);
        while (i < row.text.size()) {
            if (row.text[i] == u' ') {
                ++c;
                ++i;
                continue;
            }
            qsizetype j = i;
            int cols = 0;
            while (j < row.text.size() && row.text[j] != u' ') {
                cols += row.text[j].unicode() < 0x80 ? 1 : 2;
                ++j;
            }
            const QRectF box(fr.left + c * col, band.top(), cols * col + col, band.height());
            drawFitted(p, box, Qt::AlignLeft | Qt::AlignVCenter, row.text.mid(i, j - i), f);
            c += cols;
            i = j;
        }
        p.setPen(m_thin);
        const double y = band.top() + band.height() * 0.8;
        for (auto [from, to] : row.underlines)
            p.drawLine(QPointF(fr.left + from * col, y), QPointF(fr.left + to * col, y));
    }
    p.setPen(Qt::black);
    drawFitted(p, fr.row(page.pageNumberRow), Qt::AlignHCenter | Qt::AlignVCenter, page.pageNumber,
               f);
}

void PagePainter::paintPage(QPainter& p, int index, QPointF origin) const {
    if (index < 0 || index >= int(m_layout.pages.size()))
        return;
    const PageLayout& page = m_layout.pages[std::size_t(index)];
    Frame fr;
    fr.origin = origin;
    const double leftMm = m_dev.printing ? 22 : 26;
    fr.left = origin.x() + leftMm * m_dev.pxPerMmX;
    fr.width = pg::kTextWidth * m_dev.pxPerMmX;
    fr.top = origin.y() + pg::kTop * m_dev.pxPerMmY;
    fr.rowH = rowHeight(page.rowCount);

    p.save();
    p.setClipRect(QRectF(origin, QSizeF(pageWidthPx(), pageHeightPx())), Qt::IntersectClip);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    if (index == 0)
        drawFirstPageTop(p, fr);
    drawBody(p, fr, page);
    drawFooter(p, fr, page);
    p.restore();
}
