#include "print/PrintLines.h"

#include <algorithm>
#include <array>
#include <vector>

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
bool isBlankLine(QStringView line) {
    const QStringView t = trimmedAscii(line);
    return t.isEmpty() || (t.size() == 1 && t[0].unicode() < 0x80);
}

bool leavesSignatureSpace(QStringView line) {
    return line.contains(u"签字") || line.contains(u"签名:") || line.contains(u"签名：") ||
           line.contains(u"由被询问人在下面手写");
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

namespace {

// A broken line as a range of the text, with or without the indentation.
struct LineSpan {
    qsizetype start = 0;
    qsizetype end = 0;
    bool prefixed = false;
};

bool isColon(char16_t c) {
    return c == u'：' || c == u':';
}

bool isSpeaker(char16_t c) {
    return c == u'问' || c == u'答';
}

int width2(char16_t c) {
    return isHalfWidth(c) ? 1 : 2;
}

// Widths are counted in halves so the arithmetic stays in integers: the
// limit c + 0.5 - code becomes 2c + 1 - 2 code.
struct Limits {
    int indented;
    int plain;
};

// Scans the line that starts at `start`. Until a question or answer marker
// appears the line is indented, so that part runs without the marker state.
LineSpan scanLine(const char16_t* data, qsizetype start, qsizetype n, Limits limit) {
    int w2 = 0;
    qsizetype i = start;
    for (; i < n; ++i) {
        const char16_t c = data[i];
        // A line break ends the line before the marker test, so a bare
        // "问：" line keeps its indentation.
        if (c == u'\n')
            return {start, i + 1, true};
        if (isColon(c) && i > start && isSpeaker(data[i - 1]))
            break;
        w2 += width2(c);
        if (w2 >= limit.indented)
            return {start, i + 1, true};
    }
    // The line holds a marker: it loses the indentation from a width above 1.
    for (; i < n && w2 <= 2; ++i) {
        const char16_t c = data[i];
        if (c == u'\n')
            return {start, i + 1, true};
        w2 += width2(c);
        if (w2 >= limit.indented)
            return {start, i + 1, true};
    }
    // A line break right here still ends an indented line: the indentation
    // goes only when a further character is added.
    if (i == n)
        return {start, n, true};
    if (data[i] == u'\n')
        return {start, i + 1, true};
    for (; i < n; ++i) {
        const char16_t c = data[i];
        if (c == u'\n')
            return {start, i + 1, false};
        w2 += width2(c);
        if (w2 >= limit.plain)
            return {start, i + 1, false};
    }
    return {start, n, false};
}

std::vector<LineSpan> breakSpans(const QString& text, const LineBreakOptions& o) {
    std::vector<LineSpan> out;
    out.reserve(std::size_t(text.size() / 24 + 1));
    const bool hasPrefix = o.indentCode >= 1 && o.indentCode <= 3;
    const int capacity2 = 2 * LineCapacity(o.fontSize, o.family) + 1;
    const Limits limit{capacity2 - 2 * o.indentCode, capacity2};
    const char16_t* data = reinterpret_cast<const char16_t*>(text.utf16());
    for (qsizetype start = 0; start < text.size();) {
        LineSpan line = scanLine(data, start, text.size(), limit);
        line.prefixed = line.prefixed && hasPrefix;
        out.push_back(line);
        start = line.end;
    }
    return out;
}

// Makes the lines. A transcript gives tens of thousands of lines, and one
// allocation each was most of the cost of the layout: the lines are written
// one after another into one buffer (each followed by a terminating zero, as
// every QString's data is) and each QString shares that buffer by its
// reference count. Changing a line detaches it as for any shared string.
QStringList makeLines(const QString& text, const std::vector<LineSpan>& spans,
                      const QString& prefix) {
    QStringList out;
    if (spans.empty())
        return out;
    out.reserve(qsizetype(spans.size()));
    qsizetype total = 0;
    for (const LineSpan& s : spans)
        total += (s.prefixed ? prefix.size() : 0) + (s.end - s.start) + 1;
    QString buffer(total, Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(buffer.data());
    QString::DataPointer& shared = buffer.data_ptr();
    const char16_t* src = reinterpret_cast<const char16_t*>(text.utf16());
    char16_t* at = begin;
    for (const LineSpan& s : spans) {
        char16_t* const line = at;
        if (s.prefixed)
            at = std::copy_n(reinterpret_cast<const char16_t*>(prefix.utf16()), prefix.size(), at);
        at = std::copy_n(src + s.start, s.end - s.start, at);
        *at = 0;
        shared.d_ptr()->ref();
        out.push_back(QString(QString::DataPointer(shared.d_ptr(), line, at - line)));
        ++at;
    }
    return out;
}

std::vector<LineSpan> printedSpans(const QString& text, const LineBreakOptions& o) {
    std::vector<LineSpan> lines = breakSpans(text, o);
    auto view = [&](const LineSpan& s) { return QStringView(text).mid(s.start, s.end - s.start); };
    // Filtered in place; `previous` keeps the line before, kept or not.
    std::size_t kept = 0;
    LineSpan previous;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineSpan line = lines[i];
        // The first line always stays, so a text of blank lines still
        // prints one (empty) row rather than no page content at all.
        if (i == 0 || o.keepBlankLines || !isBlankLine(view(line)) ||
            (i >= 2 && leavesSignatureSpace(view(previous))))
            lines[kept++] = line;
        previous = line;
    }
    lines.resize(kept);
    // The indentation is blanks, so it never decides whether a line is blank.
    while (lines.size() > 1 && trimmedAscii(view(lines.back())).isEmpty())
        lines.pop_back();
    return lines;
}

} // namespace

QStringList BreakLines(const QString& text, const LineBreakOptions& o) {
    return makeLines(text, breakSpans(text, o), IndentPrefix(o.indentCode));
}

QStringList LayOutPrintLines(const QString& text, const LineBreakOptions& o) {
    return makeLines(text, printedSpans(text, o), IndentPrefix(o.indentCode));
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
