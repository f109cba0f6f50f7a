// The card-reader program's messages over the local socket, the exit notice,
// and the command-line stand-in that plays the program.
#include "app/test_officers_fixture.h"
#include "devices/CardProgramLink.h"
#include "devices/CopyData.h"
#include "text/TextCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

QString UniqueName(const char* stem) {
    return QString::fromUtf8(stem) + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

QByteArray Zeroed(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.append('\0');
    return bytes;
}

TEST(CopyDataFrames, RoundTripPiecesAndOversize) {
    const CopyDataMessage a{200, 7, QByteArray("a;b\0", 4)};
    const CopyDataMessage b{1, 2, QByteArray("exit")};
    const QByteArray stream = EncodeCopyData(a) + EncodeCopyData(b);
    EXPECT_EQ(stream.left(12), QByteArray::fromHex("000000c8000000070000000"
                                                   "4"));

    QByteArray buffer;
    bool broken = true;
    std::vector<CopyDataMessage> got;
    for (char c : stream) { // byte by byte, as a slow peer would send
        buffer.append(c);
        while (auto m = TakeCopyData(buffer, &broken))
            got.push_back(*m);
        EXPECT_FALSE(broken);
    }
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].code, 200u);
    EXPECT_EQ(got[0].parameter, 7u);
    EXPECT_EQ(got[0].data, a.data);
    EXPECT_EQ(got[1].data, "exit");
    EXPECT_TRUE(buffer.isEmpty());

    QByteArray huge = QByteArray::fromHex("000000c800000000ffffffff");
    EXPECT_FALSE(TakeCopyData(huge, &broken));
    EXPECT_TRUE(broken);
}

class CardProgram : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        clock.set(QDateTime(QDate(2026, 6, 15), QTime(9, 0)));
        ASSERT_TRUE(link.listen()) << link.errorString().toStdString();
    }
    bool send(quint32 code, const QByteArray& data) {
        return SendCopyData(link.serverName(), CopyDataMessage{code, 0, data});
    }
    CardProgramLink link{nullptr, UniqueName("JyxMakeDlg-test-")};
    QSignalSpy spy{&link, &CardProgramLink::cardFields};
};

TEST_F(CardProgram, NineFieldsFillEverything) {
    ASSERT_TRUE(send(kCardDataCode,
                     Zeroed(QStringLiteral(
                         "李晓明;男;汉;1990;3;7;北京市东城区景山前街4号;;110101199003071236"))));
    ASSERT_TRUE(spy.wait(5000));
    const auto card = spy[0][0].value<IdCardFields>();
    EXPECT_EQ(card.name, QStringLiteral("李晓明"));
    EXPECT_EQ(card.sexIndex, 0);
    EXPECT_EQ(card.nation, QStringLiteral("汉"));
    EXPECT_EQ(card.idNumber, QStringLiteral("110101199003071236"));
    EXPECT_EQ(card.birthday(), QDate(1990, 3, 7));
    EXPECT_EQ(card.address, QStringLiteral("北京市东城区景山前街4号"));
    EXPECT_EQ(card.age, 36);
}

TEST_F(CardProgram, FiveFieldsAndOtherCodesAreIgnoredSevenLeaveTheNumber) {
    ASSERT_TRUE(send(kCardDataCode, Zeroed(QStringLiteral("王芳;女;回;2001;7"))));
    ASSERT_TRUE(send(201, Zeroed(QStringLiteral("王芳;女;回;2001;7;1;西安;;610101200107011228"))));
    ASSERT_TRUE(send(kCardDataCode, Zeroed(QStringLiteral("王芳;女;回;2001;7;1;西安"))));
    ASSERT_TRUE(spy.wait(5000));
    QCoreApplication::processEvents();
    ASSERT_EQ(spy.size(), 1);
    const auto card = spy[0][0].value<IdCardFields>();
    EXPECT_EQ(card.name, QStringLiteral("王芳"));
    EXPECT_FALSE(card.idNumber.has_value());
    EXPECT_EQ(card.age, 24);
}

TEST_F(CardProgram, GbkTextFromTheWindowsProgram) {
    QByteArray gbk =
        QByteArray::fromStdString(Utf8ToAnsi("王芳;女;回;2001;7;1;西安;;610101200107011228"));
    gbk.append('\0');
    ASSERT_TRUE(send(kCardDataCode, gbk));
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy[0][0].value<IdCardFields>().address, QStringLiteral("西安"));
}

