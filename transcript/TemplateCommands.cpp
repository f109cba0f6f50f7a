#include "transcript/TemplateCommands.h"

#include "transcript/AnswerList.h"
#include "transcript/CModalDlg.h"
#include "transcript/QuestionList.h"
#include "transcript/TemplateStore.h"
#include "transcript/TranscriptTextEdit.h"

#include <algorithm>

std::optional<LoadedTemplate>
ChooseTemplate(QWidget* parent, Database& db, QuestionList& list, const TextFiller& fill,
               bool& dialogOpen, const std::function<void(const QString&)>& selectKind) {
    dialogOpen = true;
    std::optional<PickedTemplate> picked;
    {
        CModalDlg dlg(db, ModalMode::Choose, parent);
        if (dlg.exec() == QDialog::Accepted)
            picked = dlg.picked();
    }
    if (!picked) {
        dialogOpen = false;
        return std::nullopt;
    }
    list.clearAnswers();
    if (selectKind)
        selectKind(picked->name);
    TemplateStore store(db);
    LoadedTemplate loaded = LoadPickedTemplate(store, *picked, fill);
    list.setQuestions(ToQuestionRows(loaded.rows));
    dialogOpen = false;
    return loaded;
}

void ApplyCurrentTemplate(Database& db, const QuestionList& list, TranscriptTextEdit& text,
                          AnswerList& answers, const TextFiller& fillAnswer) {
    const QList<TemplateQuestion> rows = FromQuestionRows(list.questions());
    // Without any question (no template chosen yet) the command would only
    // wipe the officer's text.
    if (std::none_of(rows.begin(), rows.end(),
                     [](const TemplateQuestion& r) { return !r.question.isEmpty(); }))
        return;
    text.setTranscriptText(ApplyQuestionList(rows, fillAnswer));
    TemplateStore store(db);
    answers.setCommonAnswers(store.commonAnswers());
}

QList<QuestionRow> ToQuestionRows(const QList<TemplateQuestion>& rows) {
    QList<QuestionRow> out;
    for (const TemplateQuestion& r : rows)
        out.append(QuestionRow{r.question, r.answer, r.height});
    return out;
}

QList<TemplateQuestion> FromQuestionRows(const QList<QuestionRow>& rows) {
    QList<TemplateQuestion> out;
    for (const QuestionRow& r : rows)
        out.append(TemplateQuestion{r.question, r.answer, r.height});
    return out;
}
