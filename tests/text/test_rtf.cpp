#include "text/RtfReader.h"
#include "text/TextCodec.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// "\'hh" escapes of a text's GBK bytes, as word processors write Chinese.
std::string Escaped(const char* utf8) {
    std::string out;
    for (unsigned char byte : Utf8ToAnsi(utf8)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\'%02x", byte);
        out += hex;
    }
    return out;
}

QString Read(const std::string& rtf) {
    return rtf::ToPlainText(QByteArray::fromStdString(rtf));
}

TEST(RtfReader, GbkEscapesDecodeAsWholeCharacters) {
    const std::string doc = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 " +
                            Escaped("宋体") + ";}}\\f0\\fs24 " + Escaped("第一条") + " " +
                            Escaped("为了规范") + "\\par\r\n" + Escaped("第二条") + "\\par}";
    EXPECT_EQ(Read(doc), QStringLiteral("第一条 为了规范\n第二条\n"));
}

TEST(RtfReader, UnicodeCharactersSkipTheirFallback) {
    // \uc1 with a "?" fallback, \uc2 with a two-byte GBK fallback, a negative
    // value for a character above 0x7FFF, and \uc0 without any fallback.
    const std::string doc = "{\\rtf1\\ansi\\uc1\\u31532?\\u26465?{\\uc2\\u27861" + Escaped("法") +
                            "}\\u-3?{\\uc0\\u24459 x}}";
    EXPECT_EQ(Read(doc), QStringLiteral("第条法\uFFFD律x"));
}

TEST(RtfReader, GroupsDestinationsAndSymbols) {
    const std::string doc = "{\\rtf1{\\info{\\title Title}{\\author A}}{\\*\\generator Writer 1.0;}"
                            "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
                            "{\\b bold {\\i both} }plain\\tab tab\\line next "
                            "\\{braces\\} back\\\\slash{\\pict\\pngblip 89504e47}"
                            "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt shown}}}";
    EXPECT_EQ(Read(doc), QStringLiteral("bold both plain\ttab\nnext {braces} back\\slashshown"));
}

TEST(RtfReader, PlainTextFilesReadAsUtf8) {
    EXPECT_EQ(rtf::ToPlainText(QByteArray("\xEF\xBB\xBF第一条\r\n内容")),
              QStringLiteral("第一条\n内容"));
    EXPECT_EQ(rtf::ToPlainText(QByteArray()), QString());
}

TEST(RtfReader, TruncatedInputEndsCleanly) {
    for (const char* doc :
         {"{\\rtf1 abc\\", "{\\rtf1 abc\\'b", "{\\rtf1 {{{ abc", "{\\rtf1 }}} abc"})
        EXPECT_TRUE(Read(doc).contains(QStringLiteral("abc"))) << doc;
}

} // namespace
