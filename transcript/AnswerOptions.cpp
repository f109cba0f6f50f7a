#include "transcript/AnswerOptions.h"

#include "text/TextCodec.h"

namespace answers {

namespace {

bool HasAnswerMarker(const QString& t) {
    return t.contains(QStringLiteral("被询问人：")) || t.contains(QStringLiteral("被询问人:"));
}

bool HasQuestionMarker(const QString& t) {
    return t.contains(QStringLiteral("询问人：")) || t.contains(QStringLiteral("询问人:"));
}

} // namespace

QStringList SplitPieces(const QString& answerText) {
    QString text = answerText;
    text.replace(QStringLiteral("~D"), QStringLiteral("*"));
    text.replace(QStringLiteral("被询问人："), QStringLiteral("*"));
    text.replace(QStringLiteral("被询问人:"), QStringLiteral("*"));
    return text.split(QLatin1Char('*'));
}

QStringList Options(const QString& answerText) {
    QStringList pieces = SplitPieces(answerText);
    QStringList options;
    for (qsizetype i = 1; i < pieces.size(); ++i)
        if (!pieces[i].isEmpty())
            options << pieces[i];
    return options;
}

int OptionRowHeight(const QString& option) {
    const std::size_t bytes = GbkLength(option.trimmed().toStdString());
    if (bytes < 80)
        return 45;
    if (bytes < 160)
        return 90;
    return 135;
}

bool IsMarkedQuestion(const QString& question) {
    return HasQuestionMarker(question) && !HasAnswerMarker(question);
}

bool IsRecordQuestion(const QString& question) {
    return question.contains(QStringLiteral("执法人员表明身份、出示证件及被询问人确认的记录"));
}

bool OpensPicker(const QString& question, const QString& answerText) {
    return !answerText.isEmpty() && !question.contains(QStringLiteral("要求回避"));
}

QString QuestionInsertion(const QString& q, const QString& caretParagraph, bool atParagraphStart) {
    const QString marker = QStringLiteral("被询问人：\n");
    const bool marked = IsMarkedQuestion(q);
    if (caretParagraph.trimmed().isEmpty()) {
        const bool asksAnswer = marked || (IsRecordQuestion(q) && !HasAnswerMarker(q));
        return q + QLatin1Char('\n') + (asksAnswer ? marker : QString());
    }
    if (atParagraphStart)
        return q + QLatin1Char('\n') + (marked ? marker : QString());
    if (marked)
        return QLatin1Char('\n') + q + QLatin1Char('\n') + marker;
    if (IsRecordQuestion(q))
        return q + QLatin1Char('\n');
    return QLatin1Char('\n') + q + QLatin1Char('\n');
}

QString ChosenAnswerText(const QString& chosen, const QString& answerParagraph) {
    if (!answerParagraph.contains(QStringLiteral("答：")) &&
        !answerParagraph.contains(QStringLiteral("答:")))
        return chosen;
    QString text = chosen;
    text.remove(QStringLiteral("答："));
    text.remove(QStringLiteral("答:"));
    return text;
}

QString CommonAnswerParagraph(const QString& answer) {
    return QStringLiteral("被询问人:") + answer;
}

bool IsReplaceableAnswerParagraph(const QString& paragraph) {
    const QString t = paragraph.trimmed();
    return t.isEmpty() || t == QStringLiteral("被询问人：") || t == QStringLiteral("被询问人:");
}

} // namespace answers
