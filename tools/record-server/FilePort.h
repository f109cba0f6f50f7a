// The record server's raw TCP file port: whole files uploaded and downloaded
// under a storage folder, one connection per transfer.
//
// Every line below ends in "\r\n". The client sends the header line
// "account_timestamp_digest" (digest = MD5 of account, timestamp and the fixed
// suffix), a kind line, the name's length and the name. An upload (kind 1 or 0)
// goes on with the size line, one zero byte and the content, and the server
// answers "ok". A download (kind 10 or 11) gets the size line, the content
// and a final text. A client that sends kind 0 and then waits is served as a
// download.
#pragma once

#include <atomic>
#include <cstddef>
#include <ctime>
#include <filesystem>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>

struct FilePortOptions {
    std::string bindHost = "0.0.0.0";
    int port = 8003; // 0: any free port
    std::filesystem::path root;
    int tokenWindowSeconds = 300;
    std::size_t maxFileBytes = 256u * 1024 * 1024;
    int ioTimeoutSeconds = 30;
    std::function<std::time_t()> now;
    std::function<void(const std::string&)> log;
};

// The path a remote name stands for inside `root`: leading "/" are dropped
// and "\" counts as "/"; names that would lead out of the folder (".."
// components, symbolic links pointing elsewhere) or name no file give nullopt.
std::optional<std::filesystem::path> ResolveStoragePath(const std::filesystem::path& root,
                                                        std::string_view name);

class FilePortServer {
public:
    explicit FilePortServer(FilePortOptions options);
    ~FilePortServer();
    FilePortServer(const FilePortServer&) = delete;
    FilePortServer& operator=(const FilePortServer&) = delete;

    bool start(std::string* error);
    void stop();
    int port() const { return m_port; }

private:
    struct Worker {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void acceptLoop();
    void serve(int fd, const std::string& peer);
    void reapWorkers(bool all);

    FilePortOptions m_options;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptThread;
    std::mutex m_mutex;
    std::set<int> m_active;
    std::list<Worker> m_workers;
};
