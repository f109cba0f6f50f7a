// The answer list of the editor's right panel: a grid whose row 0 is the
// header "常见回答内容，双击自动加入！" and whose later rows hold either the
// options of the clicked question or the common answers.
//
// How CJyxMakeDlg uses it: attach(textEdit) once; QuestionList fills it with
// options (setOptions); the common-answer loader calls setCommonAnswers(list).
// A double click puts "被询问人:" + the answer into the text.
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

    // Options of a question (already split): max(2, count + 1) rows, each row
    // as high as its option's GBK length asks (45 / 90 / 135 pixels).
    void setOptions(const QStringList& options);
    // Common answers: one per row, leading white space removed, 30 pixels high.
    void setCommonAnswers(const QStringList& answers);
    QStringList answers() const;  // texts of rows 1…

    // The action of a double click on row `row` (1…), also callable directly.
    void insertAnswer(int row);

signals:
    void answerInserted(const QString& answer);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void markRow(int row);
    void resetRows(int count);
    void fitColumns();

    TranscriptTextEdit* m_text = nullptr;
};
