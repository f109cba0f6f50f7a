// The answer picker: a borderless popup beside the inserted question, holding
// the question's answer options in a list. Choosing an entry keeps its text as
// the chosen answer, emits answerChosen (the editor's "answer chosen" message)
// and hides the picker.
//
// The text area (TranscriptTextEdit) owns the picker, creates it on first use,
// fills and places it after a question insertion and inserts the chosen answer.
// CJyxMakeDlg only needs textEdit->hideAnswerPicker() (for example before
// printing); the picker also hides when the text area loses the focus.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QListWidgetItem;

// Message number the picker used between windows; kept for reference by
// peers that log or forward editor messages.
inline constexpr int kWmAnswerChosen = 0x0400 + 104;

class CJyxAnswerDlg : public QDialog {
    Q_OBJECT
public:
    explicit CJyxAnswerDlg(QWidget* parent = nullptr);

    // Options from an answer text (split as the answer options rule says).
    void setOptions(const QString& answerText);
    void setOptionList(const QStringList& options);
    QStringList options() const;

    void showAt(const QPoint& globalPos);
    QString chosenAnswer() const { return m_chosen; }

    // Chooses entry `index` as a click on it would.
    void choose(int index);

signals:
    void answerChosen(const QString& answer);

private:
    QListWidget* m_list = nullptr;
    QString m_chosen;
};
