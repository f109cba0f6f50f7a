// jyx-cardreader: plays the separate card-reader program for tests and
// demonstrations.
//   jyx-cardreader send "name;sex;nation;year;month;day;address;;id"
//       sends a card's fields to the editor (code 200, zero-terminated text)
//   jyx-cardreader card
//       sends the fields of a sample card
//   jyx-cardreader listen
//       waits as the card-reader program for the editor's exit notice and
//       ends when it arrives (exit status 0), printing what came in
// --to / --as choose another socket name; --gbk sends the text in GBK, as
// the card-reader program of the Windows system does.
#include "devices/CardProgramLink.h"
#include "devices/CopyData.h"
#include "text/TextCodec.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <cstdio>

namespace {

const char* kSampleFields = "李晓明;男;汉;1990;03;07;北京市东城区景山前街4号;;110101199003071236";

int Send(const QString& to, const QString& fields, bool gbk) {
    QByteArray bytes =
        gbk ? QByteArray::fromStdString(Utf8ToAnsi(fields.toStdString())) : fields.toUtf8();
    bytes.append('\0');
    if (!SendCopyData(to, CopyDataMessage{kCardDataCode, 0, bytes})) {
        std::fprintf(stderr, "jyx-cardreader: nobody listens on %s\n",
                     to.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

int Listen(QCoreApplication& app, const QString& name, int timeoutMs) {
    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server.listen(name)) {
        QLocalServer::removeServer(name);
        if (!server.listen(name)) {
            std::fprintf(stderr, "jyx-cardreader: cannot listen: %s\n",
                         server.errorString().toLocal8Bit().constData());
            return 1;
        }
    }
    std::printf("listening\n");
    std::fflush(stdout);
    QByteArray pending;
    QObject::connect(&server, &QLocalServer::newConnection, [&] {
        QLocalSocket* socket = server.nextPendingConnection();
        QObject::connect(socket, &QLocalSocket::readyRead, [&, socket] {
            pending.append(socket->readAll());
            bool broken = false;
            while (auto m = TakeCopyData(pending, &broken)) {
                std::printf("code %u parameter %u data %s\n", m->code, m->parameter,
                            m->data.constData());
                std::fflush(stdout);
                if (m->code == kExitCode && m->data == QByteArray(kExitData, 4))
                    app.exit(0);
            }
            if (broken)
                socket->abort();
        });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    });
    if (timeoutMs > 0)
        QTimer::singleShot(timeoutMs, &app, [&app] { app.exit(2); });
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Plays the card-reader program: sends card fields to the "
                                     "editor or waits for its exit notice.");
    parser.addHelpOption();
    parser.addPositionalArgument("command", "send FIELDS | card | listen");
    const QCommandLineOption to("to", "Socket of the editor.", "name", kEditorSocketName);
    const QCommandLineOption as("as", "Socket to listen on.", "name",
                                QString::fromUtf8(kCardProgramSocketName));
    const QCommandLineOption gbk("gbk", "Send the fields in GBK.");
    const QCommandLineOption timeout("timeout", "Give up listening after ms (0: never).", "ms",
                                     "0");
    parser.addOptions({to, as, gbk, timeout});
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    if (command == "send" && args.size() == 2)
        return Send(parser.value(to), args[1], parser.isSet(gbk));
    if (command == "card")
        return Send(parser.value(to), QString::fromUtf8(kSampleFields), parser.isSet(gbk));
    if (command == "listen")
        return Listen(app, parser.value(as), parser.value(timeout).toInt());
    parser.showHelp(1);
}
