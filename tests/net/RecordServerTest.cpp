// The record server on its own: form parsing, token checks and their expiry,
// the transcript store behind "uploadJyx"/"downloadJyx", and the raw file
// port with names confined to its storage folder.
#include "NetTestSupport.h"

#include "FilePort.h"
#include "ServerTokens.h"
#include "net/HttpClient.h"
#include "net/ServerConventions.h"

#include <json/json.h>

#include <arpa/inet.h>
#include <sys/time.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr std::time_t kNow = 1765432100;
const std::string kAccount = "350100198001010011";

RecordServerOptions FixedTime() {
    RecordServerOptions o;
    o.now = [] { return kNow; };
    return o;
}

std::string Header(const std::string& account, std::time_t when) {
    const std::string t = std::to_string(when);
    return account + "_" + t + "_" + TimedToken(account, t) + "\r\n";
}

std::string NameLines(const std::string& kind, const std::string& name) {
    return kind + "\r\n" + std::to_string(name.size()) + "\r\n" + name;
}

std::string Upload(const std::string& header, const std::string& name, const std::string& content) {
    return header + NameLines("1", name) + std::to_string(content.size()) + "\r\n" +
           std::string(1, '\0') + content;
}

// Sends `bytes` to the file port and returns everything the server says
// until it closes the connection.
std::string Exchange(int port, const std::string& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval tv{30, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size())) {
        char buf[8192];
        for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;)
            answer.append(buf, std::size_t(n));
    }
    ::close(fd);
    return answer;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Json::Value ParseAnswer(const std::string& text) {
    Json::Value v;
    std::istringstream in(text);
    std::string errors;
    Json::CharReaderBuilder b;
    Json::parseFromStream(b, in, &v, &errors);
    return v;
}

} // namespace

