// CHttpClient on the wire: the bytes and headers it sends in both modes, the
// answer lines it returns, and how it ends when the server is gone, silent
// or too talkative.
#include "NetTestSupport.h"

#include "app/Prompt.h"
#include "net/HeadingTemplateFetch.h"
#include "net/HttpClient.h"
#include "net/ServerCommandCheck.h"
#include "net/ServerConventions.h"

#include <QDir>

#include <chrono>

using namespace std::chrono_literals;

namespace {

std::string BodyOf(const std::string& request) {
    const auto end = request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : request.substr(end + 4);
}

bool HasHeader(const std::string& request, const std::string& line) {
    return request.find("\r\n" + line + "\r\n") != std::string::npos;
}

} // namespace

TEST(HttpClientWire, FormBodyTravelsWithItsTerminatingZeroAndTheFormHeaders) {
    RawCapture capture;
    CHttpClient client;
    client.AddParam("a", "1");
    client.AddParam("b", "2");
    EXPECT_EQ(client.Body(), "a=1&b=2&");
    EXPECT_EQ(client.Post(capture.url("/jyx_command"), false), "{}\r\n");

    const std::string request = capture.request();
    EXPECT_EQ(request.rfind("POST /jyx_command HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_EQ(BodyOf(request), std::string("a=1&b=2&\0", 9));
    EXPECT_TRUE(HasHeader(request, "Content-Length: 9")) << request;
    EXPECT_TRUE(HasHeader(request, "Content-Type: application/x-www-form-urlencoded; ")) << request;
    EXPECT_TRUE(HasHeader(request, "Accept: */*")) << request;
    EXPECT_EQ(request.find("Expect:"), std::string::npos) << request;
}

TEST(HttpClientWire, JsonBodyTravelsAsBase64OfItsUtf8Bytes) {
    struct Case {
        const char* json;
        const char* wire;
    } cases[] = {
        {"{}", "e30="},
        // Longer than 57 bytes: the Base64 text keeps its line break.
        {"{\"name\":\"张三\",\"note\":\"一段比较长的说明文字，足以让编码后的文本换行\"}",
         "eyJuYW1lIjoi5byg5LiJIiwibm90ZSI6IuS4gOauteavlOi+g+mVv+eahOivtOaYjuaWh+Wtl++8\r\n"
         "jOi2s+S7peiuqee8lueggeWQjueahOaWh+acrOaNouihjCJ9"},
    };
    for (const Case& c : cases) {
        RawCapture capture;
        CHttpClient client;
        client.SetBody(c.json);
        EXPECT_EQ(client.Post(capture.url("/sign"), true), "{}\r\n");
        const std::string request = capture.request();
        EXPECT_EQ(BodyOf(request), c.wire) << c.json;
        EXPECT_TRUE(HasHeader(request, "Content-Type: application/json")) << request;
        EXPECT_TRUE(HasHeader(request, "Connection: Keep-Alive")) << request;
        EXPECT_TRUE(HasHeader(request, "Accept: */*")) << request;
    }
}

TEST(HttpClientWire, ValuesTravelUnescapedSoAnAmpersandSplitsTheField) {
    LoopbackServer server;
    CHttpClient client;
    client.AddParam("usersfz", "1");
    client.AddParam("unitname", "甲&乙=丙");
    client.Post(server.url("/jyx_command"), false);

    const ObservedRequest r = server.lastRequest();
    EXPECT_EQ(r.body,
              std::string("usersfz=1&unitname=甲&乙=丙&\0", sizeof "usersfz=1&unitname=甲&乙=丙&"));
    const auto fields = ParseFormBody(r.body);
    EXPECT_EQ(fields.at("unitname"), "甲");
    EXPECT_EQ(fields.at("乙"), "丙");
}

TEST(HttpClientWire, EveryAnswerLineComesBackFollowedByCrLf) {
    struct Case {
        const char* answer;
        const char* returned;
    } cases[] = {
        {"{\"a\":1,\n\"b\":\"二\",\n\"c\":3}", "{\"a\":1,\r\n\"b\":\"二\",\r\n\"c\":3}\r\n"},
        {"one\r\ntwo\r\n", "one\r\ntwo\r\n"},
        {"one\n\nthree\n", "one\r\n\r\nthree\r\n"},
        {"", ""},
    };
    for (const Case& c : cases) {
        RawCapture capture(c.answer);
        CHttpClient client;
        client.AddParam("a", "1");
        EXPECT_EQ(client.Post(capture.url("/x"), false), c.returned) << c.answer;
        EXPECT_EQ(client.LastFailure(), CHttpClient::Failure::None);
    }
}

// Each failure ends the request with an empty answer and says which it was.
TEST(HttpClientFailures, RefusedSilentAndOversizedServersEndWithAnEmptyAnswer) {
    {
        LoopbackSocket closed(false);
        CHttpClient client;
        client.AddParam("a", "1");
        EXPECT_EQ(client.Post(closed.url("/jyx_command"), false), "");
        EXPECT_EQ(client.LastFailure(), CHttpClient::Failure::Connect);
    }
    {
        LoopbackSocket silent(true); // accepts, never answers
        CHttpClient client;
        client.SetTimeouts(500ms, 800ms);
        client.AddParam("a", "1");
        EXPECT_EQ(client.Post(silent.url("/jyx_command"), false), "");
        EXPECT_EQ(client.LastFailure(), CHttpClient::Failure::Timeout);
    }
    {
        RawCapture talkative(std::string(4096, 'x'));
        CHttpClient client;
        client.SetMaxAnswerBytes(1000);
        EXPECT_EQ(client.Post(talkative.url("/x"), false), "");
        EXPECT_EQ(client.LastFailure(), CHttpClient::Failure::TooLarge);
    }
    {
        CHttpClient client; // no server configured
        EXPECT_EQ(client.Post(ServerSettings{}.url("/jyx_command"), false), "");
        EXPECT_EQ(client.LastFailure(), CHttpClient::Failure::BadUrl);
    }
}

TEST(HttpClientFailures, SignatureServiceDownAsksWhetherToOpenItsFolder) {
    ScriptedPrompt prompt;
    InstallPrompt(&prompt);
    prompt.queueAnswer(Prompt::Answer::No);
    LoopbackSocket closed(false);
    CHttpClient client;
    client.SetSignatureService(1);
    client.SetBody("{}");
    EXPECT_EQ(client.Post(closed.url("/sign"), true), "");
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.lastText(),
              QString::fromUtf8("检测到手写板服务没有启动！是否打开手写板服务目录进行启动？"));
    EXPECT_EQ(prompt.shown()[0].buttons, Prompt::Buttons::YesNo);

    // The record server's requests never ask.
    prompt.clear();
    CHttpClient plain;
    plain.Post(closed.url("/jyx_command"), false);
    EXPECT_TRUE(prompt.shown().empty());
    InstallPrompt(nullptr);
}

TEST(HttpClientFailures, SignatureServiceFolderIsTheFirstThatExists) {
    QTemporaryDir dir;
    const std::string a = dir.filePath("a").toStdString();
    const std::string b = dir.filePath("b").toStdString();
    const std::string c = dir.filePath("c").toStdString();
    QDir().mkpath(QString::fromStdString(b));
    QDir().mkpath(QString::fromStdString(c));
    EXPECT_EQ(FindSignatureServiceFolder({a, b, c}), b);
    EXPECT_EQ(FindSignatureServiceFolder({a}), "");
    EXPECT_EQ(SignatureServiceFolders().size(), 4u);
}

TEST(ServerConventions, SettingsFileGivesHostPortAndTimeouts) {
    struct Case {
        const char* text;
        const char* url;
        std::chrono::milliseconds connect;
        std::chrono::milliseconds total;
    } cases[] = {
        {"host=10.1.2.3\n", "http://10.1.2.3:8001/jyx_command", 5s, 60s},
        {"# record server\r\n host = srv.local \r\nport=9001\r\n",
         "http://srv.local:9001/jyx_command", 5s, 60s},
        {"host=10.1.2.3\nport=70000\nport=abc\ntimeout=0\nconnect_timeout=x\n",
         "http://10.1.2.3:8001/jyx_command", 5s, 60s},
        {"host=10.1.2.3\nconnect_timeout=2\ntimeout=15\n", "http://10.1.2.3:8001/jyx_command", 2s,
         15s},
        {"host=::1\nport=8002", "http://[::1]:8002/jyx_command", 5s, 60s},
        {"port=8001\n", "", 5s, 60s},
        {"", "", 5s, 60s},
    };
    for (const Case& c : cases) {
        const ServerSettings s = ParseServerSettings(c.text);
        EXPECT_EQ(s.url("/jyx_command"), c.url) << c.text;
        EXPECT_EQ(s.connectTimeout, c.connect) << c.text;
        EXPECT_EQ(s.totalTimeout, c.total) << c.text;
    }
    QTemporaryDir dir;
    EXPECT_FALSE(ReadServerSettings(dir.path().toStdString()).configured());
}

TEST(ServerConventions, TokensAreTheDigestOfAccountTimeAndSuffix) {
    // Digests computed outside the program (md5sum).
    EXPECT_EQ(PlainToken("350100198001010011"), "fcc331b00e05459b7425afe08024a986");
    EXPECT_EQ(TimedToken("350100198001010011", "1765432100"), "d849f39aa27ad591e31af970c2271809");
    EXPECT_NE(TimedToken("350100198001010011", "1765432101"),
              TimedToken("350100198001010011", "1765432100"));
}

TEST(ServerConventions, RequestsCarryTheirFieldsInOrder) {
    SessionValues s;
    s.loginName = "lm";
    s.macText = "0-1A-2B-C-4D-5E\n";
    s.accountIdNumber = "350100198001010011";
    s.unitName = "青岚市烟草专卖局";
    s.officerName = "李明";

    CHttpClient command;
    AddCommandCheckFields(command, s);
    EXPECT_EQ(command.Body(), "username=lm&usbsn=0-1A-2B-C-4D-5E\n&usersfz=350100198001010011&"
                              "unitname=青岚市烟草专卖局&userxm=李明&location=&"
                              "token=fcc331b00e05459b7425afe08024a986&version=2.0.0&");

    CHttpClient heading;
    AddHeadingTemplateFields(heading, s, "烟草局笔录", "询问笔录");
    const std::vector<std::string> names{"username", "usbsn",   "usersfz", "unitname", "userxm",
                                         "location", "jyxtype", "jyxname", "token",    "version"};
    EXPECT_EQ(heading.ParamNames(), names);
    EXPECT_EQ(heading.ParamValues()[6], "烟草局笔录");
    EXPECT_EQ(heading.ParamValues()[7], "询问笔录");
}

TEST(ServerConventions, PublishedValuesCrossThreads) {
    SetUploadBaseAddress("");
    std::thread([] {
        SetUploadBaseAddress("http://10.0.0.9:8001/jyx/");
        SetCommandCheckAnswer("{}\r\n");
    }).join();
    EXPECT_EQ(UploadBaseAddress(), "http://10.0.0.9:8001/jyx/");
    EXPECT_TRUE(ServerAnswered());
    SetUploadBaseAddress("");
    SetCommandCheckAnswer("");
}
