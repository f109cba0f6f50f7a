// Draws the program's pictures (logo, login background and panel, unit panel,
// placeholder portraits, the main window's buttons, close and menu buttons)
// into the folder given on the command line. Everything is vector drawing in
// the frame-blue palette, so the pictures are rebuilt identically at build time.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor kFrameBlue(22, 130, 220);
const QColor kDeepBlue(12, 92, 170);
const QColor kGold(255, 206, 84);
const QColor kPale(240, 240, 255);

QImage canvas(int w, int h, bool transparent = true) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(transparent ? Qt::transparent : Qt::white);
    return image;
}

QFont font(const char* face, int pixels, int weight) {
    QFont f(QString::fromUtf8(face));
    f.setPixelSize(pixels);
    f.setWeight(QFont::Weight(weight));
    return f;
}

QPainterPath star(QPointF centre, double outer, double inner) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2) ? inner : outer;
        const double a = -M_PI / 2 + i * M_PI / 5;
        const QPointF p(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

// A round emblem: white disc, blue rings, an open book under a gold star.
void drawEmblem(QPainter& p, QRectF box) {
    const QPointF c = box.center();
    const double r = box.width() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(c, r, r);
    p.setBrush(kFrameBlue);
    p.drawEllipse(c, r * 0.86, r * 0.86);
    p.setPen(QPen(Qt::white, r * 0.04));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.76, r * 0.76);
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawPath(star(QPointF(c.x(), c.y() - r * 0.28), r * 0.26, r * 0.11));
    // Open book: two pages meeting at the spine.
    QPainterPath left, right;
    const double top = c.y() + r * 0.02, bottom = c.y() + r * 0.42, half = r * 0.46;
    left.moveTo(c.x(), top + r * 0.06);
    left.quadTo(c.x() - half * 0.5, top - r * 0.06, c.x() - half, top);
    left.lineTo(c.x() - half, bottom - r * 0.04);
    left.quadTo(c.x() - half * 0.5, bottom - r * 0.12, c.x(), bottom);
    left.closeSubpath();
    right = QTransform().translate(2 * c.x(), 0).scale(-1, 1).map(left);
    p.setBrush(Qt::white);
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(kFrameBlue, r * 0.025));
    for (int i = 1; i <= 3; ++i) {
        const double y = top + i * (bottom - top) / 4.5;
        p.drawLine(QPointF(c.x() - half * 0.8, y), QPointF(c.x() - half * 0.2, y + r * 0.03));
        p.drawLine(QPointF(c.x() + half * 0.2, y + r * 0.03), QPointF(c.x() + half * 0.8, y));
    }
}

QImage logo() {
    QImage image = canvas(128, 128);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawEmblem(p, QRectF(2, 2, 124, 124));
    return image;
}

QImage loginBackground() {
    QImage image = canvas(900, 560, false);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 560);
    sky.setColorAt(0.0, QColor(94, 182, 254));
    sky.setColorAt(0.45, QColor(150, 206, 255));
    sky.setColorAt(1.0, QColor(226, 240, 255));
    p.fillRect(image.rect(), sky);
    // Soft waves across the lower part.
    for (int i = 0; i < 3; ++i) {
        QPainterPath wave;
        const double base = 430 + i * 38;
        wave.moveTo(0, base);
        wave.cubicTo(240, base - 70 + i * 10, 560, base + 60, 900, base - 40);
        wave.lineTo(900, 560);
        wave.lineTo(0, 560);
        wave.closeSubpath();
        p.fillPath(wave, QColor(255, 255, 255, 60 + i * 30));
    }
    // A few faint rings in the corners.
    p.setPen(QPen(QColor(255, 255, 255, 50), 2));
    for (int r = 60; r <= 180; r += 40) {
        p.drawEllipse(QPointF(60, 520), r, r);
        p.drawEllipse(QPointF(860, 150), r * 0.8, r * 0.8);
    }
    return image;
}

QImage loginPanel() {
    QImage image = canvas(500, 326);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 6; i > 0; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 60, 120, 10));
        p.drawRoundedRect(QRectF(6 - i, 8 - i / 2.0, 488 + 2 * i, 312 + 2 * i), 14, 14);
    }
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(6, 6, 488, 312), 12, 12);
    QPainterPath top;
    top.addRoundedRect(QRectF(6, 6, 488, 24), 12, 12);
    p.save();
    p.setClipRect(QRectF(6, 6, 488, 5));
    p.fillPath(top, kFrameBlue);
    p.restore();
    return image;
}

