#include "devices/CopyData.h"

#include <QLocalSocket>
#include <QtEndian>

namespace {

void PutUint32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

quint32 GetUint32(const QByteArray& in, int pos) {
    return qFromBigEndian<quint32>(in.constData() + pos);
}

} // namespace

QByteArray EncodeCopyData(const CopyDataMessage& message) {
    QByteArray out;
    out.reserve(kCopyDataHeaderSize + message.data.size());
    PutUint32(out, message.code);
    PutUint32(out, message.parameter);
    PutUint32(out, quint32(message.data.size()));
    out.append(message.data);
    return out;
}

std::optional<CopyDataMessage> TakeCopyData(QByteArray& buffer, bool* broken) {
    if (broken)
        *broken = false;
    if (buffer.size() < kCopyDataHeaderSize)
        return std::nullopt;
    const quint32 length = GetUint32(buffer, 8);
    if (length > kCopyDataMaxSize) {
        if (broken)
            *broken = true;
        return std::nullopt;
    }
    if (buffer.size() < kCopyDataHeaderSize + qsizetype(length))
        return std::nullopt;
    CopyDataMessage message;
    message.code = GetUint32(buffer, 0);
    message.parameter = GetUint32(buffer, 4);
    message.data = buffer.mid(kCopyDataHeaderSize, length);
    buffer.remove(0, kCopyDataHeaderSize + length);
    return message;
}

bool SendCopyData(const QString& serverName, const CopyDataMessage& message, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::WriteOnly);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    const QByteArray bytes = EncodeCopyData(message);
    if (socket.write(bytes) != bytes.size())
        return false;
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(timeoutMs))
            return false;
    socket.disconnectFromServer();
    return true;
}