TEST_F(CardProgram, OversizeMessageClosesOnlyThatConnection) {
    QLocalSocket bad;
    bad.connectToServer(link.serverName());
    ASSERT_TRUE(bad.waitForConnected(2000));
    bad.write(QByteArray::fromHex("000000c800000000ffffffff") + QByteArray(100, 'x'));
    ASSERT_TRUE(bad.waitForBytesWritten(2000));
    // The link runs on this thread: let it read, refuse and close.
    for (int i = 0; i < 100 && bad.state() != QLocalSocket::UnconnectedState; ++i)
        QTest::qWait(50);
    ASSERT_EQ(bad.state(), QLocalSocket::UnconnectedState);
    ASSERT_TRUE(
        send(kCardDataCode, Zeroed(QStringLiteral("甲;男;汉;1990;1;1;乙;;110101199001011236"))));
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy.size(), 1);
}

TEST_F(CardProgram, ASecondEditorDoesNotTakeTheSocket) {
    CardProgramLink second(nullptr, link.serverName());
    EXPECT_FALSE(second.listen());
    ASSERT_TRUE(
        send(kCardDataCode, Zeroed(QStringLiteral("甲;男;汉;1990;1;1;乙;;110101199001011236"))));
    ASSERT_TRUE(spy.wait(5000));
}

TEST(CardProgramLinkSocket, LeftoverSocketFileIsReplaced) {
    const QString name = UniqueName("JyxMakeDlg-test-");
    {
        // A server that ends without removing its file, as a crashed program would.
        QLocalServer dead;
        ASSERT_TRUE(dead.listen(name));
        const QString path = dead.fullServerName();
        dead.close();
        QFile leftover(path);
        ASSERT_TRUE(leftover.open(QIODevice::WriteOnly)); // a stale file in its place
    }
    CardProgramLink link(nullptr, name);
    EXPECT_TRUE(link.listen()) << link.errorString().toStdString();
}

TEST(CardProgramExit, SentOnlyWhenTheProgramListens) {
    const QString name = UniqueName("cardreader-test-");
    EXPECT_FALSE(SendCardProgramExit(name));

    QLocalServer server;
    ASSERT_TRUE(server.listen(name));
    ASSERT_TRUE(SendCardProgramExit(name));
    ASSERT_TRUE(server.waitForNewConnection(5000));
    QLocalSocket* peer = server.nextPendingConnection();
    QByteArray bytes;
    while (bytes.size() < 16 && peer->waitForReadyRead(5000))
        bytes += peer->readAll();
    bool broken = false;
    auto message = TakeCopyData(bytes, &broken);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->code, 1u);
    EXPECT_EQ(message->parameter, 2u);
    EXPECT_EQ(message->data, QByteArray("exit")); // four bytes, no terminating zero
    EXPECT_EQ(message->data.size(), 4);
}

TEST_F(CardProgram, StandInSendsFieldsInUtf8AndGbk) {
    for (const char* extra : {"", "--gbk"}) {
        SCOPED_TRACE(extra);
        QStringList args{"send", "--to", link.serverName(),
                         QStringLiteral("赵六;女;满;1985;12;24;沈阳;;210102198512241223")};
        if (*extra)
            args << extra;
        QProcess standIn;
        standIn.start(JYX_CARDREADER_PATH, args);
        ASSERT_TRUE(standIn.waitForFinished(10000));
        EXPECT_EQ(standIn.exitCode(), 0) << standIn.readAllStandardError().toStdString();
        ASSERT_TRUE(spy.wait(5000));
        const auto card = spy.takeFirst()[0].value<IdCardFields>();
        EXPECT_EQ(card.name, QStringLiteral("赵六"));
        EXPECT_EQ(card.address, QStringLiteral("沈阳"));
        EXPECT_EQ(card.idNumber, QStringLiteral("210102198512241223"));
        EXPECT_EQ(card.age, 40);
    }
}

TEST(CardProgramStandIn, EndsOnTheExitNotice) {
    const QString name = UniqueName("cardreader-test-");
    QProcess standIn;
    standIn.start(JYX_CARDREADER_PATH, {"listen", "--as", name, "--timeout", "20000"});
    ASSERT_TRUE(standIn.waitForReadyRead(10000));
    EXPECT_TRUE(standIn.readLine().startsWith("listening"));
    ASSERT_TRUE(SendCardProgramExit(name));
    ASSERT_TRUE(standIn.waitForFinished(10000));
    EXPECT_EQ(standIn.exitCode(), 0);
    EXPECT_TRUE(standIn.readAll().contains("code 1 parameter 2 data exit"));
}

} // namespace
