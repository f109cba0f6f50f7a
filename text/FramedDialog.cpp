#include "text/FramedDialog.h"

#include "app/AppContext.h"

#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRegion>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kCornerEllipse = 15; // the rounded corners are drawn with a 15 x 15 ellipse
constexpr int kBorderWidth = 2;    // width of the painted frame-blue border
constexpr int kCloseSize = 30;
constexpr int kCloseMargin = 6;

QString imagePath(const char* name) {
    return QString::fromStdString(ProgramPath(std::string("image/") + name));
}

// The region of a rectangle with rounded corners, as the window's mask.
QRegion roundedRegion(const QSize& size) {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width(), size.height()), kCornerEllipse / 2.0,
                        kCornerEllipse / 2.0);
    return QRegion(path.toFillPolygon().toPolygon());
}
} // namespace

FramedDialog::FramedDialog(QWidget* parent, int pieces, int bandHeight)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), m_pieces(pieces),
      m_bandHeight(bandHeight) {
    auto* outer = new QVBoxLayout(this);
    const int border = (m_pieces & FramePaint) ? kBorderWidth : 0;
    outer->setContentsMargins(border, m_bandHeight, border, border);
    outer->setSpacing(0);
    m_body = new QWidget(this);
    m_body->setObjectName("frameBody");
    auto* bodyLayout = new QVBoxLayout(m_body);
    bodyLayout->setContentsMargins(12, 12, 12, 12);
    outer->addWidget(m_body);

    if (m_pieces & CloseButton) {
        m_close = new QToolButton(this);
        m_close->setObjectName("frameClose");
        m_close->setFixedSize(kCloseSize, kCloseSize);
        m_close->setCursor(Qt::PointingHandCursor);
        m_close->setFocusPolicy(Qt::NoFocus);
        m_close->setToolTip(QStringLiteral("关闭"));
        QPixmap icon(imagePath("close.png"));
        if (icon.isNull()) {
            m_close->setText(QStringLiteral("✕"));
        } else {
            m_close->setIcon(icon);
            m_close->setIconSize(QSize(kCloseSize - 8, kCloseSize - 8));
        }
        m_close->setStyleSheet("QToolButton#frameClose { border: none; background: transparent;"
                               " color: white; font-size: 18px; }"
                               "QToolButton#frameClose:hover { background: rgba(255,255,255,60);"
                               " border-radius: 4px; }");
        connect(m_close, &QToolButton::clicked, this, &QDialog::reject);
    }
}

void FramedDialog::setTitleText(const QString& title) {
    m_title = title;
    setWindowTitle(title);
    update(0, 0, width(), m_bandHeight);
}

QString FramedDialog::titleText() const {
    return m_title;
}

QVBoxLayout* FramedDialog::bodyLayout() const {
    return static_cast<QVBoxLayout*>(m_body->layout());
}

bool FramedDialog::inDragBand(const QPoint& p) const {
    if (!(m_pieces & DragBand))
        return false;
    return p.y() >= 0 && p.y() < m_bandHeight && p.x() >= 0 && p.x() < width();
}

void FramedDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    paintBand(painter);
    if (m_pieces & FramePaint) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kFrameBlue);
        const int w = width(), h = height();
        painter.drawRect(0, 0, w, kBorderWidth + 1);
        painter.drawRect(0, h - kBorderWidth - 1, w, kBorderWidth + 1);
        painter.drawRect(0, 0, kBorderWidth, h);
        painter.drawRect(w - kBorderWidth, 0, kBorderWidth, h);
    }
}

// The band in frame blue (when the band or the title is painted), the logo at
// the top left, and the title in white beside it. A missing logo leaves its
// area unpainted.
void FramedDialog::paintBand(QPainter& painter) {
    if (!(m_pieces & (BandPaint | TitleText)))
        return;
    const QRect band(0, 0, width(), m_bandHeight);
    painter.fillRect(band, kFrameBlue);
    int textLeft = 14;
    if (m_pieces & BandPaint) {
        const int side = m_bandHeight - 12;
        const QRect logoArea(10, 6, side, side);
        QPixmap logo(imagePath("logo.png"));
        if (!logo.isNull())
            painter.drawPixmap(logoArea, logo);
        textLeft = logoArea.right() + 10;
    }
    if ((m_pieces & BandPaint) && m_closing && m_closing->isVisible()) {
        const int top = m_closing->mapTo(this, QPoint(0, 0)).y() - 10;
        painter.fillRect(QRect(0, top, width(), height() - top), kFrameBlue);
    }
    if ((m_pieces & TitleText) && !m_title.isEmpty()) {
        QFont font(QStringLiteral("宋体"));
        font.setPixelSize(18);
        font.setWeight(QFont::Weight(600));
        painter.setFont(font);
        painter.setPen(Qt::white);
        const int right = m_close ? m_close->x() - 6 : width() - 10;
        painter.drawText(QRect(textLeft, 0, right - textLeft, m_bandHeight),
                         Qt::AlignVCenter | Qt::AlignLeft, m_title);
    }
}

void FramedDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_pieces & RoundCorners)
        setMask(roundedRegion(size()));
    if (m_close) {
        m_close->move(width() - kCloseSize - kCloseMargin, kCloseMargin);
        m_close->raise();
    }
}

void FramedDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && inDragBand(event->position().toPoint())) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void FramedDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void FramedDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

QWidget* FramedDialog::okCancelRow(const std::function<void()>& onOk) {
    auto* buttons = new QWidget(body());
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    auto* ok = new QPushButton(QStringLiteral("确定"), buttons);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), buttons);
    cancel->setObjectName("cancelButton");
    cancel->setAutoDefault(false);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addStretch();
    connect(ok, &QPushButton::clicked, this, onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return buttons;
}
