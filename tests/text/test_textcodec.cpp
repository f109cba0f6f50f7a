#include "text/TextCodec.h"

#include <gtest/gtest.h>

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
