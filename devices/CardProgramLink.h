// The separate card-reader program: it sends a read card's particulars to the
// editor's local socket "JyxMakeDlg" (code 200, a zero-terminated text of
// ";"-separated fields), and the editor tells it to exit when the editor
// closes (code 1, parameter 2, the four bytes "exit").
#pragma once

#include "devices/IdCard.h"

#include <QHash>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

inline constexpr const char* kEditorSocketName = "JyxMakeDlg";
inline constexpr const char* kCardProgramSocketName = "司法笔录软件读卡器";
inline constexpr quint32 kCardDataCode = 200;
inline constexpr quint32 kExitCode = 1;
inline constexpr quint32 kExitParameter = 2;
inline constexpr char kExitData[] = "exit";

class CardProgramLink : public QObject {
    Q_OBJECT
public:
    explicit CardProgramLink(QObject* parent = nullptr,
                             QString serverName = QString::fromUtf8(kEditorSocketName));
    ~CardProgramLink() override;

    // Starts listening; a socket left behind by an ended program is replaced.
    // False while another editor listens under the name.
    bool listen();
    bool isListening() const;
    QString serverName() const { return m_name; }
    QString errorString() const;

signals:
    // A card-data message with more than five fields.
    void cardFields(const IdCardFields& card);

private:
    void accept();
    void readFrom(QLocalSocket* socket);
    void handle(quint32 code, const QByteArray& data);

    QString m_name;
    QLocalServer* m_server = nullptr;
    QHash<QLocalSocket*, QByteArray> m_pending;
};

// Asks the card-reader program to exit. False when it is not running.
bool SendCardProgramExit(const QString& serverName = QString::fromUtf8(kCardProgramSocketName));
