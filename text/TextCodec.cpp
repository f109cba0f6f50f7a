#include "text/TextCodec.h"

#include <openssl/evp.h>

#include <array>
#include <cerrno>
#include <iconv.h>

namespace {

// Converts with iconv; an input sequence that cannot be converted becomes "?"
// and conversion resumes after `skip(pos)` bytes.
template <typename Skip>
std::string Convert(const char* to, const char* from, std::string_view in, Skip skip) {
    std::string out;
    if (in.empty())
        return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return out;
    out.reserve(in.size() * 3 / 2 + 4);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    std::array<char, 4096> buf{};
    while (srcLeft > 0) {
        char* dst = buf.data();
        std::size_t dstLeft = buf.size();
        std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf.data(), buf.size() - dstLeft);
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (truncated sequence at the end): replace and go on.
        out.push_back('?');
        std::size_t n = std::min(skip(std::string_view(src, srcLeft)), srcLeft);
        src += n;
        srcLeft -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

std::size_t Utf8SequenceLength(std::string_view s) {
    unsigned char c = static_cast<unsigned char>(s[0]);
    std::size_t n = c < 0x80           ? 1
                    : (c >> 5) == 0x6  ? 2
                    : (c >> 4) == 0xE  ? 3
                    : (c >> 3) == 0x1E ? 4
                                       : 1;
    // A broken sequence is skipped only up to its first byte that is not a continuation.
    for (std::size_t i = 1; i < n; ++i)
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            return i;
    return n;
}

std::size_t GbkSequenceLength(std::string_view s) {
    unsigned char c = static_cast<unsigned char>(s[0]);
    if (c >= 0x81 && c <= 0xFE && s.size() >= 2) {
        unsigned char d = static_cast<unsigned char>(s[1]);
        if (d >= 0x40 && d != 0x7F && d != 0xFF)
            return 2;
    }
    return 1;
}

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int AlphabetIndex(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

std::string AnsiToUtf8(std::string_view gbk) {
    return Convert("UTF-8", "GBK", gbk, GbkSequenceLength);
}

std::string Utf8ToAnsi(std::string_view utf8) {
    return Convert("GBK", "UTF-8", utf8, Utf8SequenceLength);
}

std::size_t GbkLength(std::string_view utf8) {
    return Utf8ToAnsi(utf8).size();
}

std::string Base64Encode(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::string out;
    out.reserve(size / 3 * 4 + size / 57 * 2 + 4);
    std::size_t groups = 0;
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        unsigned v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
        if (++groups == 19) {
            out += "\r\n";
            groups = 0;
        }
    }
    std::size_t rest = size - i;
    if (rest > 0) {
        unsigned v = p[i] << 16;
        if (rest == 2)
            v |= p[i + 1] << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string Base64Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3 / 4);
    unsigned acc = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=')
            break;
        int v = AlphabetIndex(c);
        if (v < 0)
            continue;
        acc = (acc << 6) | unsigned(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((acc >> bits) & 0xFF));
        }
    }
    return out;
}

std::string Md5Hex(const void* data, std::size_t size) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_Digest(data, size, digest, &len, EVP_md5(), nullptr);
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned i = 0; i < len; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}
