// The record server the program talks to: the HTTP endpoints of the record
// server ("/jyx_command", "/pcgetjyxtype", "/gaobook1", "/getgaobook",
// "/jyx_template", and "uploadJyx"/"downloadJyx" below the upload base
// address) and the raw TCP file port. Usable as a library so tests run it
// in-process on loopback; tools/record-server/main.cpp runs it as a program.
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

struct RecordServerOptions {
    std::string listenHost = "0.0.0.0";
    int port = 8001;     // 0: any free port
    int filePort = 8003; // 0: any free port, -1: no file port
    std::string dataDir = "record-data";
    // Host named in the addresses the server hands out; empty: the listen
    // host, or the first non-loopback IPv4 address when listening on all.
    std::string publicHost;
    // The "ip" the command check hands out; empty: "http://<public>:<port>/".
    std::string uploadBase;
    // Offered as "updateurl" by the command check; empty: no update.
    std::string updateUrl;
    // Heading templates by (type, kind); a kind "*" serves every kind of its type.
    std::map<std::pair<std::string, std::string>, std::string> headingTemplates;
    int tokenWindowSeconds = 300;
    std::size_t maxFileBytes = 256u * 1024 * 1024;
    std::size_t maxRequestBytes = 16u * 1024 * 1024;
    std::function<std::time_t()> now; // default: the system clock
    // One line per request; default: standard error.
    std::function<void(const std::string&)> log;
};

// A request as the server received it, for tests.
struct ObservedRequest {
    std::string method;
    std::string path;
    std::multimap<std::string, std::string> headers;
    std::string body;
};

class RecordServer {
public:
    explicit RecordServer(RecordServerOptions options);
    ~RecordServer();
    RecordServer(const RecordServer&) = delete;
    RecordServer& operator=(const RecordServer&) = delete;

    // Opens the store, binds both ports and serves on background threads.
    bool start(std::string* error);
    void stop();

    int port() const;
    int filePort() const;
    std::string uploadBase() const;
    // Called after every HTTP request has been answered.
    void setObserver(std::function<void(const ObservedRequest&)> observer);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A form body as the program sends it: "name=value&" pairs, values not
// escaped, a trailing zero byte. The first "=" of a pair splits it.
std::map<std::string, std::string> ParseFormBody(std::string body);