QImage unitPanel() {
    QImage image = canvas(920, 116);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(0.5, 0.5, 919, 115), 10, 10);
    QLinearGradient fill(0, 0, 920, 0);
    fill.setColorAt(0.0, Qt::white);
    fill.setColorAt(0.35, kPale);
    fill.setColorAt(1.0, kPale);
    p.fillPath(card, fill);
    p.setPen(QPen(QColor(205, 214, 240), 1));
    p.drawPath(card);
    p.setPen(Qt::NoPen);
    p.setBrush(kFrameBlue);
    p.drawRoundedRect(QRectF(0.5, 0.5, 8, 115), 4, 4);
    drawEmblem(p, QRectF(34, 12, 92, 92));
    // A faint emblem as a watermark at the right.
    p.setOpacity(0.07);
    drawEmblem(p, QRectF(790, -10, 136, 136));
    return image;
}

QImage portrait(bool longHair) {
    QImage image = canvas(358, 441, false);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 441);
    bg.setColorAt(0, QColor(236, 242, 252));
    bg.setColorAt(1, QColor(214, 226, 244));
    p.fillRect(image.rect(), bg);
    const QColor figure(160, 178, 205);
    p.setPen(Qt::NoPen);
    p.setBrush(figure);
    if (longHair) {
        QPainterPath hair;
        hair.addRoundedRect(QRectF(100, 86, 158, 210), 70, 70);
        p.setBrush(figure.darker(112));
        p.drawPath(hair);
        p.setBrush(figure);
    }
    p.drawEllipse(QPointF(179, 172), 70, 82);
    QPainterPath body;
    body.moveTo(40, 441);
    body.cubicTo(46, 320, 110, 290, 179, 290);
    body.cubicTo(248, 290, 312, 320, 318, 441);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(QColor(120, 138, 165));
    p.setFont(font("黑体", 22, 500));
    p.drawText(QRect(0, 400, 358, 36), Qt::AlignCenter, QStringLiteral("照片"));
    return image;
}

using IconDraw = std::function<void(QPainter&, QRectF)>;

void page(QPainter& p, QRectF r, bool lines) {
    const double fold = r.width() * 0.28;
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
    if (!lines)
        return;
    for (int i = 0; i < 3; ++i) {
        const double y = r.top() + r.height() * (0.42 + i * 0.17);
        p.drawLine(QPointF(r.left() + r.width() * 0.2, y),
                   QPointF(r.right() - r.width() * (i == 2 ? 0.45 : 0.2), y));
    }
}

void iconNew(QPainter& p, QRectF r) {
    page(p, r.adjusted(6, 0, -14, 0), true);
    const QPointF c(r.right() - 12, r.bottom() - 12);
    p.save();
    p.setBrush(Qt::white);
    p.drawEllipse(c, 22, 22);
    p.setPen(QPen(kFrameBlue, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-11, 0), c + QPointF(11, 0));
    p.drawLine(c + QPointF(0, -11), c + QPointF(0, 11));
    p.restore();
}

void iconMine(QPainter& p, QRectF r) {
    QPainterPath folder;
    folder.moveTo(r.left(), r.top() + 14);
    folder.lineTo(r.left() + 30, r.top() + 14);
    folder.lineTo(r.left() + 40, r.top() + 26);
    folder.lineTo(r.right(), r.top() + 26);
    folder.lineTo(r.right(), r.bottom());
    folder.lineTo(r.left(), r.bottom());
    folder.closeSubpath();
    p.drawPath(folder);
    p.drawLine(QPointF(r.left(), r.top() + 40), QPointF(r.right(), r.top() + 40));
    // A person inside the folder.
    const QPointF c(r.center().x(), r.top() + 62);
    p.drawEllipse(c, 10, 10);
    p.drawArc(QRectF(c.x() - 20, c.y() + 14, 40, 34), 0, 180 * 16);
}

void iconBlank(QPainter& p, QRectF r) {
    page(p, r.adjusted(10, 0, -10, 0), false);
    // A pencil across the page.
    p.save();
    p.translate(r.center() + QPointF(10, 14));
    p.rotate(-45);
    p.drawRect(QRectF(-34, -7, 52, 14));
    QPainterPath tip;
    tip.moveTo(18, -7);
    tip.lineTo(32, 0);
    tip.lineTo(18, 7);
    p.drawPath(tip);
    p.restore();
}

