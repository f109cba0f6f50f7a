#include "transcript/LawSearch.h"

#include "text/RtfReader.h"
#include "text/TextCodec.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace law {
namespace {

const QString kDigits = QStringLiteral("零一二三四五六七八九");
const QStringList kPositions = {QString(), QStringLiteral("十"), QStringLiteral("百"),
                                QStringLiteral("千"), QStringLiteral("万")};

int GbkBytes(const QString& text) {
    return static_cast<int>(GbkLength(text.toStdString()));
}

// The first `limit` GBK bytes of a text, never cutting a character in half.
QString LeadingBytes(const QString& text, int limit) {
    QString out;
    int bytes = 0;
    for (QChar c : text) {
        const int size = c.unicode() < 0x80 ? 1 : 2;
        if (bytes + size > limit)
            break;
        bytes += size;
        out += c;
    }
    return out;
}

// C's atoi: leading blanks, a sign, the digits that follow; 0 when none.
long long LeadingInteger(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        negative = t[i++] == '-';
    long long value = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9' && value < 1'000'000'000; ++i)
        value = value * 10 + (t[i].unicode() - '0');
    return negative ? -value : value;
}

struct Lines {
    explicit Lines(const QString& text) : all(text.split('\n')) {
        starts.reserve(all.size());
        qsizetype offset = 0;
        for (const QString& line : all) {
            starts.push_back(offset);
            offset += line.size() + 1;
        }
    }
    int lineOf(qsizetype position) const {
        auto it = std::upper_bound(starts.begin(), starts.end(), position);
        return static_cast<int>(it - starts.begin()) - 1;
    }
    int count() const { return static_cast<int>(all.size()); }

    QStringList all;
    std::vector<qsizetype> starts;
};

int StartLine(const Lines& lines, int matchLine) {
    const int lowest = std::max(0, matchLine - kWalkLines);
    for (int i = matchLine; i >= lowest; --i)
        if (StartsUnit(lines.all[i]))
            return i;
    // Reaching the top of the law without a heading keeps the match's line.
    return lowest == 0 ? matchLine : lowest;
}

int EndLine(const Lines& lines, int matchLine, int startLine) {
    const int last = lines.count() - 1;
    // Neither the next heading within reach nor one before the law's end:
    // the passage is the start line alone.
    for (int j = matchLine + 1; j <= last && j - matchLine <= kWalkLines; ++j)
        if (StartsUnit(lines.all[j]))
            return j - 1;
    return startLine;
}

QString Passage(const Lines& lines, int first, int last) {
    QString passage;
    for (int i = first; i <= last; ++i)
        passage += lines.all[i] + '\n';
    return passage;
}

} // namespace

std::vector<LawFile> ListLawFiles(const QString& folder) {
    std::vector<LawFile> laws;
    const QDir dir(folder);
    for (const char* pattern : {"*.rtf", "*.txt"}) {
        const QStringList names =
            dir.entryList({QString::fromLatin1(pattern)}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString& file : names)
            laws.push_back({file.left(file.size() - 4), dir.filePath(file)});
    }
    return laws;
}

QString ReadLawText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = rtf::ToPlainText(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace('\r', '\n');
    return text;
}

QString LawTextCache::text(const LawFile& law) {
    const QFileInfo info(law.path);
    Entry& entry = m_entries[law.path];
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    if (entry.size != info.size() || entry.modified != modified) {
        entry.text = ReadLawText(law.path);
        entry.size = info.size();
        entry.modified = modified;
    }
    return entry.text;
}

QString ChineseNumeral(int n) {
    if (n <= 0)
        return kDigits.left(1);
    int position = 0;
    while (n % 10 == 0) {
        n /= 10;
        ++position;
    }
    QString numeral;
    for (; n > 0; n /= 10, ++position) {
        const int digit = n % 10;
        numeral.prepend(digit == 0 ? kDigits.left(1)
                                   : kDigits.mid(digit, 1) + kPositions[position]);
    }
    return numeral;
}

SearchText BuildSearchText(Mode mode, const QString& typed) {
    SearchText result;
    if (typed.isEmpty())
        return result;
    QString text = typed;
    if (mode == Mode::Content) {
        if (GbkBytes(typed) < 2) {
            result.status = SearchText::Status::TooShort;
            result.message = QString::fromUtf8(kTooShort);
            return result;
        }
    } else {
        const long long n = LeadingInteger(typed);
        if (n < 0 || n > 10000) {
            result.status = SearchText::Status::BadArticle;
            result.message = QString::fromUtf8(kBadArticle);
            return result;
        }
        if (typed.compare(QString::number(n), Qt::CaseInsensitive) == 0)
            text =
                QStringLiteral("第") + ChineseNumeral(static_cast<int>(n)) + QStringLiteral("条");
    }
    result.status = SearchText::Status::Ok;
    result.text = text.replace(QStringLiteral("一十"), QStringLiteral("十"));
    return result;
}

bool StartsUnit(const QString& line) {
    const QString head = LeadingBytes(line.trimmed(), 20);
    return head.contains(QStringLiteral("第")) &&
           (head.contains(QStringLiteral("条")) || head.contains(QStringLiteral("章")) ||
            head.contains(QStringLiteral("节")));
}

QString CollectPassages(const QString& lawText, const QString& searchText) {
    QString passages;
    if (searchText.isEmpty())
        return passages;
    const Lines lines(lawText);
    qsizetype from = 0; // a match in the very first character counts too
    for (int found = 0; found < kMaxMatchesPerLaw; ++found) {
        const qsizetype match = lawText.indexOf(searchText, from);
        if (match < 0)
            break;
        from = match + 1;
        const int line = lines.lineOf(match);
        if (line >= kExpandedLines)
            continue;
        const int start = StartLine(lines, line);
        const QString passage = Passage(lines, start, EndLine(lines, line, start));
        if (!passages.contains(passage) && GbkBytes(passage) > kMinPassageBytes)
            passages += passage + '\n';
    }
    return passages;
}

bool IsListed(const QString& passages, const QString& lawName, const QString& chosen) {
    if (GbkBytes(passages) <= kMinPassageBytes)
        return false;
    return chosen == QString::fromUtf8(kAllLaws) || lawName.contains(chosen);
}

std::vector<LawResult> SearchLaws(const std::vector<LawFile>& laws, const QString& searchText,
                                  const QString& chosen,
                                  const std::function<void(int, int)>& progress,
                                  const std::atomic<bool>* cancel, LawTextCache* cache) {
    std::vector<LawResult> results;
    const int total = static_cast<int>(laws.size());
    for (int i = 0; i < total; ++i) {
        if (cancel && cancel->load())
            break;
        const QString passages =
            CollectPassages(cache ? cache->text(laws[i]) : ReadLawText(laws[i].path), searchText);
        if (IsListed(passages, laws[i].name, chosen))
            results.push_back({laws[i].name, passages});
        if (progress)
            progress(i + 1, total);
    }
    return results;
}

} // namespace law
