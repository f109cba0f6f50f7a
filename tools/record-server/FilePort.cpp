#include "FilePort.h"

#include "ServerTokens.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPiece = 10240;
constexpr std::size_t kMaxNameLength = 1024;
constexpr int kKindPollMs = 1000;
// Transfers served at once; further connections are closed at once rather
// than each given a thread.
constexpr std::size_t kMaxConnections = 64;

// Buffered reading and plain writing on one connected socket.
class Connection {
public:
    explicit Connection(int fd) : m_fd(fd) {}

    // A line up to "\n" ("\r" dropped); nullopt when the peer closed, timed
    // out or sent a longer line.
    std::optional<std::string> readLine(std::size_t maxLength) {
        std::string line;
        for (;;) {
            if (m_pos == m_end && !fill())
                return std::nullopt;
            char c = m_buf[m_pos++];
            if (c == '\n')
                break;
            if (line.size() >= maxLength)
                return std::nullopt;
            line.push_back(c);
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

    // Exactly n bytes, handed to `sink` piece by piece.
    bool readExact(std::size_t n, const std::function<bool(const char*, std::size_t)>& sink) {
        while (n > 0) {
            if (m_pos == m_end && !fill())
                return false;
            const std::size_t take = std::min(n, m_end - m_pos);
            if (!sink(m_buf.data() + m_pos, take))
                return false;
            m_pos += take;
            n -= take;
        }
        return true;
    }

    std::optional<char> peekByte() {
        if (m_pos == m_end && !fill())
            return std::nullopt;
        return m_buf[m_pos];
    }
    void skipByte() { ++m_pos; }

    // True when bytes arrive within `ms` milliseconds (or are buffered).
    bool dataWithin(int ms) {
        if (m_pos < m_end)
            return true;
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, ms) > 0;
    }

    bool write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            bytes.remove_prefix(std::size_t(n));
        }
        return true;
    }

private:
    bool fill() {
        ssize_t n;
        do {
            n = ::recv(m_fd, m_buf.data(), m_buf.size(), 0);
        } while (n < 0 && errno == EINTR);
        if (n <= 0)
            return false;
        m_pos = 0;
        m_end = std::size_t(n);
        return true;
    }

    int m_fd;
    std::array<char, 16384> m_buf{};
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
};

std::optional<long long> Number(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    long long value = 0;
    auto [ptr, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (text->empty() || ec != std::errc() || ptr != text->data() + text->size())
        return std::nullopt;
    return value;
}

std::string Printable(std::string_view name) {
    std::string out;
    for (char c : name)
        out.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
    return out;
}

// Receives an upload's content into a temporary file beside the target and
// renames it into place, so a broken transfer leaves the old file.
std::string ReceiveFile(Connection& c, const fs::path& target, std::size_t maxBytes) {
    const auto size = Number(c.readLine(32));
    if (!size || *size < 0)
        return "bad size";
    if (std::size_t(*size) > maxBytes)
        return "too large";
    // The size line travels with its terminating zero byte.
    if (auto b = c.peekByte(); b && *b == '\0')
        c.skipByte();
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    const fs::path temp = target.string() + ".part";
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out)
        return "cannot write";
    const bool received = c.readExact(std::size_t(*size), [&](const char* p, std::size_t n) {
        out.write(p, std::streamsize(n));
        return bool(out);
    });
    out.close();
    if (!received || !out) {
        fs::remove(temp, ec);
        return received ? "cannot write" : "incomplete";
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return "cannot write";
    }
    return "ok";
}

std::string SendFile(Connection& c, const fs::path& source) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        c.write("0\r\n");
        c.write("no file");
        return "no file";
    }
    std::ifstream in(source, std::ios::binary);
    const auto size = fs::file_size(source, ec);
    if (!in || ec) {
        c.write("0\r\n");
        c.write("no file");
        return "cannot read";
    }
    // Clients read the size with one receive and take all of it as the size
    // text: give it a moment to arrive on its own before the content follows.
    if (!c.write(std::to_string(size) + "\r\n"))
        return "peer gone";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::array<char, kPiece> piece{};
    std::uintmax_t sent = 0;
    while (sent < size && in) {
        in.read(piece.data(), std::streamsize(std::min<std::uintmax_t>(kPiece, size - sent)));
        const auto n = std::size_t(in.gcount());
        if (n == 0 || !c.write(std::string_view(piece.data(), n)))
            return "peer gone";
        sent += n;
    }
    c.write("ok");
    return "ok";
}

} // namespace