TEST(RecordServerForm, BodiesSplitAtAmpersandAndFirstEquals) {
    using Fields = std::map<std::string, std::string>;
    struct Case {
        std::string body;
        Fields fields;
    } cases[] = {
        {std::string("a=1&b=2&\0", 9), {{"a", "1"}, {"b", "2"}}},
        {"a=1&b=2", {{"a", "1"}, {"b", "2"}}},
        {"location=&token=x=y&", {{"location", ""}, {"token", "x=y"}}},
        {"flag&&", {{"flag", ""}}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseFormBody(c.body), c.fields) << c.body;
}

TEST(RecordServerTokens, TimedTokensExpireOutsideTheWindow) {
    struct Case {
        std::time_t issued;
        const char* digestOf; // time text the digest was made with; null: same as issued
        bool valid;
    } cases[] = {
        {kNow, nullptr, true},        {kNow - 300, nullptr, true},
        {kNow - 301, nullptr, false}, {kNow + 300, nullptr, true},
        {kNow + 301, nullptr, false}, {kNow, "1765432099", false}, // digest of another second
    };
    for (const Case& c : cases) {
        const std::string t = std::to_string(c.issued);
        const std::string digest = TimedToken(kAccount, c.digestOf ? c.digestOf : t);
        EXPECT_EQ(TimedTokenValid(kAccount, digest, t, kNow, 300), c.valid) << c.issued;
        EXPECT_EQ(TimedTokenValidAnyTime(kAccount, digest, kNow, 300),
                  c.valid || c.digestOf != nullptr)
            << c.issued;
    }
    EXPECT_FALSE(TimedTokenValid(kAccount, TimedToken(kAccount, "12x"), "12x", kNow, 300));
    EXPECT_TRUE(PlainTokenValid(kAccount, PlainToken(kAccount)));
    EXPECT_FALSE(PlainTokenValid(kAccount, PlainToken("350100198001010012")));
    EXPECT_FALSE(PlainTokenValid(kAccount, ""));
}

TEST(RecordServerTokens, FileHeaderNamesItsAccount) {
    auto line = [](const std::string& account, std::time_t t) {
        std::string h = Header(account, t);
        return h.substr(0, h.size() - 2);
    };
    EXPECT_EQ(CheckFileHeader(line(kAccount, kNow), kNow, 300), kAccount);
    EXPECT_EQ(CheckFileHeader(line("a_b", kNow), kNow, 300), "a_b");
    EXPECT_FALSE(CheckFileHeader(line(kAccount, kNow - 301), kNow, 300));
    EXPECT_FALSE(CheckFileHeader(kAccount + "_" + std::to_string(kNow) + "_" + PlainToken(kAccount),
                                 kNow, 300));
    for (const char* bad : {"", "_", "__", "abc", "a_b", "_1765432100_"})
        EXPECT_FALSE(CheckFileHeader(bad, kNow, 300)) << bad;
}

TEST(RecordServerFiles, NamesStayInsideTheStorageFolder) {
    QTemporaryDir dir;
    const fs::path root = fs::path(dir.path().toStdString()) / "files";
    fs::create_directories(root / "sub");
    fs::create_directories(fs::path(dir.path().toStdString()) / "outside");
    fs::create_directory_symlink(fs::path(dir.path().toStdString()) / "outside", root / "link");
    const fs::path base = fs::weakly_canonical(root);

    struct Case {
        std::string name;
        const char* resolved; // relative to root; null: refused
    } cases[] = {
        {"a_sig.png", "a_sig.png"},
        {"/a_sig.png", "a_sig.png"},
        {"sub/a.pdf", "sub/a.pdf"},
        {"sub\\a.pdf", "sub/a.pdf"},
        {"sub/./a.pdf", "sub/a.pdf"},
        {"../records.db", nullptr},
        {"..\\records.db", nullptr},
        {"sub/../../records.db", nullptr},
        {"/../records.db", nullptr},
        {"link/x.png", nullptr},
        {"", nullptr},
        {"/", nullptr},
        {".", nullptr},
        {"sub/", nullptr},
        {std::string("a\0b", 3), nullptr},
    };
    for (const Case& c : cases) {
        const auto p = ResolveStoragePath(root, c.name);
        if (c.resolved) {
            ASSERT_TRUE(p) << c.name;
            EXPECT_EQ(*p, base / c.resolved) << c.name;
        } else {
            EXPECT_FALSE(p) << c.name << " -> " << (p ? p->string() : "");
        }
    }
}

TEST(RecordServerFiles, UploadedFileComesBackOnDownload) {
    LoopbackServer server(FixedTime());
    std::string content(20000, 'x');
    content[0] = '\0';
    content[10240] = '\0';
    const std::string name = "sig/350100198001010011_sig.png";
    EXPECT_EQ(Exchange(server.filePort(), Upload(Header(kAccount, kNow), name, content)), "ok");
    EXPECT_EQ(ReadAll(fs::path(server.dataDir()) / "files" / name), content);

    EXPECT_EQ(Exchange(server.filePort(), Header(kAccount, kNow) + NameLines("11", name)),
              "20000\r\n" + content + "ok");
    // A file the server does not have: size 0.
    EXPECT_EQ(Exchange(server.filePort(), Header(kAccount, kNow) + NameLines("10", "none.pdf"))
                  .rfind("0\r\n", 0),
              0u);
}

TEST(RecordServerFiles, FilePortRefusesEscapesAndStaleTokens) {
    LoopbackServer server(FixedTime());
    const fs::path data(server.dataDir());
    for (const char* name : {"../escape.png", "..\\escape.png", "sub/../../escape.png"}) {
        EXPECT_EQ(Exchange(server.filePort(), Upload(Header(kAccount, kNow), name, "evil")),
                  "bad name")
            << name;
    }
    EXPECT_FALSE(fs::exists(data / "escape.png"));
    EXPECT_FALSE(fs::exists(data.parent_path() / "escape.png"));
    // The store next to the storage folder is not served.
    EXPECT_EQ(Exchange(server.filePort(), Header(kAccount, kNow) + NameLines("0", "../records.db")),
              "0\r\n");

    for (std::time_t issued : {kNow - 301, kNow + 301}) {
        EXPECT_EQ(Exchange(server.filePort(), Upload(Header(kAccount, issued), "a.png", "png")),
                  "token error");
    }
    EXPECT_FALSE(fs::exists(data / "files" / "a.png"));
    EXPECT_EQ(Exchange(server.filePort(), Upload(Header(kAccount, kNow - 299), "a.png", "png")),
              "ok");
}

class RecordServerHttp : public ::testing::Test {
protected:
    // Posts a record-server request with the timed token of `issued`.
    Json::Value post(const std::string& request, const std::string& account, std::time_t issued,
                     std::vector<std::pair<std::string, std::string>> fields, bool timeid) {
        CHttpClient client;
        client.AddParam("usersfz", account);
        for (const auto& [name, value] : fields)
            client.AddParam(name, value);
        const std::string t = std::to_string(issued);
        client.AddParam("token", TimedToken(account, t));
        if (timeid)
            client.AddParam("timeid", t);
        return ParseAnswer(client.Post(server.server().uploadBase() + request, false));
    }
    Json::Value upload(const std::string& account, const std::string& id, std::time_t issued) {
        return post("uploadJyx", account, issued, {{"jyx_id", id}, {"answername", "张三"}}, false);
    }
    Json::Value download(const std::string& account, const std::string& known, std::time_t issued) {
        return post("downloadJyx", account, issued, {{"jyxidlist", known}}, true);
    }

    LoopbackServer server{FixedTime()};
};

TEST_F(RecordServerHttp, StoresUploadsPerAccountAndServesWhatTheClientLacks) {
    EXPECT_EQ(upload(kAccount, "20260314092653", kNow - 5)["code"], "0");
    EXPECT_EQ(upload(kAccount, "20260314100000", kNow)["code"], "0");
    EXPECT_EQ(upload("other", "20260314110000", kNow)["code"], "0");

    const Json::Value all = download(kAccount, "", kNow);
    EXPECT_EQ(all["code"], "0");
    ASSERT_EQ(all["data"].size(), 2u);
    EXPECT_EQ(all["data"][0]["jyxid"], "20260314092653");
    EXPECT_EQ(all["data"][0]["answername"], "张三");
    EXPECT_EQ(all["data"][0]["sedate"], ""); // every member present as text

    const Json::Value missing = download(kAccount, "20260314092653,", kNow);
    ASSERT_EQ(missing["data"].size(), 1u);
    EXPECT_EQ(missing["data"][0]["jyxid"], "20260314100000");
    EXPECT_EQ(download(kAccount, "20260314092653,20260314100000,", kNow)["data"].size(), 0u);
}

TEST_F(RecordServerHttp, RefusesStaleAndForeignTokens) {
    EXPECT_EQ(upload(kAccount, "1", kNow - 301)["msg"], "token error");
    EXPECT_EQ(download(kAccount, "", kNow - 301)["msg"], "token error");
    EXPECT_EQ(download(kAccount, "", kNow - 200)["code"], "0");

    CHttpClient foreign; // the plain token of another account
    foreign.AddParam("usersfz", kAccount);
    foreign.AddParam("token", PlainToken("350100198001010012"));
    for (const char* path : {"/jyx_command", "/pcgetjyxtype", "/getgaobook"}) {
        EXPECT_EQ(ParseAnswer(foreign.Post(server.url(path), false))["code"], "1") << path;
    }
    EXPECT_EQ(download(kAccount, "", kNow)["data"].size(), 0u); // nothing was stored
}

TEST_F(RecordServerHttp, LogsOneLinePerRequest) {
    upload(kAccount, "1", kNow);
    CHttpClient client;
    client.Post(server.url("/no-such-endpoint"), false);
    // The server logs after its answer is out.
    ASSERT_TRUE(WaitUntil([&] { return server.log().size() >= 2; }));
    std::string log;
    for (const auto& line : server.log()) {
        EXPECT_EQ(line.find('\n'), std::string::npos);
        log += line + "\n";
    }
    EXPECT_EQ(server.log().size(), 2u) << log;
    // Each request's thread logs on its own, so the order is not fixed.
    EXPECT_NE(log.find("POST /uploadJyx 200"), std::string::npos) << log;
    EXPECT_NE(log.find("POST /no-such-endpoint 404"), std::string::npos) << log;
}
