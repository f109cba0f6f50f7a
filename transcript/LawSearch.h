// The law lookup without its window: the law files of the program's law
// folder, the search text of both search modes, the Chinese numeral of an
// article number, and the find step that collects the articles around each
// occurrence of the search text in a law.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

namespace law {

inline constexpr const char* kAllLaws = "全部";
inline constexpr const char* kTooShort = "查找内容太短！请重新输入！";
inline constexpr const char* kBadArticle = "输入的条列号非法，请重新输入!";

// Occurrences expanded per law, and lines above and below a match that the
// passage may reach.
inline constexpr int kMaxMatchesPerLaw = 100;
inline constexpr int kWalkLines = 20;
inline constexpr int kExpandedLines = 3000;
// A passage is kept when longer than this many GBK bytes.
inline constexpr int kMinPassageBytes = 50;

struct LawFile {
    QString name; // the file name without its extension
    QString path;
};

// "*.rtf" laws, then UTF-8 "*.txt" laws, each in file-name order. A missing
// folder gives none.
std::vector<LawFile> ListLawFiles(const QString& folder);
// The law's text, paragraphs separated by "\n"; empty when unreadable.
QString ReadLawText(const QString& path);

// 1 ≤ n ≤ 10000: 5 → 五, 10 → 一十, 105 → 一百零五, 1005 → 一千零零五.
QString ChineseNumeral(int n);

enum class Mode { Content, Article };

struct SearchText {
    enum class Status { Ok, Empty, TooShort, BadArticle };
    Status status = Status::Empty;
    QString text;    // what is searched for, when Ok
    QString message; // what to tell the officer, when not Ok and not Empty
};
// The typed text of the chosen mode turned into the search text.
SearchText BuildSearchText(Mode mode, const QString& typed);

// Whether a line starts an article, chapter or section: its first 20 GBK
// bytes, trimmed, hold "第" and one of "条", "章", "节".
bool StartsUnit(const QString& line);

// The passages of one law: for each occurrence of `searchText` (at most
// kMaxMatchesPerLaw), the article around it, each passage once.
QString CollectPassages(const QString& lawText, const QString& searchText);

// Whether a law's passages list it under the drop-down's choice.
bool IsListed(const QString& passages, const QString& lawName, const QString& chosen);

// Decoded law texts kept between searches; a file whose size or time of
// change differs is read again. Used by one search at a time.
class LawTextCache {
public:
    QString text(const LawFile& law);

private:
    struct Entry {
        qint64 size = -1;
        qint64 modified = 0;
        QString text;
    };
    QHash<QString, Entry> m_entries;
};

struct LawResult {
    QString name;
    QString passages;
};

// Reads every law and collects the listed ones. `progress` is told after each
// file (done, total); `cancel` stops between files.
std::vector<LawResult> SearchLaws(const std::vector<LawFile>& laws, const QString& searchText,
                                  const QString& chosen,
                                  const std::function<void(int, int)>& progress = {},
                                  const std::atomic<bool>* cancel = nullptr,
                                  LawTextCache* cache = nullptr);

} // namespace law
