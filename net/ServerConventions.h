// What every request to the record server shares: where the server is, the
// identification fields, the request token, and the two values the command
// check publishes for later requests (the upload base address and its answer).
#pragma once

#include "app/AppContext.h"
#include "net/HttpClient.h"

#include <chrono>
#include <string>
#include <string_view>

inline constexpr const char* kTokenSuffix = "=qv&kt";
inline constexpr const char* kClientVersion = "2.0.0";
inline constexpr int kDefaultServerPort = 8001;
inline constexpr int kFilePort = 8003;
// The installation setting in the program directory: lines "host=...",
// "port=...", and optionally "connect_timeout=..." and "timeout=..." in
// seconds; "#" starts a comment. Without it no server is configured.
inline constexpr const char* kServerSettingsFile = "server.conf";

struct ServerSettings {
    std::string host;
    int port = kDefaultServerPort;
    // Bounds of one form request: a dead server must not hold a worker.
    std::chrono::milliseconds connectTimeout = CHttpClient::kFormConnectTimeout;
    std::chrono::milliseconds totalTimeout = CHttpClient::kFormTotalTimeout;

    bool configured() const { return !host.empty(); }
    // "http://host:port" + path; empty when no server is configured.
    std::string url(std::string_view path) const;
};

// Unknown keys and malformed lines are ignored; a port outside 1..65535 or a
// time-out that is not a positive number of seconds keeps the default.
ServerSettings ParseServerSettings(std::string_view text);
// Reads programDir + "/server.conf"; a missing file gives no server.
ServerSettings ReadServerSettings(const std::string& programDir);

// MD5 of the account ID number and the fixed suffix, 32 lower-case hex digits.
std::string PlainToken(std::string_view accountId);
// MD5 of the account ID number, the time text and the fixed suffix.
std::string TimedToken(std::string_view accountId, std::string_view timeText);
// The current time (CurrentClock()) as whole seconds since 1970, "%d".
std::string CurrentTimeText();

// "username", "usbsn", "usersfz", "unitname", "userxm", "location" (empty), in
// this order. Values are UTF-8 already.
void AddIdentificationFields(CHttpClient& client, const SessionValues& session);
// "token" (plain) and "version", which close every identified request.
void AddTokenAndVersion(CHttpClient& client, const SessionValues& session);
// Posts the client's form body to `path` of the server within the server's
// time-outs; empty when no server is configured or the request failed.
std::string PostForm(CHttpClient& client, const ServerSettings& server, std::string_view path);

// The upload/download base address received by the command check; empty
// until it arrives. Safe to read and write from any thread.
std::string UploadBaseAddress();
void SetUploadBaseAddress(const std::string& address);
// The command check's answer text as received; empty while the server has
// not answered (upload and download treat that as no connection).
std::string CommandCheckAnswer();
void SetCommandCheckAnswer(const std::string& answer);
inline bool ServerAnswered() {
    return !CommandCheckAnswer().empty();
}
