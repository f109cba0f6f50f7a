// The editor's two template commands, for CJyxMakeDlg's right panel. The
// simplest wiring, in DefaultEditorCommands():
//   c.chooseTemplate = ChooseTemplateForEditor;
//   c.applyTemplate = ApplyTemplateForEditor;
// The pieces, for an editor that wires them itself:
//
//   "选择模板":
//     if (auto rows = ChooseTemplate(this, db, [this](const QString& t) {
//             return FillKeywords(t, KeywordValuesOf(record(), unit)); },
//             m_templateDialogOpen, [this](const QString& name) { selectKindEntry(name); })) {
//         m_commonAnswers = rows->commonAnswers;
//     }
//   "套用当前模板":
//     ApplyCurrentTemplate(db, *questionList, *textEdit, *answerList,
//         [&](const QString& a) { return FillAnswerForApply(db, values, a, m_person); });
#pragma once

#include "transcript/TemplateQuestions.h"

#include <QList>

#include <functional>
#include <optional>

class AnswerList;
class CJyxMakeDlg;
class Database;
class QWidget;
class QuestionList;
class TranscriptTextEdit;
struct QuestionRow;

// Sets `dialogOpen` (it suppresses the periodic save) while the template
// manager runs in mode 1 and the picked template loads. After a pick: empties
// every answer of `list`, calls `selectKind` with the template's name, fills
// `list` with the template's rows (answers filled by `fill`) and returns them
// with the common answers. nullopt, with `list` untouched, when the manager
// was left with "退出" or the close button.
std::optional<LoadedTemplate> ChooseTemplate(QWidget* parent, Database& db, QuestionList& list,
                                             const TextFiller& fill, bool& dialogOpen,
                                             const std::function<void(const QString&)>& selectKind);

// Replaces the whole transcript text with the one made from the rows of
// `list` (each answer filled by `fillAnswer`), coloured, caret at the end, and
// shows the common answers in `answers`. A list without any question changes
// nothing.
void ApplyCurrentTemplate(Database& db, const QuestionList& list, TranscriptTextEdit& text,
                          AnswerList& answers, const TextFiller& fillAnswer);

// "选择模板" on an editor: its fields fill the keywords (also those of the
// question list's clicks), its session's flag is held while the manager runs,
// and the kind list selects the entry named like the template (without the
// kind's rules).
void ChooseTemplateForEditor(CJyxMakeDlg& editor);
// "套用当前模板" on an editor: answers filled from the person library (by the
// editor's ID number) and from its fields.
void ApplyTemplateForEditor(CJyxMakeDlg& editor);

QList<QuestionRow> ToQuestionRows(const QList<TemplateQuestion>& rows);
QList<TemplateQuestion> FromQuestionRows(const QList<QuestionRow>& rows);
