#include "text/TextCodec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <string>

namespace {

std::string Bytes(std::initializer_list<unsigned char> b) {
    return std::string(b.begin(), b.end());
}

TEST(TextCodec, ConvertsBetweenGbkAndUtf8) {
    const std::string utf8 = Bytes({0xE8, 0xAF, 0xA2, 0xE9, 0x97, 0xAE}); // 询问
    const std::string gbk = Bytes({0xD1, 0xAF, 0xCE, 0xCA});
    EXPECT_EQ(AnsiToUtf8(gbk), utf8);
    EXPECT_EQ(Utf8ToAnsi(utf8), gbk);
    EXPECT_EQ(AnsiToUtf8(""), "");
    EXPECT_EQ(Utf8ToAnsi(""), "");
    EXPECT_EQ(Utf8ToAnsi("abc 123"), "abc 123");
}

TEST(TextCodec, ReplacesWhatHasNoCounterpart) {
    struct Row {
        const char* name;
        std::string utf8;
        std::string gbk;
    };
    const Row rows[] = {
        {"emoji",
         "a\xF0\x9F\x98\x80"
         "b",
         "a?b"},
        {"broken sequence",
         "a\xE8\xAF"
         "b",
         "a?b"},
        {"lone continuation byte", "\x80z", "?z"},
        {"truncated at the end", "x\xE8", "x?"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Utf8ToAnsi(r.utf8), r.gbk) << r.name;
    // A GBK lead byte without its trail byte.
    EXPECT_EQ(AnsiToUtf8("a\xD1"), "a?");
}

// One iconv pass over the whole text, each refused or broken sequence
// becoming one "?": the bytes the database has always been given.
std::string IconvGbk(std::string in) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string out(in.size() + 16, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    while (srcLeft > 0 && iconv(cd, &src, &srcLeft, &dst, &dstLeft) == std::size_t(-1)) {
        *dst++ = '?';
        --dstLeft;
        const unsigned char c = static_cast<unsigned char>(*src);
        std::size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF8 ? 4 : 1;
        std::size_t skip = 1;
        while (skip < n && skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80)
            ++skip;
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

std::string Utf8Of(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += char(cp);
    } else if (cp < 0x800) {
        s += char(0xC0 | (cp >> 6));
        s += char(0x80 | (cp & 0x3F));
    } else {
        s += char(0xE0 | (cp >> 12));
        s += char(0x80 | ((cp >> 6) & 0x3F));
        s += char(0x80 | (cp & 0x3F));
    }
    return s;
}

// The conversion looks most characters up in a table; every BMP character,
// and the sequences it leaves to iconv, must come out as iconv writes them.
TEST(TextCodec, Utf8ToAnsiMatchesOneIconvPass) {
    std::string all;
    for (char32_t cp = 1; cp < 0x10000; ++cp)
        if (cp < 0xD800 || cp > 0xDFFF)
            all += Utf8Of(cp) + (cp % 7 ? "" : "a");
    EXPECT_EQ(Utf8ToAnsi(all), IconvGbk(all));

    const std::string odd[] = {
        "\xC0\x80x",                            // overlong
        "\xE0\x80\x80x",                        // overlong three bytes
        "\xED\xA0\x80\xED\xBF\xBFx",            // surrogates
        "\xF0\x9F\x98\x80\xE8\xAF\xA2\xF0\x9F", // emoji, 询, cut emoji
        "\xE8\xAF\xE8\xAF\xA2\x80\xBF",         // broken, 询, stray continuations
        "\xF4\x90\x80\x80\xFF\xFE",             // beyond U+10FFFF, never-valid bytes
        std::string("a\0\xE8\xAF\xA2\0", 6),
    };
    for (const std::string& s : odd)
        EXPECT_EQ(Utf8ToAnsi(s), IconvGbk(s)) << s;
}

TEST(TextCodec, CountsGbkBytes) {
    EXPECT_EQ(GbkLength("询问笔录"), 8u);
    EXPECT_EQ(GbkLength("ab询"), 4u);
}

TEST(Base64, EncodesWithLineBreaksEvery76Characters) {
    EXPECT_EQ(Base64Encode(std::string("abc")), "YWJj");
    EXPECT_EQ(Base64Encode(std::string("{}")), "e30=");
    EXPECT_EQ(Base64Encode(std::string("a")), "YQ==");
    EXPECT_EQ(Base64Encode(std::string()), "");

    const std::string line57(57, 'x');
    std::string e57 = Base64Encode(line57);
    ASSERT_EQ(e57.size(), 78u);
    EXPECT_EQ(e57.substr(76), "\r\n");

    std::string e58 = Base64Encode(line57 + "y");
    ASSERT_EQ(e58.size(), 82u);
    EXPECT_EQ(e58.substr(76, 2), "\r\n");
    EXPECT_EQ(e58.substr(80), "==");
}

TEST(Base64, DecodesExactlyTheEncodedBytes) {
    EXPECT_EQ(Base64Decode("YWJj"), "abc");
    EXPECT_EQ(Base64Decode("QQ=="), "A");
    EXPECT_EQ(Base64Decode("QUI="), "AB");
    EXPECT_EQ(Base64Decode(""), "");

    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(char(i));
    all += all + "tail";
    EXPECT_EQ(Base64Decode(Base64Encode(all)), all); // line breaks inside are skipped
}

TEST(Md5, HexDigestInLowerCase) {
    EXPECT_EQ(Md5Hex(std::string()), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex(std::string("abc")), "900150983cd24fb0d6963f7d28e17f72");
}

} // namespace
