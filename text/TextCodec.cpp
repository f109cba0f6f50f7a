#include "text/TextCodec.h"

#include <openssl/evp.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
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

std::string ConvertFromUtf8(std::string_view utf8) {
    return Convert("GBK", "UTF-8", utf8, Utf8SequenceLength);
}

// The GBK bytes of every BMP character (length 0: none, iconv refuses it),
// taken once from iconv so that the table path writes exactly what iconv
// writes. Opening iconv and feeding it a megabyte costs several times the
// SQLite insert of the result; a lookup per character does not.
struct GbkTable {
    std::array<std::uint16_t, 0x10000> bytes{}; // lead byte high, trail byte low
    std::array<std::uint8_t, 0x10000> length{};
};

GbkTable BuildGbkTable() {
    GbkTable t;
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return t;
    for (char32_t cp = 0; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        char in[3];
        std::size_t inLen = cp < 0x80 ? 1 : cp < 0x800 ? 2 : 3;
        if (inLen == 1) {
            in[0] = char(cp);
        } else if (inLen == 2) {
            in[0] = char(0xC0 | (cp >> 6));
            in[1] = char(0x80 | (cp & 0x3F));
        } else {
            in[0] = char(0xE0 | (cp >> 12));
            in[1] = char(0x80 | ((cp >> 6) & 0x3F));
            in[2] = char(0x80 | (cp & 0x3F));
        }
        unsigned char out[8];
        char* src = in;
        char* dst = reinterpret_cast<char*>(out);
        std::size_t dstLeft = sizeof out;
        if (iconv(cd, &src, &inLen, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        const std::size_t written = sizeof out - dstLeft;
        if (written == 1)
            t.bytes[cp] = out[0];
        else if (written == 2)
            t.bytes[cp] = std::uint16_t(out[0] << 8 | out[1]);
        else
            continue; // not expected of GBK; leaves the character to "?"
        t.length[cp] = std::uint8_t(written);
    }
    iconv_close(cd);
    return t;
}

const GbkTable& TheGbkTable() {
    static const GbkTable table = BuildGbkTable();
    return table;
}

// Length of the well-formed two- or three-byte sequence at the start of `s`
// (no overlong forms, no surrogates), its code point in `cp`; 0 otherwise.
std::size_t DecodeBmp(std::string_view s, char32_t& cp) {
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    auto cont = [&](std::size_t i) { return i < s.size() && (at(i) & 0xC0) == 0x80; };
    const unsigned char c = at(0);
    if (c >= 0xC2 && c <= 0xDF && cont(1)) {
        cp = char32_t(c & 0x1F) << 6 | (at(1) & 0x3F);
        return 2;
    }
    if (c < 0xE0 || c > 0xEF || !cont(1) || !cont(2))
        return 0;
    cp = char32_t(c & 0x0F) << 12 | char32_t(at(1) & 0x3F) << 6 | (at(2) & 0x3F);
    if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return 3;
}

char* PutGbk(const GbkTable& t, char32_t cp, char* o) {
    const std::uint16_t b = t.bytes[cp];
    switch (t.length[cp]) {
    case 1:
        *o++ = char(b);
        break;
    case 2:
        *o++ = char(b >> 8);
        *o++ = char(b & 0xFF);
        break;
    default:
        *o++ = '?';
    }
    return o;
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
    const GbkTable& table = TheGbkTable();
    // GBK never takes more bytes than UTF-8 for the same text, nor does a "?".
    std::string out(utf8.size(), '\0');
    char* o = out.data();
    const std::size_t n = utf8.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            *o++ = char(c);
            ++i;
            continue;
        }
        char32_t cp = 0;
        if (const std::size_t len = DecodeBmp(utf8.substr(i), cp)) {
            o = PutGbk(table, cp, o);
            i += len;
            continue;
        }
        // Anything else (characters beyond the BMP, broken sequences) is rare:
        // iconv takes it, up to the next ASCII byte, where no sequence spans.
        std::size_t j = i;
        while (j < n && static_cast<unsigned char>(utf8[j]) >= 0x80)
            ++j;
        const std::string part = ConvertFromUtf8(utf8.substr(i, j - i));
        std::memcpy(o, part.data(), part.size());
        o += part.size();
        i = j;
    }
    out.resize(std::size_t(o - out.data()));
    return out;
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
