// The server command check against the record server on loopback: the base
// address it publishes, the update offer and the updater it starts, and how
// quietly it ends when the server is missing or talks nonsense.
#include "NetTestSupport.h"

#include "app/Prompt.h"
#include "net/HttpClient.h"
#include "net/ServerCommandCheck.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <chrono>

using namespace std::chrono_literals;

namespace {

SessionValues Officer() {
    SessionValues s;
    s.loginName = "lm";
    s.officerName = "李明";
    s.accountIdNumber = "350100198001010011";
    s.unitName = "青岚市烟草专卖局";
    s.macText = "0-1A-2B-C-4D-5E\n";
    return s;
}

// The record server on loopback; `total` short only where the server is
// meant to stay silent.
ServerSettings Loopback(int port, std::chrono::milliseconds total = 30s) {
    ServerSettings s;
    s.host = "127.0.0.1";
    s.port = port;
    s.totalTimeout = total;
    return s;
}

} // namespace

class CommandCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(programDir.isValid());
        SetProgramDir(programDir.path().toStdString());
        InstallPrompt(&prompt);
        SetUploadBaseAddress("");
        SetCommandCheckAnswer("");
    }
    void TearDown() override {
        InstallPrompt(nullptr);
        SetUploadBaseAddress("");
        SetCommandCheckAnswer("");
    }

    // Runs one check to its end; false when it never finished.
    bool run(const ServerSettings& server, bool* answered = nullptr) {
        auto* check = new CServerCommandCheck(&mainWindow, [this] { ++closed; });
        QSignalSpy spy(check, &CServerCommandCheck::finished);
        check->start(server, Officer());
        if (!WaitUntil([&] { return spy.count() > 0; }))
            return false;
        if (answered)
            *answered = spy.at(0).at(0).toBool();
        return true;
    }

    // A stand-in for the updater that writes its argument into a file.
    QString installUpdater() {
        const QString out = programDir.filePath("updater-argument.txt");
        const QString script = programDir.filePath("UpdateJyx");
        QFile f(script);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
                    .arg(out)
                    .toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return out;
    }

    QTemporaryDir programDir;
    ScriptedPrompt prompt;
    QObject mainWindow;
    int closed = 0;
};

TEST_F(CommandCheckTest, StoresTheBaseAddressAndAsksNothingWithoutAnUpdate) {
    RecordServerOptions o;
    o.uploadBase = "http://10.0.0.9:8001/jyx/";
    LoopbackServer server(o);
    bool answered = false;
    ASSERT_TRUE(run(Loopback(server.port()), &answered));
    EXPECT_TRUE(answered);
    EXPECT_EQ(UploadBaseAddress(), "http://10.0.0.9:8001/jyx/");
    EXPECT_TRUE(ServerAnswered());
    EXPECT_TRUE(prompt.shown().empty());
    EXPECT_EQ(closed, 0);

    const ObservedRequest r = server.lastRequest();
    EXPECT_EQ(r.path, "/jyx_command");
    EXPECT_EQ(r.body.rfind("username=lm&usbsn=0-1A-2B-C-4D-5E\n&usersfz=350100198001010011&", 0),
              0u);
    EXPECT_TRUE(WaitUntil([&] { return server.log().size() == 1; }));
}

TEST_F(CommandCheckTest, UpdateAcceptedStartsTheUpdaterAndClosesTheMainWindow) {
    RecordServerOptions o;
    o.updateUrl = "http://10.0.0.9/download/jyx-2.0.1.zip";
    LoopbackServer server(o);
    const QString argumentFile = installUpdater();
    prompt.queueAnswer(Prompt::Answer::Yes);
    ASSERT_TRUE(run(Loopback(server.port())));

    ASSERT_EQ(prompt.shown().size(), 1u);
    const auto& asked = prompt.shown()[0];
    EXPECT_EQ(asked.text, QString::fromUtf8("检测到新版本，是否升级版本?"));
    EXPECT_EQ(asked.caption, QString::fromUtf8("提示"));
    EXPECT_EQ(asked.buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(asked.icon, Prompt::Icon::Question);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(UploadBaseAddress().empty());

    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(argumentFile); }));
    QFile f(argumentFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), QDir::tempPath() + "/jyx-2.0.1.zip");
}

