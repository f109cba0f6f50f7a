// From a template to the editor's question list ("选择模板") and from the
// question list to the transcript text ("套用当前模板"). Plain functions: the
// editor hands in the keyword filling it wants and shows the results.
//
// A template is cut into lines at "\n", each trimmed before it is judged:
// a question line holds "询问人：" or "询问人:" (and no "被询问人" marker), an
// answer line holds "被询问人：" or "被询问人:", anything else continues the
// line before it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// One row of the question list below its header.
struct TemplateQuestion {
    QString question;
    QString answer; // the answer text with its options, keywords filled
    int height = 0; // row height in pixels; 0 = the list's default
    bool operator==(const TemplateQuestion&) const = default;
};

using TextFiller = std::function<QString(const QString&)>;

class TemplateStore;

// What the template manager hands to the editor after a pick: the template's
// group and name and the text its text area showed.
struct PickedTemplate {
    QString group;
    QString name;
    QString text;
};

// Height of a question row by the question line's GBK length: below 30 bytes
// 30 pixels, below 60 45, below 100 70, below 200 100, otherwise 150.
int QuestionRowHeight(const QString& line);

// The rows "选择模板" builds from a template's content. Each answer line (and
// every line that continues an answer) is filled by `fillAnswer` and appended
// to the answer text of the question above it; an answer line holding
// "要求回避" also becomes a row of its own. Lines before the first question
// line collect in the first row and are replaced by that question line; answer
// lines before any question belong to no row and are dropped.
QList<TemplateQuestion> BuildQuestionList(const QString& content, const TextFiller& fillAnswer);

// The whole transcript text "套用当前模板" makes from the rows: each question
// followed by an answer marker and its first answer option. `fillAnswer` fills
// each row's answer text before its options are taken. An answer text without
// any separator offers no option, so only the marker follows its question.
QString ApplyQuestionList(const QList<TemplateQuestion>& rows, const TextFiller& fillAnswer);

// The colour rule of the template manager's text area: a line holding an
// answer marker or "~D" is an answer line; otherwise a line holding a question
// marker is a question line; any other line continues the line above it (the
// first lines count as questions).
enum class TemplateLine { Question, Answer };
TemplateLine TemplateLineOf(const QString& line, TemplateLine above);

// The content of a template as "选择模板" uses it: the stored content, or the
// text the template manager handed over when the stored one is shorter than
// 2 GBK bytes (no row, or an empty template).
QString TemplateContentOrFallback(const QString& stored, const QString& handedOver);

// What "选择模板" loads after a pick: the question rows of the stored template
// (or of the handed text, see TemplateContentOrFallback), answers filled by
// `fill`, and the common answers for the editor's common-answer list.
struct LoadedTemplate {
    QList<TemplateQuestion> rows;
    QStringList commonAnswers;
};
LoadedTemplate LoadPickedTemplate(TemplateStore& store, const PickedTemplate& picked,
                                  const TextFiller& fill);
