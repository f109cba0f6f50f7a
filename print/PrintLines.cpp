#include "print/PrintLines.h"

#include <array>

namespace {

// Characters counted as half a full-width character.
constexpr auto kHalfWidth = [] {
    std::array<bool, 128> t{};
    for (char c = '0'; c <= '9'; ++c)
        t[std::size_t(c)] = true;
    for (char c = 'a'; c <= 'z'; ++c)
        t[std::size_t(c)] = t[std::size_t(c - 'a' + 'A')] = true;
    for (char c : {' ', '<', '>', ',', '.', '(', ')'})
        t[std::size_t(c)] = true;
    return t;
}();

bool isHalfWidth(char16_t c) {
    return c < 128 && kHalfWidth[c];
}

// Question and answer markers; a line holding one is never indented.
bool endsWithMarker(const char16_t* lineStart, const char16_t* last) {
    if (last - lineStart < 1)
        return false;
    char16_t a = last[-1], b = last[0];
    return (a == u'问' || a == u'答') && (b == u'：' || b == u':');
}

bool isAsciiSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

QStringView trimmedAscii(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isAsciiSpace(s[b].unicode()))
        ++b;
    while (e > b && isAsciiSpace(s[e - 1].unicode()))
        --e;
    return s.mid(b, e - b);
}

// At most one GBK byte left after trimming: nothing, or one ASCII character.
bool isBlankLine(const QString& line) {
    const QStringView t = trimmedAscii(line);
    return t.isEmpty() || (t.size() == 1 && t[0].unicode() < 0x80);
}

bool leavesSignatureSpace(const QString& line) {
    return line.contains(QStringLiteral("签字")) || line.contains(QStringLiteral("签名:")) ||
           line.contains(QStringLiteral("签名：")) ||
           line.contains(QStringLiteral("由被询问人在下面手写"));
}

} // namespace

int GbkBytes(QStringView text) {
    int n = 0;
    for (QChar c : text)
        n += c.unicode() < 0x80 ? 1 : 2;
    return n;
}

int LineCapacity(int fontSize, const QString& family) {
    const bool fangsong = family == QStringLiteral("仿宋");
    switch (fontSize) {
    case 16:
        return fangsong ? 26 : 27;
    case 15:
        return fangsong ? 28 : 29;
    case 14:
        return fangsong ? 31 : 32;
    case 12:
        return 37;
    default:
        return 27;
    }
}

QString IndentPrefix(int indentCode) {
    switch (indentCode) {
    case 1:
        return QStringLiteral("  ");
    case 2:
        return QStringLiteral("    ");
    case 3:
        return QStringLiteral("        ");
    default:
        return QString();
    }
}

QStringList BreakLines(const QString& text, const LineBreakOptions& o) {
    QStringList out;
    out.reserve(text.size() / 24 + 1);
    const QString prefix = IndentPrefix(o.indentCode);
    // Widths are counted in halves so the arithmetic stays in integers:
    // the limit c + 0.5 - code becomes 2c + 1 - 2 code.
    const int capacity2 = 2 * LineCapacity(o.fontSize, o.family) + 1;
    const int indentLimit2 = capacity2 - 2 * o.indentCode;
    const char16_t* data = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();

    qsizetype start = 0;
    int w2 = 0;
    bool indented = true;
    bool marker = false;
    auto flush = [&](qsizetype end) {
        QString line;
        const bool pre = indented && !prefix.isEmpty();
        line.reserve((pre ? prefix.size() : 0) + (end - start));
        if (pre)
            line += prefix;
        line.append(QStringView(data + start, end - start));
        out.push_back(std::move(line));
        start = end;
        w2 = 0;
        indented = true;
        marker = false;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i];
        // A line break ends the line before the marker test, so a bare
        // "问：" line keeps its indentation.
        if (c == u'\n') {
            flush(i + 1);
            continue;
        }
        // The line seen so far holds a marker once any two adjacent
        // characters formed one; the test applies from a width above 1.
        if (!marker && i > start && endsWithMarker(data + start, data + i))
            marker = true;
        if (marker && w2 > 2)
            indented = false;
        w2 += isHalfWidth(c) ? 1 : 2;
        if (w2 >= (indented ? indentLimit2 : capacity2))
            flush(i + 1);
    }
    if (start < n)
        flush(n);
    return out;
}

QStringList LayOutPrintLines(const QString& text, const LineBreakOptions& o) {
    const QStringList lines = BreakLines(text, o);
    QStringList out;
    out.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The first line always stays, so a text of blank lines still
        // prints one (empty) row rather than no page content at all.
        if (i == 0 || !isBlankLine(lines[i]) || o.keepBlankLines ||
            (i >= 2 && leavesSignatureSpace(lines[i - 1])))
            out.push_back(lines[i]);
    }
    while (out.size() > 1 && trimmedAscii(out.back()).isEmpty())
        out.pop_back();
    return out;
}

QStringList& PrintLines() {
    static QStringList lines;
    return lines;
}

void BuildPrintLines(const QString& text, const QString& family, int keepBlankLines, int indentCode,
                     int fontSize) {
    PrintLines() = LayOutPrintLines(text, {family, keepBlankLines == 1, indentCode, fontSize});
}

int PageCount(int lineCount) {
    const int pages = (lineCount + 16 + 22) / 23;
    return pages < 1 ? 1 : pages;
}
