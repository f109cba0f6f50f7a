// The program takes no arguments: it finds its directory, sets up fonts,
// prompt and clock, and runs the application object.
#include "app/AppContext.h"
#include "app/CJyxApp.h"
#include "app/Clock.h"
#include "app/Prompt.h"
#include "ui/QtPrompt.h"

#include <QApplication>
#include <QFile>

#include <cstdlib>

namespace {
// For scripted runs (tests, demos): every message is appended to a file as
// "caption<TAB>text" and answered with its default, and no window opens for it.
class LoggingPrompt : public ScriptedPrompt {
public:
    explicit LoggingPrompt(QString path) : m_path(std::move(path)) {}
    Answer ask(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
               const QString& caption) override {
        QFile file(m_path);
        if (file.open(QIODevice::Append | QIODevice::Text))
            file.write((caption + '\t' + text + '\n').toUtf8());
        return ScriptedPrompt::ask(parent, text, buttons, icon, caption);
    }

private:
    QString m_path;
};
} // namespace

int main(int argc, char** argv) {
    const std::string dir = CJyxApp::ResolveProgramDir(argc > 0 ? argv[0] : nullptr);
    SetProgramDir(dir);
    CJyxApp::PrepareFonts(dir);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Jyx"));
    CJyxApp::ApplyDialogFont();

    SystemClock clock;
    InstallClock(&clock);
    QtPrompt qtPrompt;
    const char* logPath = std::getenv("JYX_PROMPT_LOG");
    LoggingPrompt logPrompt(QString::fromLocal8Bit(logPath ? logPath : ""));
    InstallPrompt(logPath && *logPath ? static_cast<Prompt*>(&logPrompt) : &qtPrompt);

    CJyxApp jyx;
    const int code = jyx.InitInstance(CJyxApp::DefaultCommands());
    InstallPrompt(nullptr);
    InstallClock(nullptr);
    return code;
}
