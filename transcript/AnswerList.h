// The answer list of the editor's right panel: a grid whose row 0 is the
// header "常见回答内容，双击自动加入！" and whose later rows hold either the
// options of the clicked question or the common answers.
//
// How CJyxMakeDlg uses it: attach(textEdit) once. QuestionList fills it with a
// question's options (showAnswerOptions); the editor and "套用当前模板" put
// the common answers in with setCommonAnswers(list). A double click puts
// "被询问人:" + the answer into the text (TranscriptTextEdit::insertCommonAnswer).
#pragma once

#include <QString>
#include <QStringList>
#include <QTableWidget>

class TranscriptTextEdit;

class AnswerList : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int kMarkerWidth = 18;
    static constexpr int kRowHeight = 40;
    static constexpr int kCommonRowHeight = 30;
    static constexpr int kInitialRows = 20;

    explicit AnswerList(QWidget* parent = nullptr);

    void attach(TranscriptTextEdit* text);

    // The options of a question's answer text (keywords already filled): the
    // text is split as answers::SplitPieces says; the list gets max(2, number
    // of pieces) rows and the options go into rows 1, 2, … in order.
    void showAnswerOptions(const QString& answerText);
    // Options already split: max(2, count + 1) rows. Each option row is as
    // high as its GBK length asks (45 / 90 / 135 pixels).
    void setOptions(const QStringList& options);
    // Common answers (the pieces of the "回答" template): one per row, leading
    // white space removed, 30 pixels high; the list is as long as they are.
    void setCommonAnswers(const QStringList& answers);
    QStringList answers() const; // texts of rows 1…

    // The action of a double click on row `row` (1…), also callable directly.
    void insertAnswer(int row);

signals:
    void answerInserted(const QString& answer);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void markRow(int row);
    void resetRows(int count);
    void fillOptions(const QStringList& options, int rows);
    void fitColumns();

    TranscriptTextEdit* m_text = nullptr;
};
