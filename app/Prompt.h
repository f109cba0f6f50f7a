// Every message box, question and file dialog of the program goes through
// this seam. The program installs the Qt implementation (ui/QtPrompt.h);
// tests install a ScriptedPrompt, queue answers and read what was said,
// without a modal loop.
#pragma once

#include "app/AppContext.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

class QWidget;

class Prompt {
public:
    enum class Icon { Information, Warning, Question, Error };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompt() = default;

    virtual Answer ask(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                       const QString& caption) = 0;
    // A file to open or to save; empty when the user cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;

    // A message with an OK button and the application title as caption.
    void show(QWidget* parent, const QString& text, Icon icon = Icon::Information,
              const QString& caption = QString::fromUtf8(kAppTitle)) {
        ask(parent, text, Buttons::Ok, icon, caption);
    }
    bool okCancel(QWidget* parent, const QString& text,
                  const QString& caption = QString::fromUtf8(kAppTitle)) {
        return ask(parent, text, Buttons::OkCancel, Icon::Question, caption) == Answer::Ok;
    }
    bool yesNo(QWidget* parent, const QString& text,
               const QString& caption = QString::fromUtf8(kAppTitle)) {
        return ask(parent, text, Buttons::YesNo, Icon::Question, caption) == Answer::Yes;
    }
};

// The process's prompt. Without an installed one, a ScriptedPrompt that
// answers every question with its default (OK / Yes) is used.
Prompt& Messages();
// The caller keeps the prompt alive while it is installed; nullptr uninstalls.
void InstallPrompt(Prompt* prompt);

// For tests: answers from a queue, remembers every text, caption and icon.
class ScriptedPrompt : public Prompt {
public:
    struct Shown {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
    };

    Answer ask(QWidget*, const QString& text, Buttons buttons, Icon icon,
               const QString& caption) override;
    QString openFileName(QWidget*, const QString&, const QString& dir, const QString&) override;
    QString saveFileName(QWidget*, const QString&, const QString& dir, const QString&) override;

    void queueAnswer(Answer a) { m_answers.push_back(a); }
    void queueFileName(const QString& name) { m_files.push_back(name); }

    const std::vector<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    QString lastText() const { return m_shown.empty() ? QString() : m_shown.back().text; }
    QStringList fileDialogDirs() const { return m_dirs; }
    void clear() { m_shown.clear(); }

private:
    std::vector<Shown> m_shown;
    std::deque<Answer> m_answers;
    std::deque<QString> m_files;
    QStringList m_dirs;
};
