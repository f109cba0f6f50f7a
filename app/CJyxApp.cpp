#include "app/CJyxApp.h"

#include "app/AppContext.h"
#include "app/CJyxAddressManager.h"
#include "app/CLoginDlg.h"
#include "app/CUserManagerDlg.h"
#include "app/Prompt.h"
#include "app/SingleInstance.h"
#include "net/ServerCommandCheck.h"
#include "print/PrintTranscript.h"
#include "records/RecordsBrowser.h"
#include "transcript/CJyxMakeDlg.h"
#include "transcript/CLawDlg.h"
#include "transcript/CModalDlg.h"

#include <QApplication>
#include <QFont>

#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string CJyxApp::ResolveProgramDir(const char* argv0) {
    if (const char* home = std::getenv("JYX_HOME"); home && *home)
        return home;
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || exe.empty())
        exe = std::filesystem::absolute(argv0 ? argv0 : "", error);
    std::string dir = exe.parent_path().string();
    return dir.empty() ? std::string(".") : dir;
}

void CJyxApp::PrepareFonts(const std::string& programDir) {
    if (std::getenv("FONTCONFIG_FILE"))
        return;
    const std::string conf = programDir + "/fonts/fonts.conf";
    if (std::filesystem::exists(conf))
        setenv("FONTCONFIG_FILE", conf.c_str(), 0);
}

void CJyxApp::ApplyDialogFont() {
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(13);
    QApplication::setFont(font);
}

namespace {
// The opener of a dialog that needs nothing but its parent.
template <class Dialog> void RunModal(QWidget* parent) {
    Dialog dialog(parent);
    dialog.exec();
}
} // namespace

MainCommands CJyxApp::DefaultCommands() {
    MainCommands commands;
    commands.serverCheck = [](QWidget* main) {
        StartServerCommandCheck(main, [main] { main->close(); });
    };
    commands.addressManager = RunModal<CJyxAddressManager>;
    commands.userManager = RunModal<CUserManagerDlg>;
    commands.newTranscript = RunNewTranscript;
    // The browser's menu runs the main window's commands, read when it opens.
    commands.myTranscripts = [](QWidget* parent) { RunRecordsBrowser(parent, DefaultCommands()); };
    commands.printSettings = RunPrintSettings;
    commands.blankTranscript = RunBlankTranscript;
    commands.templates = CModalDlg::RunManager;
    commands.lawLookup = [](QWidget* parent) {
        CLawDlg::RunModal(parent, QString::fromStdString(ProgramPath("法律")));
    };
    return commands;
}

int CJyxApp::InitInstance(const MainCommands& commands, const QString& lockDir) {
    SingleInstance instance(lockDir);
    if (!instance.acquire()) {
        Messages().show(nullptr, QStringLiteral("程序已经运行"), Prompt::Icon::Warning,
                        QStringLiteral("笔录系统"));
        return 1;
    }
    CLoginDlg login(commands);
    if (login.initialise())
        login.exec();
    return 0;
}
