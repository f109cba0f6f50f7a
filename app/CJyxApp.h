// The application object: one running copy, the program directory, the
// fonts, the prompt and clock of the process, then the login dialog, inside
// which the whole session runs.
#pragma once

#include "app/CMainDlg.h"

#include <QString>

#include <string>

class CJyxApp {
public:
    // The program directory: $JYX_HOME when set, otherwise the directory of
    // the executable (`argv0` is the fallback when the system cannot say).
    static std::string ResolveProgramDir(const char* argv0);
    // Points fontconfig at the program's font aliases unless FONTCONFIG_FILE
    // is set already. Must run before the application object is created.
    static void PrepareFonts(const std::string& programDir);
    // The font of every control that sets none of its own: "微软雅黑" (a
    // shipped alias), so Chinese text does not fall back to whatever CJK font
    // the system would pick. Needs the QApplication.
    static void ApplyDialogFont();

    // The dialogs the main window opens; one line per dialog.
    static MainCommands DefaultCommands();

    // Needs the QApplication. Runs the login dialog and answers the process's
    // exit code: 0 after a session, 1 when another copy was already running.
    int InitInstance(const MainCommands& commands, const QString& lockDir = QString());
};
