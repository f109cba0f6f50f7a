// The heading-template fetch against the record server on loopback: the
// request it sends, the template it hands to the editor (which stores it in
// jyx_type), the answers it ignores, and an editor closed mid-request.
#include "NetTestSupport.h"

#include "app/Database.h"
#include "net/HeadingTemplateFetch.h"
#include "transcript/TranscriptKinds.h"

#include <chrono>
#include <memory>

using namespace std::chrono_literals;

namespace {

const char* const kTemplate = "询问笔录\n时间：#TIME\n地点：#ADDRESS";

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

RecordServerOptions WithTemplate() {
    RecordServerOptions o;
    o.headingTemplates[{"烟草局笔录", "询问笔录"}] = kTemplate;
    return o;
}

} // namespace

class HeadingFetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(conn.Open((dir.path() + "/SysReg.db").toUtf8().constData()), 0);
        ASSERT_TRUE(db.exec(schema::jyx_type.createSql()));
        SetHeadingTemplate({});
    }
    void TearDown() override {
        SetHeadingTemplate({});
        conn.Close();
    }

    // What the editor does with an "ok" answer.
    void onTemplate(const std::string& text, const QString& type, const QString& kind) {
        if (!text.empty())
            SetHeadingTemplate(QString::fromStdString(text));
        stored = StoreHeadingTemplate(db, type, kind);
        ++delivered;
    }

    std::string storedTemplate(const char* kind) {
        CDBParam p = CDBParam::text(kind);
        CDBRecordSet set =
            conn.ExecuteQuery("select jyxcontent from jyx_type where jyxname=?", &p, 1);
        return set.IsEof() ? "<no row>" : set.GetStringValue(0);
    }

    QTemporaryDir dir;
    CDBConnection conn;
    Database db{conn};
    int delivered = 0;
    bool stored = false;
};

TEST_F(HeadingFetchTest, OkAnswerBecomesTheHeadingTemplateStoredForTheKind) {
    LoopbackServer server(WithTemplate());
    QObject editor;
    FetchHeadingTemplate(
        &editor, Loopback(server.port()), Officer(), "烟草局笔录", "询问笔录",
        [&](const std::string& text) { onTemplate(text, "烟草局笔录", "询问笔录"); });
    ASSERT_TRUE(WaitUntil([&] { return delivered > 0; }));
    EXPECT_TRUE(stored);
    EXPECT_EQ(HeadingTemplate(), QString::fromUtf8(kTemplate));
    EXPECT_EQ(storedTemplate("询问笔录"), kTemplate);

    const ObservedRequest r = server.lastRequest();
    EXPECT_EQ(r.path, "/pcgetjyxtype");
    EXPECT_EQ(r.body, std::string("username=lm&usbsn=0-1A-2B-C-4D-5E\n&usersfz=350100198001010011&"
                                  "unitname=青岚市烟草专卖局&userxm=李明&location=&"
                                  "jyxtype=烟草局笔录&jyxname=询问笔录&"
                                  "token=fcc331b00e05459b7425afe08024a986&version=2.0.0&") +
                          '\0');
}

