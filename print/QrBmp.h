// The transcript's QR code as a 1-bit BMP file ("2wm.bmp").
#pragma once

#include <QByteArray>
#include <QString>

struct PrintParticulars;

// id "_" name "_" type "_第" count "次笔录"
QString QrText(const PrintParticulars& p);
// The QR code of the UTF-8 bytes of `text`: one pixel per module, a quiet
// zone of 4 modules, enlarged 4 times, as a 1-bit BMP (62-byte header,
// 3780 pixels per metre). Empty when the text cannot be encoded.
QByteArray QrBmp(const QString& text);
// Writes QrBmp(text) to `path` through a temporary file; false on failure.
bool WriteQrBmp(const QString& path, const QString& text);
