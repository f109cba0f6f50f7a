#include "transcript/TextRules.h"

#include <cmath>

namespace textrules {

namespace {

bool HasAnswerMarker(const QString& p) {
    return p.contains(QStringLiteral("被询问人：")) || p.contains(QStringLiteral("被询问人:"));
}

bool HasQuestionMarker(const QString& p) {
    return p.contains(QStringLiteral("询问人：")) || p.contains(QStringLiteral("询问人:"));
}

} // namespace

Marker MarkerOf(const QString& paragraph) {
    if (HasAnswerMarker(paragraph))
        return Marker::Answer;
    if (HasQuestionMarker(paragraph))
        return Marker::Question;
    return Marker::None;
}

Speaker SpeakerOf(const QString& paragraph, Speaker above) {
    switch (MarkerOf(paragraph)) {
    case Marker::Answer:
        return Speaker::Answer;
    case Marker::Question:
        return Speaker::Question;
    case Marker::None:
        break;
    }
    return above;
}

std::vector<Speaker> Speakers(const QString& text) {
    std::vector<Speaker> result;
    Speaker current = Speaker::Question;
    for (const QString& p : text.split(QLatin1Char('\n'))) {
        current = SpeakerOf(p, current);
        result.push_back(current);
    }
    return result;
}

ParagraphInsertion MarkerInsertion(const QString& paragraph, bool isLast, MarkerKey key) {
    const QString& marker = key == MarkerKey::F1 ? kQuestionMarker : kAnswerMarker;
    const QString tail = isLast ? QStringLiteral("\n") : QString();
    if (paragraph.isEmpty())
        return {0, marker + tail, int(marker.size())};
    const int end = int(paragraph.size());
    return {end, QLatin1Char('\n') + marker + tail, end + 1 + int(marker.size())};
}

const std::vector<TextSize>& TextSizes() {
    static const std::vector<TextSize> sizes = {
        {QStringLiteral("小五"), 9},  {QStringLiteral("五号"), 10.5},
        {QStringLiteral("小四"), 12}, {QStringLiteral("四号"), 14},
        {QStringLiteral("小三"), 15}, {QStringLiteral("三号"), 15.75},
        {QStringLiteral("小二"), 18}, {QStringLiteral("二号"), 21},
        {QStringLiteral("小一"), 24}, {QStringLiteral("一号"), 27.5},
        {QStringLiteral("小初"), 36}, {QStringLiteral("初号"), 42},
    };
    return sizes;
}

int TextHeightTwips(double points) {
    return int(std::floor(22.0 * points + 1e-9));
}

double ScreenPointSize(double points) {
    return TextHeightTwips(points) / 20.0;
}

const QStringList& AliasFaces() {
    static const QStringList faces = {
        QStringLiteral("宋体"),     QStringLiteral("仿宋"),           QStringLiteral("黑体"),
        QStringLiteral("楷体"),     QStringLiteral("方正小标宋简体"), QStringLiteral("华文行楷"),
        QStringLiteral("微软雅黑"),
    };
    return faces;
}

QStringList TextFaces(const QStringList& installedFamilies) {
    QStringList faces = AliasFaces();
    for (const QString& family : installedFamilies) {
        if (family.isEmpty() || faces.contains(family))
            continue;
        const QChar first = family.front();
        if (first == QLatin1Char('@') || (first >= QLatin1Char('A') && first <= QLatin1Char('Z')))
            continue;
        faces << family;
    }
    return faces;
}

FindResult FindNext(const QString& text, const QString& needle, int position,
                    const FindOptions& options) {
    FindResult result;
    if (needle.isEmpty())
        return result;
    const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (options.down) {
        result.index = int(text.indexOf(needle, position, cs));
        if (result.index >= 0)
            result.nextPosition = result.index + 1;
    } else {
        // Upward: a hit must start before the find position; position 0 means
        // "from the end of the text".
        const qsizetype from = position > 0 ? position - 1 : -1;
        result.index =
            position == 0 && text.isEmpty() ? -1 : int(text.lastIndexOf(needle, from, cs));
        if (result.index >= 0)
            result.nextPosition = result.index;
    }
    if (result.index < 0)
        result.reportNotFound = position == 0;
    return result;
}

} // namespace textrules
