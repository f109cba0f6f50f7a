#include "text/RtfReader.h"

#include "text/TextCodec.h"

#include <QStringDecoder>

#include <array>
#include <string_view>
#include <vector>

namespace rtf {
namespace {

// Destinations whose content is not part of the document's text.
constexpr std::array<std::string_view, 24> kSkippedDestinations = {
    "fonttbl",      "colortbl",  "stylesheet",        "info",
    "pict",         "header",    "headerl",           "headerr",
    "headerf",      "footer",    "footerl",           "footerr",
    "footerf",      "object",    "themedata",         "datastore",
    "latentstyles", "listtable", "fldinst",           "rsidtbl",
    "xmlnstbl",     "generator", "listoverridetable", "colorschememapping"};

bool IsSkippedDestination(std::string_view word) {
    for (std::string_view d : kSkippedDestinations)
        if (word == d)
            return true;
    return false;
}

struct GroupState {
    bool skip = false;   // inside a destination that adds no text
    int unicodeSkip = 1; // characters that follow "\uN" as its fallback
};

class Parser {
public:
    explicit Parser(const QByteArray& doc) : m_doc(doc) {}

    QString run() {
        m_stack.push_back({});
        while (m_pos < m_doc.size()) {
            const char c = m_doc[m_pos++];
            if (c == '{') {
                flushBytes();
                m_stack.push_back(m_stack.back());
                m_groupStart = true;
                continue;
            }
            if (c == '}') {
                flushBytes();
                if (m_stack.size() > 1)
                    m_stack.pop_back();
                m_groupStart = false;
                continue;
            }
            if (c == '\\') {
                controlSequence();
                continue;
            }
            m_groupStart = false;
            if (c == '\r' || c == '\n')
                continue; // line breaks of the file itself carry no meaning
            addByte(static_cast<unsigned char>(c));
        }
        flushBytes();
        return m_text;
    }

private:
    GroupState& state() { return m_stack.back(); }

    // A byte of text: either skipped as a "\uN" fallback, or collected so that
    // a multi-byte character decodes as a whole.
    void addByte(unsigned char byte) {
        if (m_fallbackLeft > 0) {
            --m_fallbackLeft;
            return;
        }
        if (!state().skip)
            m_bytes.push_back(static_cast<char>(byte));
    }

    void addText(const QString& text) {
        flushBytes();
        if (!state().skip)
            m_text += text;
    }

    void flushBytes() {
        if (m_bytes.empty())
            return;
        m_text += m_utf8 ? QString::fromUtf8(m_bytes.data(), qsizetype(m_bytes.size()))
                         : QString::fromStdString(AnsiToUtf8(m_bytes));
        m_bytes.clear();
    }

    void controlSequence() {
        if (m_pos >= m_doc.size())
            return;
        const char c = m_doc[m_pos];
        if (!isAsciiLetter(c)) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_doc.size() && isAsciiLetter(m_doc[m_pos]))
            ++m_pos;
        const std::string word(m_doc.constData() + start, std::size_t(m_pos - start));
        bool hasParam = false;
        const int param = readParameter(hasParam);
        if (m_pos < m_doc.size() && m_doc[m_pos] == ' ')
            ++m_pos; // the delimiting blank belongs to the control word
        controlWord(word, hasParam, param);
        m_groupStart = false;
    }

    int readParameter(bool& hasParam) {
        const qsizetype start = m_pos;
        if (m_pos < m_doc.size() && m_doc[m_pos] == '-')
            ++m_pos;
        while (m_pos < m_doc.size() && m_doc[m_pos] >= '0' && m_doc[m_pos] <= '9')
            ++m_pos;
        hasParam = m_pos > start && !(m_pos == start + 1 && m_doc[start] == '-');
        if (!hasParam) {
            m_pos = start;
            return 0;
        }
        return m_doc.mid(start, m_pos - start).toInt();
    }

    void controlSymbol(char c) {
        switch (c) {
        case '\'':
            hexByte();
            return;
        case '*':
            state().skip = true; // an optional destination we do not know
            return;
        case '\\':
        case '{':
        case '}':
            addByte(static_cast<unsigned char>(c));
            return;
        case '~':
            addText(QStringLiteral(" "));
            return;
        case '_':
            addText(QStringLiteral("-"));
            return;
        case '\r':
        case '\n':
            addText(QStringLiteral("\n"));
            return;
        default:
            return; // "\-" and other symbols without text
        }
    }

    void hexByte() {
        if (m_pos + 2 > m_doc.size())
            return;
        const int high = hexDigit(m_doc[m_pos]);
        const int low = hexDigit(m_doc[m_pos + 1]);
        m_pos += 2;
        if (high >= 0 && low >= 0)
            addByte(static_cast<unsigned char>(high * 16 + low));
    }

    void controlWord(const std::string& word, bool hasParam, int param) {
        if (m_groupStart && IsSkippedDestination(word)) {
            state().skip = true;
            return;
        }
        if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row")
            addText(QStringLiteral("\n"));
        else if (word == "tab" || word == "cell")
            addText(QStringLiteral("\t"));
        else if (word == "uc" && hasParam)
            state().unicodeSkip = param;
        else if (word == "u" && hasParam)
            unicodeCharacter(param);
        else if (word == "ansicpg" && hasParam)
            m_utf8 = param == 65001;
        else if (word == "emdash")
            addText(QString(QChar(0x2014)));
        else if (word == "endash")
            addText(QString(QChar(0x2013)));
        else if (word == "lquote")
            addText(QString(QChar(0x2018)));
        else if (word == "rquote")
            addText(QString(QChar(0x2019)));
        else if (word == "ldblquote")
            addText(QString(QChar(0x201C)));
        else if (word == "rdblquote")
            addText(QString(QChar(0x201D)));
    }

    void unicodeCharacter(int value) {
        const char16_t unit = static_cast<char16_t>(value < 0 ? value + 65536 : value);
        addText(QString(QChar(unit)));
        m_fallbackLeft = state().unicodeSkip;
    }

    static int hexDigit(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    static bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    const QByteArray& m_doc;
    qsizetype m_pos = 0;
    std::vector<GroupState> m_stack;
    std::string m_bytes;
    QString m_text;
    int m_fallbackLeft = 0;
    bool m_groupStart = false;
    bool m_utf8 = false;
};

} // namespace

QString ToPlainText(const QByteArray& document) {
    if (!document.trimmed().startsWith("{\\rtf")) {
        QByteArray text = document;
        if (text.startsWith("\xEF\xBB\xBF"))
            text.remove(0, 3);
        return QString::fromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    return Parser(document).run();
}

} // namespace rtf
