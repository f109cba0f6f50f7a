// The question list of the editor's right panel: a grid whose row 0 is the
// header "根据模板内容，双击自动加入！" and whose later rows hold a template's
// questions, each with its answer text in a hidden column.
//
// How CJyxMakeDlg uses it:
//   questionList->attach(textEdit, answerList);
//   questionList->setKeywordFiller([this](const QString& t) { return FillKeywords(t); });
//   connect(questionList, &QuestionList::commonAnswersWanted, this,
//           [..] { answerList->setCommonAnswers(store.commonAnswers()); });
// "选择模板" builds the rows and calls setQuestions(rows); "套用当前模板" reads
// questions(). A click on a row shows the row's answer options in the answer
// list (showOptions); a double click inserts the question into the text and
// opens the answer picker (insertQuestion).
#pragma once

#include <QList>
#include <QString>
#include <QTableWidget>

#include <functional>

class AnswerList;
class TranscriptTextEdit;

struct QuestionRow {
    QString question;
    QString answer; // the answer text with its options (may be empty)
    int height = 0; // row height in pixels; 0 = the default 45
};

class QuestionList : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int kMarkerWidth = 18;
    static constexpr int kTextMargin = 38; // client width − this = question column
    static constexpr int kHeaderHeight = 30;
    static constexpr int kRowHeight = 45;
    static constexpr int kInitialRows = 20;
    // Questions already inserted are shown in this colour.
    static inline const QColor kUsedColour{137, 182, 184};

    explicit QuestionList(QWidget* parent = nullptr);

    void attach(TranscriptTextEdit* text, AnswerList* answers);
    // Fills the keywords of question and answer texts before they are used.
    // Without a filler the texts are used as they are.
    void setKeywordFiller(std::function<QString(const QString&)> filler);

    // Replaces rows 1… with `rows` (row 0 stays the header): the list becomes
    // rows.size() + 1 rows long, each row with its question text (shown,
    // word-wrapped), its answer text (hidden, raw: keywords are filled when
    // the row is used) and its height (0 = the default 45 pixels).
    void setQuestions(const QList<QuestionRow>& rows);
    // Rows 1… as they stand, with their current heights.
    QList<QuestionRow> questions() const;
    int questionCount() const; // rows below the header
    void clearAnswers();       // empties every answer text, keeps the questions

    // The actions of a click and a double click on row `row` (1…), also
    // callable directly.
    void showOptions(int row);
    void insertQuestion(int row);

signals:
    // A question without answer text was clicked or inserted: the answer list
    // should show the common answers.
    void commonAnswersWanted();
    void questionInserted(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void markRow(int row);
    void fitColumns();
    QString fill(const QString& text) const;

    TranscriptTextEdit* m_text = nullptr;
    AnswerList* m_answers = nullptr;
    std::function<QString(const QString&)> m_filler;
};