void iconTemplate(QPainter& p, QRectF r) {
    const QRectF back = r.adjusted(18, 0, 0, -18);
    const QRectF front = r.adjusted(0, 18, -18, 0);
    p.drawRoundedRect(back, 4, 4);
    p.save();
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawRoundedRect(front, 4, 4);
    p.restore();
    const double pad = 10;
    const QRectF inner = front.adjusted(pad, pad, -pad, -pad);
    p.drawRect(QRectF(inner.left(), inner.top(), inner.width(), inner.height() * 0.25));
    p.drawRect(QRectF(inner.left(), inner.top() + inner.height() * 0.38, inner.width() * 0.42,
                      inner.height() * 0.62));
    for (int i = 0; i < 3; ++i) {
        const double y = inner.top() + inner.height() * (0.45 + i * 0.22);
        p.drawLine(QPointF(inner.left() + inner.width() * 0.55, y), QPointF(inner.right(), y));
    }
}

QImage pictureButton(const QString& words, QColor top, QColor bottom, const IconDraw& icon) {
    QImage image = canvas(200, 240);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Shadow, then the tile.
    p.setPen(Qt::NoPen);
    for (int i = 5; i > 0; --i) {
        p.setBrush(QColor(20, 40, 90, 12));
        p.drawRoundedRect(QRectF(6 - i * 0.6, 8 - i * 0.2, 188 + i * 1.2, 226 + i * 0.8), 18, 18);
    }
    QLinearGradient fill(0, 0, 0, 240);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(6, 4, 188, 226), 16, 16);
    // A light sheen across the upper half.
    QPainterPath sheen;
    sheen.moveTo(6, 90);
    sheen.cubicTo(60, 60, 140, 120, 194, 70);
    sheen.lineTo(194, 20);
    sheen.quadTo(194, 4, 178, 4);
    sheen.lineTo(22, 4);
    sheen.quadTo(6, 4, 6, 20);
    sheen.closeSubpath();
    p.fillPath(sheen, QColor(255, 255, 255, 28));
    // The icon in white outline.
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    icon(p, QRectF(56, 40, 88, 100));
    // The words.
    p.setPen(Qt::white);
    p.setFont(font("黑体", 28, 700));
    p.drawText(QRectF(6, 164, 188, 48), Qt::AlignCenter, words);
    return image;
}

QImage closeButton() {
    QImage image = canvas(48, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 14), QPointF(34, 34));
    p.drawLine(QPointF(34, 14), QPointF(14, 34));
    return image;
}

QImage menuButton() {
    QImage image = canvas(168, 60);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 150), 2));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRoundedRect(QRectF(2, 2, 164, 56), 12, 12);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(24, 18 + i * 12), QPointF(52, 18 + i * 12));
    p.setFont(font("黑体", 30, 700));
    p.drawText(QRectF(62, 0, 96, 60), Qt::AlignCenter, QStringLiteral("菜单"));
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-pictures OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const std::pair<const char*, QImage> pictures[] = {
        {"logo.png", logo()},
        {"login.jpg", loginBackground()},
        {"loginbk.png", loginPanel()},
        {"unitinfo.png", unitPanel()},
        {"user0.png", portrait(false)},
        {"user1.png", portrait(true)},
        {"btn_new.png", pictureButton(QStringLiteral("新建笔录"), QColor(40, 150, 236),
                                      QColor(16, 106, 196), iconNew)},
        {"btn_mine.png", pictureButton(QStringLiteral("我的笔录"), QColor(20, 176, 204),
                                       QColor(0, 124, 166), iconMine)},
        {"btn_blank.png", pictureButton(QStringLiteral("空白笔录"), QColor(96, 120, 230),
                                        QColor(60, 78, 190), iconBlank)},
        {"btn_template.png", pictureButton(QStringLiteral("笔录模板"), QColor(30, 178, 158),
                                           QColor(10, 128, 124), iconTemplate)},
        {"close.png", closeButton()},
        {"menu.png", menuButton()},
    };
    for (const auto& [name, image] : pictures) {
        const QString path = out.filePath(QString::fromUtf8(name));
        const bool jpeg = path.endsWith(".jpg");
        const QImage saved = jpeg ? image.convertToFormat(QImage::Format_RGB32) : image;
        if (!saved.save(path, nullptr, jpeg ? 92 : -1)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
