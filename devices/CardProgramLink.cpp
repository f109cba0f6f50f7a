#include "devices/CardProgramLink.h"

#include "app/Clock.h"
#include "devices/CopyData.h"

#include <QLocalServer>
#include <QLocalSocket>

CardProgramLink::CardProgramLink(QObject* parent, QString serverName)
    : QObject(parent), m_name(std::move(serverName)), m_server(new QLocalServer(this)) {
    // Particulars are personal data: only programs of the same user may send them.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CardProgramLink::accept);
}

CardProgramLink::~CardProgramLink() = default;

bool CardProgramLink::listen() {
    if (m_server->isListening())
        return true;
    // A socket that answers belongs to another editor, which keeps it; a
    // socket file nobody answers on was left by an ended program. (Listening
    // with access options would silently replace even a live socket.)
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(200))
        return false;
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

bool CardProgramLink::isListening() const {
    return m_server->isListening();
}

QString CardProgramLink::errorString() const {
    return m_server->errorString();
}

void CardProgramLink::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        m_pending.insert(socket, {});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readFrom(socket);
            m_pending.remove(socket);
            socket->deleteLater();
        });
        readFrom(socket);
    }
}

void CardProgramLink::readFrom(QLocalSocket* socket) {
    auto it = m_pending.find(socket);
    if (it == m_pending.end())
        return;
    it->append(socket->readAll());
    bool broken = false;
    while (std::optional<CopyDataMessage> message = TakeCopyData(*it, &broken))
        handle(message->code, message->data);
    if (broken) {
        m_pending.remove(socket);
        socket->abort();
        socket->deleteLater();
    }
}

void CardProgramLink::handle(quint32 code, const QByteArray& data) {
    if (code != kCardDataCode)
        return;
    const QString text = CardText(std::string_view(data.constData(), std::size_t(data.size())));
    if (std::optional<IdCardFields> card = ParseCardProgramText(text, CurrentClock().now().date()))
        emit cardFields(*card);
}

bool SendCardProgramExit(const QString& serverName) {
    CopyDataMessage message{kExitCode, kExitParameter, QByteArray(kExitData, 4)};
    return SendCopyData(serverName, message, 500);
}
