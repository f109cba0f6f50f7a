// The single-line input dialog: a caption, one line of text, "确定" and
// "取消". The text stays readable after the dialog ended, whichever button
// ended it; callers decide whether a cancelled entry counts.
#pragma once

#include "text/FramedDialog.h"

class QLabel;
class QLineEdit;

class CInputDlg : public FramedDialog {
    Q_OBJECT
public:
    explicit CInputDlg(QWidget* parent = nullptr, const QString& title = QStringLiteral("请输入"),
                       const QString& label = QString());

    void setText(const QString& text);
    QString text() const;
    QLineEdit* edit() const { return m_edit; }

    // Runs the dialog modally; the entered text when "确定" ended it, else an
    // empty text.
    static QString ask(QWidget* parent, const QString& title, const QString& label);

private:
    QLabel* m_label = nullptr;
    QLineEdit* m_edit = nullptr;
};