TEST_F(CommandCheckTest, UpdateDeclinedKeepsTheProgramOpen) {
    RecordServerOptions o;
    o.updateUrl = "http://10.0.0.9/download/jyx-2.0.1.zip";
    LoopbackServer server(o);
    prompt.queueAnswer(Prompt::Answer::No);
    ASSERT_TRUE(run(Loopback(server.port())));
    EXPECT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(closed, 0);
}

TEST_F(CommandCheckTest, MissingUpdaterStillClosesTheMainWindow) {
    RecordServerOptions o;
    o.updateUrl = "http://10.0.0.9/download/jyx-2.0.1.zip";
    LoopbackServer server(o);
    prompt.queueAnswer(Prompt::Answer::Yes);
    ASSERT_TRUE(run(Loopback(server.port())));
    EXPECT_EQ(closed, 1);
}

// A missing, silent or confused server ends the check without a word and
// leaves the base address empty.
TEST_F(CommandCheckTest, FailuresEndQuietlyWithoutAnAddress) {
    {
        LoopbackSocket refused(false);
        bool answered = true;
        ASSERT_TRUE(run(Loopback(refused.port()), &answered));
        EXPECT_FALSE(answered);
        EXPECT_FALSE(ServerAnswered());
    }
    {
        LoopbackSocket silent(true);
        bool answered = true;
        ASSERT_TRUE(run(Loopback(silent.port(), 500ms), &answered));
        EXPECT_FALSE(answered);
    }
    {
        RawCapture confused("<html>not json</html>");
        bool answered = true;
        ASSERT_TRUE(run(Loopback(confused.port()), &answered));
        EXPECT_FALSE(answered);
        // The server did answer, which later features can tell.
        EXPECT_TRUE(ServerAnswered());
    }
    {
        bool answered = true;
        ASSERT_TRUE(run(ServerSettings{}, &answered)); // no server configured
        EXPECT_FALSE(answered);
    }
    EXPECT_EQ(UploadBaseAddress(), "");
    EXPECT_TRUE(prompt.shown().empty());
    EXPECT_EQ(closed, 0);
}

TEST_F(CommandCheckTest, ServerRefusesAWrongToken) {
    LoopbackServer server;
    CHttpClient client;
    SessionValues s = Officer();
    AddIdentificationFields(client, s);
    client.AddParam("token", PlainToken("350100198001010012"));
    client.AddParam("version", kClientVersion);
    const std::string text = client.Post(server.url("/jyx_command"), false);
    EXPECT_NE(text.find("\"token error\""), std::string::npos) << text;
    const auto answer = ParseCommandAnswer(text);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->ip, "");
    EXPECT_EQ(answer->updateUrl, "");
}

TEST(CommandAnswer, ParsesTheFieldsItActsOn) {
    struct Case {
        const char* text;
        bool parses;
        const char* ip;
        const char* update;
    } cases[] = {
        {"{\"ip\":\"http://h:8001/jyx/\",\"updateurl\":\"\",\"msg\":\"ok\",\"modal\":[]}", true,
         "http://h:8001/jyx/", ""},
        {"{\"updateurl\":\"http://h/a/b.zip\"}", true, "", "http://h/a/b.zip"},
        {"{\"ip\":5}", true, "", ""},
        {"", false, "", ""},
        {"not json", false, "", ""},
        {"[1,2]", false, "", ""},
    };
    for (const Case& c : cases) {
        const auto a = ParseCommandAnswer(c.text);
        ASSERT_EQ(a.has_value(), c.parses) << c.text;
        if (a) {
            EXPECT_EQ(a->ip, c.ip);
            EXPECT_EQ(a->updateUrl, c.update);
        }
    }
    EXPECT_EQ(UpdateFileName("http://h/download/jyx-2.0.1.zip"), "jyx-2.0.1.zip");
    EXPECT_EQ(UpdateFileName("jyx.zip"), "jyx.zip");
    EXPECT_EQ(UpdateFileName("http://h/download/"), "");
}