// Every answer but "msg" "ok" leaves the template as it was, without a word.
TEST_F(HeadingFetchTest, AnythingButOkIsIgnored) {
    {
        LoopbackServer server(WithTemplate());
        EXPECT_EQ(
            RequestHeadingTemplate(Loopback(server.port()), Officer(), "烟草局笔录", "询问笔录"),
            kTemplate);
        // A kind the server has no template for.
        EXPECT_FALSE(
            RequestHeadingTemplate(Loopback(server.port()), Officer(), "行政笔录", "询问笔录"));
        // The server refuses a wrong token.
        SessionValues impostor = Officer();
        CHttpClient client;
        AddIdentificationFields(client, impostor);
        client.AddParam("jyxtype", "烟草局笔录");
        client.AddParam("jyxname", "询问笔录");
        client.AddParam("token", "0123456789abcdef0123456789abcdef");
        client.AddParam("version", kClientVersion);
        EXPECT_FALSE(
            ParseHeadingTemplateAnswer(PostForm(client, Loopback(server.port()), "/pcgetjyxtype")));
    }
    LoopbackSocket refused(false);
    EXPECT_FALSE(
        RequestHeadingTemplate(Loopback(refused.port()), Officer(), "烟草局笔录", "询问笔录"));
    LoopbackSocket silent(true);
    EXPECT_FALSE(RequestHeadingTemplate(Loopback(silent.port(), 500ms), Officer(), "烟草局笔录",
                                        "询问笔录"));
    RawCapture malformed("{\"msg\":\"ok\",\"data\":");
    EXPECT_FALSE(
        RequestHeadingTemplate(Loopback(malformed.port()), Officer(), "烟草局笔录", "询问笔录"));
    EXPECT_FALSE(RequestHeadingTemplate(ServerSettings{}, Officer(), "烟草局笔录", "询问笔录"));
}

TEST(HeadingTemplateAnswer, OnlyOkCarriesATemplate) {
    struct Case {
        const char* answer;
        bool ok;
        const char* data;
    } cases[] = {
        {"{\"msg\":\"ok\",\"data\":\"标题\\n时间\"}\r\n", true, "标题\n时间"},
        {"{\"msg\":\"ok\"}", true, ""},
        {"{\"msg\":\"ok\",\"data\":7}", true, ""},
        {"{\"msg\":\"fail\",\"data\":\"x\"}", false, ""},
        {"{\"code\":\"0\",\"data\":\"x\"}", false, ""},
        {"[\"ok\"]", false, ""},
        {"not json", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        const auto data = ParseHeadingTemplateAnswer(c.answer);
        ASSERT_EQ(data.has_value(), c.ok) << c.answer;
        if (data) {
            EXPECT_EQ(*data, c.data);
        }
    }
}

TEST_F(HeadingFetchTest, EmptyTemplateOfAnOkAnswerStoresNothing) {
    RecordServerOptions o;
    o.headingTemplates[{"烟草局笔录", "*"}] = "";
    LoopbackServer server(o);
    QObject editor;
    FetchHeadingTemplate(
        &editor, Loopback(server.port()), Officer(), "烟草局笔录", "调查笔录",
        [&](const std::string& text) { onTemplate(text, "烟草局笔录", "调查笔录"); });
    ASSERT_TRUE(WaitUntil([&] { return delivered > 0; }));
    EXPECT_FALSE(stored);
    EXPECT_EQ(storedTemplate("调查笔录"), "<no row>");
}

// The answer for an editor closed during the request is dropped, not
// delivered to freed memory.
TEST_F(HeadingFetchTest, EditorClosedDuringTheRequestIsNotCalledBack) {
    RawCapture gate(std::string("{\"msg\":\"ok\",\"data\":\"") + "迟到的模板" + "\"}", true);
    auto editor = std::make_unique<QObject>();
    bool called = false;
    FetchHeadingTemplate(editor.get(), Loopback(gate.port()), Officer(), "烟草局笔录", "询问笔录",
                         [&](const std::string&) { called = true; });
    gate.request(); // the request is on its way
    editor.reset();
    gate.release();
    ASSERT_TRUE(WaitUntil([&] { return gate.finished(); }));

    // A later fetch for a live editor arrives; the dropped one never does.
    LoopbackServer server(WithTemplate());
    QObject live;
    FetchHeadingTemplate(
        &live, Loopback(server.port()), Officer(), "烟草局笔录", "询问笔录",
        [&](const std::string& text) { onTemplate(text, "烟草局笔录", "询问笔录"); });
    ASSERT_TRUE(WaitUntil([&] { return delivered > 0; }));
    EXPECT_FALSE(called);
    EXPECT_EQ(HeadingTemplate(), QString::fromUtf8(kTemplate));
}
