#include "net/ServerConventions.h"

#include "app/Clock.h"
#include "net/HttpClient.h"
#include "text/TextCodec.h"

#include <charconv>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>

namespace {

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

// The values the command check publishes for the upload and download
// workers, which run on other threads.
struct Published {
    std::mutex mutex;
    std::string baseAddress;
    std::string answer;
};

Published& published() {
    static Published p;
    return p;
}

std::optional<int> WholeNumber(std::string_view value) {
    int n = 0;
    auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (value.empty() || ec != std::errc() || ptr != value.data() + value.size())
        return std::nullopt;
    return n;
}

} // namespace

std::string ServerSettings::url(std::string_view path) const {
    if (!configured())
        return {};
    const bool ipv6 = host.find(':') != std::string::npos && host.front() != '[';
    std::string u = "http://";
    u += ipv6 ? "[" + host + "]" : host;
    u += ":" + std::to_string(port);
    u += path;
    return u;
}

ServerSettings ParseServerSettings(std::string_view text) {
    ServerSettings settings;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        const auto eq = line.find('=');
        if (line.empty() || line.front() == '#' || eq == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, eq));
        const std::string_view value = Trim(line.substr(eq + 1));
        if (key == "host") {
            settings.host = std::string(value);
        } else if (key == "port") {
            if (const auto port = WholeNumber(value); port && *port > 0 && *port < 65536)
                settings.port = *port;
        } else if (key == "connect_timeout" || key == "timeout") {
            const auto seconds = WholeNumber(value);
            if (!seconds || *seconds <= 0 || *seconds > 3600)
                continue;
            auto& target = key == "timeout" ? settings.totalTimeout : settings.connectTimeout;
            target = std::chrono::seconds(*seconds);
        }
    }
    return settings;
}

ServerSettings ReadServerSettings(const std::string& programDir) {
    std::ifstream in(programDir + "/" + kServerSettingsFile, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseServerSettings(text.str());
}

std::string PlainToken(std::string_view accountId) {
    std::string bytes(accountId);
    bytes += kTokenSuffix;
    return Md5Hex(bytes);
}

std::string TimedToken(std::string_view accountId, std::string_view timeText) {
    std::string bytes(accountId);
    bytes += timeText;
    bytes += kTokenSuffix;
    return Md5Hex(bytes);
}

std::string CurrentTimeText() {
    return std::to_string(CurrentClock().now().toSecsSinceEpoch());
}

void AddIdentificationFields(CHttpClient& client, const SessionValues& session) {
    client.AddParam("username", session.loginName);
    client.AddParam("usbsn", session.macText);
    client.AddParam("usersfz", session.accountIdNumber);
    client.AddParam("unitname", session.unitName);
    client.AddParam("userxm", session.officerName);
    client.AddParam("location", "");
}

void AddTokenAndVersion(CHttpClient& client, const SessionValues& session) {
    client.AddParam("token", PlainToken(session.accountIdNumber));
    client.AddParam("version", kClientVersion);
}

std::string PostForm(CHttpClient& client, const ServerSettings& server, std::string_view path) {
    client.SetTimeouts(server.connectTimeout, server.totalTimeout);
    return client.Post(server.url(path), false);
}

std::string UploadBaseAddress() {
    std::lock_guard lock(published().mutex);
    return published().baseAddress;
}

void SetUploadBaseAddress(const std::string& address) {
    std::lock_guard lock(published().mutex);
    published().baseAddress = address;
}

std::string CommandCheckAnswer() {
    std::lock_guard lock(published().mutex);
    return published().answer;
}

void SetCommandCheckAnswer(const std::string& answer) {
    std::lock_guard lock(published().mutex);
    published().answer = answer;
}
