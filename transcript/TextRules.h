// Rules of the transcript text: the speaker of a paragraph, the F1/F2 marker
// paragraphs, the text faces and sizes, and finding text. Plain logic, used
// by the text area (TranscriptTextEdit) and tested directly.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace textrules {

// Markers that start a question (F1) and an answer (F2) paragraph.
inline const QString kQuestionMarker = QStringLiteral("询问人：");
inline const QString kAnswerMarker = QStringLiteral("被询问人：");

enum class Speaker { Question, Answer };

// The marker a paragraph carries, if any: an answer marker ("被询问人：" or
// "被询问人:") anywhere makes it an answer; otherwise a question marker
// ("询问人：" or "询问人:") makes it a question; otherwise it has none.
enum class Marker { None, Question, Answer };
Marker MarkerOf(const QString& paragraph);
// The speaker of a paragraph given the speaker of the paragraph above
// (unmarked paragraphs continue it; the first paragraphs count as questions).
Speaker SpeakerOf(const QString& paragraph, Speaker above);
// Speakers of all paragraphs of a text (paragraphs separated by "\n").
std::vector<Speaker> Speakers(const QString& text);

// An insertion into one paragraph: `text` goes at `offset` (counted from the
// paragraph's first character); afterwards the caret stands at `caret`
// (also counted from the paragraph's first character).
struct ParagraphInsertion {
    int offset = 0;
    QString text;
    int caret = 0;
};
enum class MarkerKey { F1, F2 };
// F1/F2 on paragraph `paragraph` (without its line break); `isLast` says it is
// the last paragraph of the text. An empty paragraph becomes the marker; a
// non-empty one is followed by a new marker paragraph. The last paragraph
// also gets a line break after the marker, so the text ends with an empty
// line. The caret goes just after the marker.
ParagraphInsertion MarkerInsertion(const QString& paragraph, bool isLast, MarkerKey key);

// Text sizes of the size list, in list order.
struct TextSize {
    QString name;
    double points;
};
const std::vector<TextSize>& TextSizes();
inline constexpr int kDefaultSizeIndex = 2; // "小四", 12 points
// Height in twentieths of a point: the integer part of 22 × points. The text
// on screen is one tenth larger than the nominal size.
int TextHeightTwips(double points);
// The point size the text is shown with (TextHeightTwips / 20).
double ScreenPointSize(double points);

// The Chinese face names the program's font configuration provides as
// aliases of installed CJK fonts; "宋体" first.
const QStringList& AliasFaces();
// Faces offered in the face list: the alias faces, then the installed
// families in their order, without names beginning with "@" or with a letter
// from "A" to "Z" and without repeating a name. On Windows the Chinese names
// are installed families; here they come from fontconfig aliases, which the
// font enumeration does not list.
QStringList TextFaces(const QStringList& installedFamilies);
inline const QString kDefaultFace = QStringLiteral("宋体");

// Finding text. The search runs from `position` (the find position) towards
// the end (down) or towards the start (up); a hit is selected and the next
// search starts one character after it (down) or before it (up).
struct FindOptions {
    bool down = true;
    bool matchCase = true;
};
struct FindResult {
    int index = -1;              // start of the hit, -1 when none
    int nextPosition = 0;        // the find position for the next search
    bool reportNotFound = false; // the whole text was searched in vain
};
FindResult FindNext(const QString& text, const QString& needle, int position,
                    const FindOptions& options);

} // namespace textrules