std::optional<fs::path> ResolveStoragePath(const fs::path& root, std::string_view name) {
    if (name.empty() || name.find('\0') != std::string_view::npos)
        return std::nullopt;
    std::string n(name);
    std::replace(n.begin(), n.end(), '\\', '/');
    const auto first = n.find_first_not_of('/');
    if (first == std::string::npos)
        return std::nullopt;
    const fs::path rel = fs::path(n.substr(first)).lexically_normal();
    if (rel.empty() || rel.is_absolute() || rel.has_root_name())
        return std::nullopt;
    for (const auto& part : rel) {
        if (part == "..")
            return std::nullopt;
    }
    if (rel.filename().empty() || rel.filename() == ".")
        return std::nullopt;
    // Resolve symbolic links, then demand that the result still lies inside.
    std::error_code ec;
    const fs::path base = fs::weakly_canonical(root, ec);
    if (ec)
        return std::nullopt;
    const fs::path full = fs::weakly_canonical(base / rel, ec);
    if (ec)
        return std::nullopt;
    auto [b, f] = std::mismatch(base.begin(), base.end(), full.begin(), full.end());
    if (b != base.end() || f == full.end())
        return std::nullopt;
    return full;
}

FilePortServer::FilePortServer(FilePortOptions options) : m_options(std::move(options)) {
    if (!m_options.now)
        m_options.now = [] { return std::time(nullptr); };
}

FilePortServer::~FilePortServer() {
    stop();
}

bool FilePortServer::start(std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error)
            *error = what + ": " + std::strerror(errno);
        if (m_listen >= 0)
            ::close(m_listen);
        m_listen = -1;
        return false;
    };
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(m_options.port);
    if (::getaddrinfo(m_options.bindHost.c_str(), service.c_str(), &hints, &found) != 0 || !found)
        return fail("cannot resolve " + m_options.bindHost);
    m_listen = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    if (m_listen >= 0)
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const bool bound = m_listen >= 0 && ::bind(m_listen, found->ai_addr, found->ai_addrlen) == 0;
    ::freeaddrinfo(found);
    if (!bound || ::listen(m_listen, 16) != 0)
        return fail("cannot listen on file port " + service);
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    m_stop = false;
    m_acceptThread = std::thread([this] { acceptLoop(); });
    return true;
}

void FilePortServer::stop() {
    if (!m_acceptThread.joinable())
        return;
    m_stop = true;
    m_acceptThread.join();
    {
        std::lock_guard lock(m_mutex);
        for (int fd : m_active)
            ::shutdown(fd, SHUT_RDWR);
    }
    reapWorkers(true);
    ::close(m_listen);
    m_listen = -1;
}

void FilePortServer::reapWorkers(bool all) {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (all || it->done) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void FilePortServer::acceptLoop() {
    while (!m_stop) {
        reapWorkers(false);
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        const int fd = ::accept4(m_listen, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        char host[NI_MAXHOST] = "?";
        ::getnameinfo(reinterpret_cast<sockaddr*>(&addr), len, host, sizeof host, nullptr, 0,
                      NI_NUMERICHOST);
        timeval tv{m_options.ioTimeoutSeconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        {
            std::lock_guard lock(m_mutex);
            if (m_active.size() >= kMaxConnections) {
                ::close(fd);
                continue;
            }
            m_active.insert(fd);
        }
        Worker& w = m_workers.emplace_back();
        w.thread = std::thread([this, fd, peer = std::string(host), &w] {
            serve(fd, peer);
            {
                std::lock_guard lock(m_mutex);
                m_active.erase(fd);
            }
            ::close(fd);
            w.done = true;
        });
    }
}

void FilePortServer::serve(int fd, const std::string& peer) {
    Connection c(fd);
    std::string direction = "?";
    std::string name;
    std::string result;
    auto log = [&] {
        if (m_options.log)
            m_options.log(peer + " FILE " + direction + " " + Printable(name) + " " + result);
    };

    const auto header = c.readLine(256);
    const auto account =
        header ? CheckFileHeader(*header, m_options.now(), m_options.tokenWindowSeconds)
               : std::nullopt;
    if (!account) {
        result = header ? "token refused" : "no header";
        c.write("token error");
        return log();
    }
    const auto kind = Number(c.readLine(16));
    const auto length = Number(c.readLine(16));
    if (!kind || !length || *length <= 0 || std::size_t(*length) > kMaxNameLength) {
        result = "bad request";
        c.write("bad request");
        return log();
    }
    c.readExact(std::size_t(*length), [&](const char* p, std::size_t n) {
        name.append(p, n);
        return true;
    });
    // Kind 0 serves both directions: an upload goes on with its size line at once.
    const bool upload = *kind == 1 || (*kind == 0 && c.dataWithin(kKindPollMs));
    direction = upload ? "upload" : "download";
    const auto path = ResolveStoragePath(m_options.root, name);
    if (!path) {
        result = "name refused";
        c.write(upload ? "bad name" : "0\r\n");
        return log();
    }
    result = upload ? ReceiveFile(c, *path, m_options.maxFileBytes) : SendFile(c, *path);
    if (upload)
        c.write(result);
    log();
}
