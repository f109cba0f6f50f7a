// Card reads through the reader library: the simulator library loaded with
// dlopen for the real paths, a scripted reader for the rest.
#include "app/test_officers_fixture.h"
#include "devices/CardReadSession.h"
#include "devices/CardReader.h"

#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <map>

namespace {

// Points the simulator at files and failures for one test.
class SimulatorEnv {
public:
    ~SimulatorEnv() {
        for (const char* name : {"JYX_CARDSIM_CARD", "JYX_CARDSIM_PHOTO", "JYX_CARDSIM_FAIL"})
            unsetenv(name);
    }
    void set(const char* name, const QString& value) {
        setenv(name, value.toUtf8().constData(), 1);
    }
};

std::unique_ptr<CardReader> Simulator() {
    std::string error;
    auto reader = LoadCardReaderLibrary(JYX_CARDSIM_PATH, &error);
    EXPECT_TRUE(reader) << error;
    return reader;
}

class CardReads : public StoreFixture {
protected:
    QString photo() const { return dir.filePath("tmp.bmp"); }
    CardReadRequest request(bool withPhoto = true) const {
        return {QDate(2026, 6, 15), withPhoto, photo()};
    }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    SimulatorEnv env;
    CardDevice device{Simulator};
};

TEST_F(CardReads, SimulatorCardWithPhoto) {
    const CardReadResult r = device.read(request());
    EXPECT_EQ(r.status, CardReadResult::Status::Read);
    EXPECT_TRUE(r.messages.isEmpty());
    ASSERT_TRUE(r.card);
    EXPECT_EQ(r.card->name, QStringLiteral("李晓明"));
    EXPECT_EQ(r.card->idNumber, QStringLiteral("110101199003071236"));
    EXPECT_EQ(r.card->age, 36);
    EXPECT_EQ(r.photoPath, photo());
    const QImage image(photo());
    EXPECT_EQ(image.size(), QSize(102, 126));
}

TEST_F(CardReads, FailuresAtEachStep) {
    struct Case {
        const char* fail;
        CardReadResult::Status status;
        const char* message;
        bool card, photo;
    };
    const Case cases[] = {
        {"open", CardReadResult::Status::OpenFailed, "请确认读卡器连接电脑并打开！", false, false},
        {"read", CardReadResult::Status::NotRead, nullptr, false, false},
        // The read goes on with what was decoded.
        {"text", CardReadResult::Status::Read, "身份证信息解析失败——卡片文字信息校验错误(7)", true,
         true},
        {"photo", CardReadResult::Status::Read, nullptr, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fail);
        QFile::remove(photo());
        env.set("JYX_CARDSIM_FAIL", c.fail);
        const CardReadResult r = device.read(request());
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.messages,
                  c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
        EXPECT_EQ(r.card.has_value(), c.card);
        EXPECT_EQ(!r.photoPath.isEmpty(), c.photo);
        EXPECT_EQ(QFile::exists(photo()), c.photo);
    }
}

TEST_F(CardReads, UnparsableTextSetsNothingButTheReadCounts) {
    writeFile("card.json", "name=李晓明");
    env.set("JYX_CARDSIM_CARD", dir.filePath("card.json"));
    const CardReadResult r = device.read(request());
    EXPECT_EQ(r.status, CardReadResult::Status::Read);
    EXPECT_FALSE(r.card);
    EXPECT_TRUE(r.messages.isEmpty());
}

TEST_F(CardReads, PhotoFromFixtureReplacesTheFileAndOversizeIsRefused) {
    const QByteArray old("old photo");
    writeFile("tmp.bmp", old);
    QImage small(20, 30, QImage::Format_RGB888);
    small.fill(Qt::red);
    ASSERT_TRUE(small.save(dir.filePath("fixture.bmp"), "BMP"));
    env.set("JYX_CARDSIM_PHOTO", dir.filePath("fixture.bmp"));
    EXPECT_FALSE(device.read(request()).photoPath.isEmpty());
    EXPECT_EQ(QImage(photo()).size(), QSize(20, 30));

    writeFile("tmp.bmp", old);
    writeFile("huge.bmp", QByteArray(JYX_CARD_PHOTO_SIZE + 1, 'x'));
    env.set("JYX_CARDSIM_PHOTO", dir.filePath("huge.bmp"));
    const CardReadResult r = device.read(request());
    EXPECT_TRUE(r.card);
    EXPECT_TRUE(r.photoPath.isEmpty());
    QFile f(photo());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
}

TEST_F(CardReads, WithoutPhotoNothingIsWritten) {
    const CardReadResult r = device.read(request(false));
    EXPECT_TRUE(r.card);
    EXPECT_TRUE(r.photoPath.isEmpty());
    EXPECT_FALSE(QFile::exists(photo()));
}

TEST(CardReaderLibrary, MissingLibraryOrEntryPoints) {
    std::string error;
    EXPECT_FALSE(LoadCardReaderLibrary("", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(LoadCardReaderLibrary("/nonexistent/libreader.so", &error));
    EXPECT_FALSE(LoadCardReaderLibrary(JYX_KAVRA_PATH, &error));
    EXPECT_NE(error.find("JyxCardOpen"), std::string::npos) << error;

    // No library set up: every read ends at the open with its message.
    CardDevice none([] { return std::unique_ptr<CardReader>(); });
    const CardReadResult r = none.read({QDate(2026, 1, 1), true, {}});
    EXPECT_EQ(r.status, CardReadResult::Status::OpenFailed);
    EXPECT_EQ(r.messages, QStringList{QStringLiteral("请确认读卡器连接电脑并打开！")});
}

TEST(CardReaderLibrary, InstallationSetting) {
    const std::map<std::string, std::string> cases = {
        {"", ""},
        {"library=/opt/reader/libkt5.so", "/opt/reader/libkt5.so"},
        {"# reader\n  library = lib/libkt5.so  \r\n", "/prog/lib/libkt5.so"},
        {"host=x\nlibrary=\n", ""},
        {"library=/a.so\nlibrary=/b.so", "/b.so"},
    };
    for (const auto& [text, path] : cases)
        EXPECT_EQ(ParseCardReaderLibraryPath(text, "/prog"), path) << text;

    QTemporaryDir dir;
    EXPECT_EQ(ReadCardReaderLibraryPath(dir.path().toStdString()), "");
    QFile conf(dir.filePath("cardreader.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(QByteArray("library=") + JYX_CARDSIM_PATH + "\n");
    conf.close();
    const std::string path = ReadCardReaderLibraryPath(dir.path().toStdString());
    EXPECT_EQ(path, JYX_CARDSIM_PATH);
    EXPECT_TRUE(LoadCardReaderLibrary(path));
}

// A reader whose open waits until the test lets it go, and whose text
// decoding fails without writing anything from the second read on.
class ScriptedReader : public CardReader {
public:
    std::shared_future<void> gate;
    std::promise<void>* entered = nullptr;
    int reads = 0;
    int open(int, const char*, int* handle) override {
        if (entered) {
            entered->set_value();
            entered = nullptr;
        }
        if (gate.valid())
            gate.wait();
        *handle = 7;
        return 0;
    }
    int read(int, unsigned char* text, unsigned char*, unsigned char*) override {
        ++reads;
        text[0] = 1;
        return 0;
    }
    int decodeText(const unsigned char*, char* out, int* length) override {
        if (reads > 1)
            return 9;
        const char card[] = R"({"name":"first","born":"19900101"})";
        std::memcpy(out, card, sizeof card);
        *length = sizeof card - 1;
        return 0;
    }
    int errorText(int, char* out, int size) override {
        std::snprintf(out, size, "bad");
        return 0;
    }
    int decodePhoto(const unsigned char*, const char*, int, unsigned char*, int*) override {
        return 1;
    }
};

TEST(CardDeviceSharing, ASecondReadWhileOneRunsIsRefused) {
    std::promise<void> release, entered;
    auto* scripted = new ScriptedReader;
    scripted->gate = release.get_future().share();
    scripted->entered = &entered;
    CardDevice device([scripted] { return std::unique_ptr<CardReader>(scripted); });
    auto first = std::async(std::launch::async, [&] {
        return device.read({QDate(2026, 1, 1), false, {}});
    });
    entered.get_future().wait();
    EXPECT_EQ(device.read({QDate(2026, 1, 1), false, {}}).status, CardReadResult::Status::Busy);
    release.set_value();
    EXPECT_EQ(first.get().status, CardReadResult::Status::Read);

    // The next card's failed decoding does not bring back the first card.
    const CardReadResult second = device.read({QDate(2026, 1, 1), false, {}});
    EXPECT_EQ(second.messages, QStringList{QStringLiteral("身份证信息解析失败——bad")});
    EXPECT_FALSE(second.card);
}

class EditorCardSession : public CardReads {};

TEST_F(EditorCardSession, SuccessfulReadFillsAndDisablesForGood) {
    CardReadSession session(device, photo());
    QSignalSpy cards(&session, &CardReadSession::cardRead);
    QSignalSpy photos(&session, &CardReadSession::photoRead);
    QSignalSpy succeeded(&session, &CardReadSession::readSucceeded);
    QSignalSpy finished(&session, &CardReadSession::readFinished);
    EXPECT_TRUE(session.readerReady());
    EXPECT_TRUE(session.read());
    EXPECT_FALSE(session.readerReady());
    EXPECT_FALSE(session.read()); // not ready while the first runs
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_EQ(cards.size(), 1);
    EXPECT_EQ(cards[0][0].value<IdCardFields>().name, QStringLiteral("李晓明"));
    ASSERT_EQ(photos.size(), 1);
    EXPECT_EQ(photos[0][0].toString(), photo());
    EXPECT_EQ(succeeded.size(), 1);
    EXPECT_TRUE(session.readerReady());
    EXPECT_TRUE(prompt.texts().isEmpty());
}

TEST_F(EditorCardSession, FailedOpenWaitsForTheRearm) {
    env.set("JYX_CARDSIM_FAIL", "open");
    CardReadSession session(device, photo());
    QSignalSpy succeeded(&session, &CardReadSession::readSucceeded);
    QSignalSpy finished(&session, &CardReadSession::readFinished);
    ASSERT_TRUE(session.read());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("请确认读卡器连接电脑并打开！")});
    EXPECT_EQ(succeeded.size(), 0);
    EXPECT_FALSE(session.readerReady());
    EXPECT_FALSE(session.read());
    session.rearm();
    EXPECT_TRUE(session.readerReady());
    unsetenv("JYX_CARDSIM_FAIL");
    ASSERT_TRUE(session.read());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(succeeded.size(), 1);
}

TEST_F(EditorCardSession, ResultsOfAGoneEditorAreDropped) {
    auto* session = new CardReadSession(device, photo());
    bool delivered = false;
    QObject::connect(session, &CardReadSession::readFinished, [&] { delivered = true; });
    ASSERT_TRUE(session->read());
    delete session;
    // The worker still ends; its result finds no receiver.
    QTest::qWait(200);
    for (int i = 0; i < 50 && device.read(request(false)).status == CardReadResult::Status::Busy;
         ++i)
        QTest::qWait(100);
    QCoreApplication::processEvents();
    EXPECT_FALSE(delivered);
}

} // namespace
