#include "app/Prompt.h"

namespace {
Prompt*& installed() {
    static Prompt* prompt = nullptr;
    return prompt;
}
} // namespace

Prompt& Messages() {
    static ScriptedPrompt fallback;
    Prompt* p = installed();
    return p ? *p : fallback;
}

void InstallPrompt(Prompt* prompt) {
    installed() = prompt;
}

Prompt::Answer ScriptedPrompt::ask(QWidget*, const QString& text, Buttons buttons, Icon icon,
                                   const QString& caption) {
    m_shown.push_back({text, caption, buttons, icon});
    if (!m_answers.empty()) {
        Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
}

QString ScriptedPrompt::openFileName(QWidget*, const QString&, const QString& dir, const QString&) {
    m_dirs << dir;
    if (m_files.empty())
        return {};
    QString f = m_files.front();
    m_files.pop_front();
    return f;
}

QString ScriptedPrompt::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter) {
    return openFileName(parent, caption, dir, filter);
}

QStringList ScriptedPrompt::texts() const {
    QStringList out;
    for (const Shown& s : m_shown)
        out << s.text;
    return out;
}
