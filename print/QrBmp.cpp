#include "print/QrBmp.h"

#include "print/PageModel.h"

#include <QSaveFile>

#include <qrencode.h>

#include <memory>

namespace {

void put16(QByteArray& b, int at, quint16 v) {
    b[at] = char(v & 0xff);
    b[at + 1] = char(v >> 8);
}

void put32(QByteArray& b, int at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xff);
}

constexpr int kQuiet = 4;
constexpr int kScale = 4;
constexpr int kHeader = 62; // file header 14 + info header 40 + two palette entries

} // namespace

QString QrText(const PrintParticulars& p) {
    return p.recordId + u'_' + p.name + u'_' + p.typeName + QStringLiteral("_第") + p.times +
           QStringLiteral("次笔录");
}

QByteArray QrBmp(const QString& text) {
    const QByteArray data = text.toUtf8();
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeData(int(data.size()), reinterpret_cast<const unsigned char*>(data.data()), 0,
                          QR_ECLEVEL_M),
        QRcode_free);
    if (!code)
        return {};
    const int modules = code->width;
    const int side = (modules + 2 * kQuiet) * kScale;
    const int stride = ((side + 31) / 32) * 4;
    const int imageSize = stride * side;

    QByteArray bmp(kHeader + imageSize, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(bmp, 2, quint32(bmp.size()));
    put32(bmp, 10, kHeader);
    put32(bmp, 14, 40);
    put32(bmp, 18, quint32(side));
    put32(bmp, 22, quint32(side)); // positive height: rows stored bottom up
    put16(bmp, 26, 1);
    put16(bmp, 28, 1);
    put32(bmp, 30, 0);
    put32(bmp, 34, quint32(imageSize));
    put32(bmp, 38, 3780);
    put32(bmp, 42, 3780);
    put32(bmp, 46, 2);
    put32(bmp, 50, 2);
    // Palette: index 0 black, index 1 white.
    put32(bmp, 54, 0x00000000);
    put32(bmp, 58, 0x00ffffff);

    for (int y = 0; y < side; ++y) {
        char* row = bmp.data() + kHeader + (side - 1 - y) * stride;
        for (int x = 0; x < side; ++x) {
            const int mx = x / kScale - kQuiet, my = y / kScale - kQuiet;
            const bool dark = mx >= 0 && my >= 0 && mx < modules && my < modules &&
                              (code->data[my * modules + mx] & 1);
            if (!dark)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
    }
    return bmp;
}

bool WriteQrBmp(const QString& path, const QString& text) {
    const QByteArray bmp = QrBmp(text);
    if (bmp.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bmp);
    return file.commit();
}
