#include "transcript/TemplateCommands.h"

#include "app/AppContext.h"
#include "transcript/AnswerList.h"
#include "transcript/CJyxMakeDlg.h"
#include "transcript/CModalDlg.h"
#include "transcript/Keywords.h"
#include "transcript/QuestionList.h"
#include "transcript/TemplateStore.h"
#include "transcript/TranscriptTextEdit.h"

#include <QComboBox>

#include <algorithm>

namespace {

KeywordValues EditorValues(const CJyxMakeDlg& editor) {
    return KeywordValuesOf(editor.record(), QString::fromStdString(Session().unitName));
}

} // namespace

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

void ChooseTemplateForEditor(CJyxMakeDlg& editor) {
    QuestionList& list = *editor.questionList();
    const auto fill = [&editor](const QString& t) { return FillKeywords(t, EditorValues(editor)); };
    list.setKeywordFiller(fill);
    const auto selectKind = [&editor](const QString& name) {
        auto* kinds = editor.findChild<QComboBox*>(QStringLiteral("kindList"));
        if (!kinds)
            return;
        const int index = kinds->findText(name, Qt::MatchExactly);
        if (index < 0)
            return;
        const QSignalBlocker block(kinds);
        kinds->setCurrentIndex(index);
    };
    Database db(SystemDb());
    ChooseTemplate(&editor, db, list, fill, editor.session().templateDialogOpen, selectKind);
}

void ApplyTemplateForEditor(CJyxMakeDlg& editor) {
    Database db(SystemDb());
    PersonInfo person;
    const KeywordValues values = EditorValues(editor);
    ApplyCurrentTemplate(
        db, *editor.questionList(), *editor.textEdit(), *editor.answerList(),
        [&](const QString& a) { return FillAnswerForApply(db, values, a, person); });
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
