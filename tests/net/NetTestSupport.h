// Servers for the network tests: the record server on a free loopback port,
// and sockets that refuse, never answer, or capture the raw request.
#pragma once

#include "RecordServer.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The record server on 127.0.0.1 with its own data folder; every request it
// answers is kept for inspection.
class LoopbackServer {
public:
    explicit LoopbackServer(RecordServerOptions o = {}) {
        o.listenHost = "127.0.0.1";
        o.port = 0;
        o.filePort = o.filePort == -1 ? -1 : 0;
        o.dataDir = m_dir.path().toStdString();
        o.log = [this](const std::string& line) {
            std::lock_guard lock(m_mutex);
            m_log.push_back(line);
        };
        m_server = std::make_unique<RecordServer>(o);
        m_server->setObserver([this](const ObservedRequest& r) {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(r);
        });
        std::string error;
        m_started = m_server->start(&error);
        EXPECT_TRUE(m_started) << error;
    }
    // The server logs after its answers are out: stop it before the log goes.
    ~LoopbackServer() { m_server->stop(); }

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_server->port()) + path;
    }
    int port() const { return m_server->port(); }
    int filePort() const { return m_server->filePort(); }
    std::string dataDir() const { return m_dir.path().toStdString(); }
    RecordServer& server() { return *m_server; }

    std::vector<ObservedRequest> requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    std::size_t requestCount() {
        std::lock_guard lock(m_mutex);
        return m_requests.size();
    }
    ObservedRequest lastRequest() {
        std::lock_guard lock(m_mutex);
        return m_requests.empty() ? ObservedRequest{} : m_requests.back();
    }
    std::vector<std::string> log() {
        std::lock_guard lock(m_mutex);
        return m_log;
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<RecordServer> m_server;
    bool m_started = false;
    std::mutex m_mutex;
    std::vector<ObservedRequest> m_requests;
    std::vector<std::string> m_log;
};

// A loopback socket bound to a free port; `listening` decides whether it
// accepts connections (which are then never answered) or refuses them.
class LoopbackSocket {
public:
    explicit LoopbackSocket(bool listening) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        if (listening) {
            ::listen(m_fd, 8);
        } else {
            ::close(m_fd); // nothing listens there any more: connections are refused
            m_fd = -1;
        }
    }
    ~LoopbackSocket() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int port() const { return m_port; }
    int fd() const { return m_fd; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

// Accepts one connection, keeps every byte of the request (headers and the
// announced body) and answers with `body`. A gated capture holds its answer
// back until release() is called.
class RawCapture {
public:
    explicit RawCapture(std::string body = "{}", bool gated = false)
        : m_socket(true), m_body(std::move(body)), m_released(!gated) {
        m_thread = std::thread([this] { run(); });
    }
    ~RawCapture() {
        release();
        ::shutdown(m_socket.fd(), SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
    }
    std::string url(const std::string& path) const { return m_socket.url(path); }
    int port() const { return m_socket.port(); }

    // Waits until the whole request has arrived and returns it.
    std::string request() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_received || m_finished; });
        return m_request;
    }
    void release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }
    // True once the answer was sent and the client has closed its end.
    bool finished() {
        std::lock_guard lock(m_mutex);
        return m_finished;
    }

private:
    void run() {
        const int fd = ::accept(m_socket.fd(), nullptr, nullptr);
        if (fd >= 0) {
            serve(fd);
            ::close(fd);
        }
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_changed.notify_all();
    }

    void serve(int fd) {
        std::string request;
        char buf[4096];
        for (;;) {
            const auto headerEnd = request.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                const auto at = request.find("Content-Length: ");
                const std::size_t length =
                    at == std::string::npos ? 0 : std::stoul(request.substr(at + 16));
                if (request.size() >= headerEnd + 4 + length)
                    break;
            }
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            request.append(buf, std::size_t(n));
        }
        {
            std::unique_lock lock(m_mutex);
            m_request = request;
            m_received = true;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_released; });
        }
        const std::string answer =
            "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(m_body.size()) +
            "\r\nConnection: close\r\n\r\n" + m_body;
        ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
        while (::recv(fd, buf, sizeof buf, 0) > 0) {
        }
    }

    LoopbackSocket m_socket;
    std::string m_body;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_released;
    bool m_received = false;
    bool m_finished = false;
    std::string m_request;
    std::thread m_thread;
};

// Runs the event loop until `done` holds; false when it never did (a guard
// against hanging, not a measure of speed).
inline bool WaitUntil(const std::function<bool()>& done) {
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > guard)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
