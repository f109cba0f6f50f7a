// Messages with outside programs over a local socket named after the window
// the peer addresses ("JyxMakeDlg", "司法笔录软件读卡器", ...). Each message is
// a code, a parameter and a block of bytes, framed as
//   code (uint32) | parameter (uint32) | length (uint32) | bytes
// with big-endian numbers.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct CopyDataMessage {
    quint32 code = 0;      // what the message is (200: card data; 1: a request)
    quint32 parameter = 0; // the sender's extra number
    QByteArray data;
};

inline constexpr int kCopyDataHeaderSize = 12;
// Larger blocks are refused: nothing the peers exchange comes near this.
inline constexpr quint32 kCopyDataMaxSize = 1 << 20;

QByteArray EncodeCopyData(const CopyDataMessage& message);

// Takes one complete message off the front of `buffer`. Nothing while the
// message is incomplete; `*broken` is set when the header announces a block
// over kCopyDataMaxSize (the stream cannot be trusted after it).
std::optional<CopyDataMessage> TakeCopyData(QByteArray& buffer, bool* broken);

// Sends one message to the local socket `serverName`, waiting at most
// `timeoutMs` for the connection and for the bytes to leave. False when no
// such peer listens or the send did not complete.
bool SendCopyData(const QString& serverName, const CopyDataMessage& message, int timeoutMs = 1000);
