#include "net/HttpClient.h"

#include "app/Prompt.h"
#include "net/Worker.h"
#include "text/TextCodec.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include <curl/curl.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Sink {
    std::string data;
    std::size_t limit = 0;
    bool tooLarge = false;
};

std::size_t WriteAnswer(char* bytes, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t n = size * count;
    if (sink->data.size() + n > sink->limit) {
        sink->tooLarge = true;
        return 0; // makes curl stop with a write error
    }
    sink->data.append(bytes, n);
    return n;
}

// Loopback addresses never go through a proxy, whatever the environment says;
// the rest follows the usual proxy variables.
std::string NoProxyList() {
    std::string list = "localhost,127.0.0.1,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            list += ",";
            list += value;
            break;
        }
    }
    return list;
}

CHttpClient::Failure FailureOf(CURLcode code, bool tooLarge) {
    if (tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        return CHttpClient::Failure::TooLarge;
    switch (code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return CHttpClient::Failure::Connect;
    case CURLE_OPERATION_TIMEDOUT:
        return CHttpClient::Failure::Timeout;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return CHttpClient::Failure::BadUrl;
    default:
        return CHttpClient::Failure::Other;
    }
}

} // namespace

CHttpClient::CHttpClient() {
    m_body.reserve(1000);
    m_names.reserve(10);
    m_values.reserve(10);
}

CHttpClient::~CHttpClient() = default;

void CHttpClient::AddParam(const std::string& name, const std::string& value) {
    m_names.push_back(name);
    m_values.push_back(value);
    m_body += name;
    m_body += '=';
    m_body += value;
    m_body += '&';
}

void CHttpClient::SetBody(const std::string& body) {
    m_body = body;
}

void CHttpClient::SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    m_connectTimeout = connect;
    m_totalTimeout = total;
}

std::string CHttpClient::Post(const std::string& url, bool json) {
    m_failure = Failure::None;
    m_error.clear();
    std::string answer = Transfer(url, json);
    if (m_failure != Failure::None) {
        if (m_signatureService == 1)
            OfferSignatureServiceFolder();
        return {};
    }
    return JoinAnswerLines(answer);
}

std::string CHttpClient::Transfer(const std::string& url, bool json) {
    if (url.empty()) {
        m_failure = Failure::BadUrl;
        m_error = "no server address";
        return {};
    }
    GlobalInit();
    CURL* curl = curl_easy_init();
    if (!curl) {
        m_failure = Failure::Other;
        m_error = "curl_easy_init failed";
        return {};
    }

    // JSON mode carries the UTF-8 bytes Base64-encoded; form mode sends the
    // body with its terminating zero byte.
    const std::string payload = json ? Base64Encode(m_body) : FormWireBody();
    const auto connectTimeout = json ? kJsonTimeout : m_connectTimeout;
    const auto totalTimeout = json ? kJsonTimeout : m_totalTimeout;

    curl_slist* headers = nullptr;
    if (json) {
        headers = curl_slist_append(headers, "Content-Type: application/json");
        headers = curl_slist_append(headers, "Connection: Keep-Alive");
    } else {
        headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded; ");
    }
    headers = curl_slist_append(headers, "Accept: */*");
    headers = curl_slist_append(headers, "Expect:"); // no 100-continue round trip

    Sink sink;
    sink.limit = m_maxAnswer;
    const std::string noProxy = NoProxyList();
    char errorText[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOPROXY, noProxy.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, payload.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(payload.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(totalTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_maxAnswer));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteAnswer);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);

    // The status code is not examined: an error page is an answer like any other.
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        m_failure = FailureOf(code, sink.tooLarge);
        m_error = sink.tooLarge ? "answer larger than the limit"
                                : (errorText[0] ? errorText : curl_easy_strerror(code));
        sink.data.clear();
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return sink.data;
}

void CHttpClient::OfferSignatureServiceFolder() {
    // The question belongs on the GUI thread; the request may run on a worker.
    RunOnGuiThread([] {
        const QString question =
            QString::fromUtf8("检测到手写板服务没有启动！是否打开手写板服务目录进行启动？");
        if (!Messages().yesNo(nullptr, question))
            return;
        const std::string folder = FindSignatureServiceFolder(SignatureServiceFolders());
        if (!folder.empty())
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
    });
}

std::string JoinAnswerLines(std::string_view raw) {
    std::string out;
    out.reserve(raw.size() + raw.size() / 32 + 2);
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const std::size_t newline = raw.find('\n', pos);
        const std::size_t next = newline == std::string_view::npos ? raw.size() : newline;
        std::size_t end = next;
        if (end > pos && raw[end - 1] == '\r')
            --end;
        out.append(raw.substr(pos, end - pos));
        out += "\r\n";
        pos = next == raw.size() ? next : next + 1;
    }
    return out;
}

std::vector<std::string> SignatureServiceFolders() {
    return {"/opt/Quorra", "/usr/local/Quorra", "/usr/lib/Quorra",
            (QDir::homePath() + "/.local/share/Quorra").toStdString()};
}

std::string FindSignatureServiceFolder(const std::vector<std::string>& folders) {
    std::error_code ec;
    for (const std::string& folder : folders) {
        if (std::filesystem::is_directory(folder, ec))
            return folder;
    }
    return {};
}
