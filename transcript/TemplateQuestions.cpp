#include "transcript/TemplateQuestions.h"

#include "text/TextCodec.h"
#include "transcript/AnswerOptions.h"
#include "transcript/TemplateStore.h"
#include "transcript/TextRules.h"

#include <QStringList>

namespace {

const QString kAnswerMarker = QStringLiteral("被询问人：");
const QString kAnswerMarkerAscii = QStringLiteral("被询问人:");
const QString kQuestionMarker = QStringLiteral("询问人：");
const QString kAvoidance = QStringLiteral("要求回避");

std::size_t Bytes(const QString& text) {
    return GbkLength(text.toStdString());
}

bool IsQuestionLine(const QString& line) {
    return textrules::MarkerOf(line) == textrules::Marker::Question;
}

bool HasAnyMarker(const QString& text) {
    return textrules::MarkerOf(text) != textrules::Marker::None;
}

// Whether one of the last four GBK bytes of the text is a line break. GBK
// trail bytes never take the value of "\n", so only a real line break counts.
bool LineBreakNearEnd(const QString& text) {
    const std::string gbk = Utf8ToAnsi(text.toStdString());
    const std::size_t from = gbk.size() > 4 ? gbk.size() - 4 : 0;
    return gbk.find('\n', from) != std::string::npos;
}

// Piece 1 of an answer text: its first option (possibly empty).
QString FirstOption(const QString& answer) {
    const QStringList pieces = answers::SplitPieces(answer);
    return pieces.size() > 1 ? pieces[1] : QString();
}

// The rows under construction; index 0 stands for the list's header row,
// whose answer text nothing reads.
class RowBuilder {
public:
    explicit RowBuilder(const TextFiller& fill) : m_fill(fill) {}

    void add(const QString& line) {
        if (line.isEmpty() || line == kAnswerMarker || line == kAnswerMarkerAscii)
            return;
        switch (textrules::MarkerOf(line)) {
        case textrules::Marker::Question:
            row(m_n) = {line, QString(), QuestionRowHeight(line)};
            ++m_n;
            m_inAnswer = false;
            break;
        case textrules::Marker::Answer:
            if (line.contains(kAvoidance)) {
                row(m_n) = {line, QString(), 0};
                ++m_n;
            }
            appendAnswer(line);
            m_inAnswer = true;
            break;
        case textrules::Marker::None:
            if (m_inAnswer) {
                appendAnswer(line);
            } else if (m_n > 1) {
                row(m_n - 1).question += QLatin1Char('\n') + line;
            } else {
                QString& first = row(1).question;
                first = first.isEmpty() ? line : first + QLatin1Char('\n') + line;
            }
            break;
        }
    }

    QList<TemplateQuestion> rows() const {
        // The list ends n + 1 rows long; its last row goes when its question
        // is empty.
        QList<TemplateQuestion> out = m_rows.mid(1, m_n);
        while (out.size() < m_n)
            out.append(TemplateQuestion{});
        if (!out.isEmpty() && out.back().question.isEmpty())
            out.removeLast();
        return out;
    }

private:
    TemplateQuestion& row(int i) {
        while (m_rows.size() <= i)
            m_rows.append(TemplateQuestion{});
        return m_rows[i];
    }
    void appendAnswer(const QString& line) {
        if (m_n > 1)
            row(m_n - 1).answer += m_fill ? m_fill(line) : line;
    }

    const TextFiller& m_fill;
    QList<TemplateQuestion> m_rows;
    int m_n = 1;
    bool m_inAnswer = false;
};

} // namespace

int QuestionRowHeight(const QString& line) {
    const std::size_t bytes = Bytes(line);
    if (bytes < 30)
        return 30;
    if (bytes < 60)
        return 45;
    if (bytes < 100)
        return 70;
    if (bytes < 200)
        return 100;
    return 150;
}

QList<TemplateQuestion> BuildQuestionList(const QString& content, const TextFiller& fillAnswer) {
    RowBuilder builder(fillAnswer);
    for (const QString& line : content.split(QLatin1Char('\n')))
        builder.add(line.trimmed());
    return builder.rows();
}

QString ApplyQuestionList(const QList<TemplateQuestion>& rows, const TextFiller& fillAnswer) {
    QString text;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QString q = rows[r].question;
        const QString a = fillAnswer ? fillAnswer(rows[r].answer) : rows[r].answer;
        const QString first = a.isEmpty() ? QString() : FirstOption(a);
        if (q.isEmpty())
            continue;
        if (!HasAnyMarker(q))
            q = kQuestionMarker + q;
        if (r == 0) {
            if (a.isEmpty())
                q += QLatin1Char('\n') + kAnswerMarker;
            else if (!q.contains(kAvoidance))
                q += QLatin1Char('\n') + kAnswerMarker + first;
            text += q;
            continue;
        }
        if (IsQuestionLine(q)) {
            q += LineBreakNearEnd(q) ? kAnswerMarker : QLatin1Char('\n') + kAnswerMarker;
            if (!a.isEmpty())
                q += first;
        }
        if (q != kAnswerMarker)
            text +=
                QLatin1Char('\n') + q + (r == rows.size() - 1 ? QStringLiteral("\n") : QString());
    }
    return text;
}

TemplateLine TemplateLineOf(const QString& line, TemplateLine above) {
    if (line.contains(QStringLiteral("~D")))
        return TemplateLine::Answer;
    switch (textrules::MarkerOf(line)) {
    case textrules::Marker::Answer:
        return TemplateLine::Answer;
    case textrules::Marker::Question:
        return TemplateLine::Question;
    case textrules::Marker::None:
        break;
    }
    return above;
}

QString TemplateContentOrFallback(const QString& stored, const QString& handedOver) {
    return Bytes(stored) < 2 ? handedOver : stored;
}

LoadedTemplate LoadPickedTemplate(TemplateStore& store, const PickedTemplate& picked,
                                  const TextFiller& fill) {
    const TemplateText stored = store.read(picked.group, picked.name);
    LoadedTemplate loaded;
    loaded.rows = BuildQuestionList(TemplateContentOrFallback(stored.content, picked.text), fill);
    loaded.commonAnswers = store.commonAnswers();
    return loaded;
}
