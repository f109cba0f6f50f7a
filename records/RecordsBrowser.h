// The records browser as the program runs it: its editors are transcript
// editors (CJyxMakeDlg) that refresh the list when they save, and its menu
// runs the main window's management commands.
#pragma once

#include "app/CMainDlg.h"
#include "records/CJyxReachDlg.h"

ReachHooks ProgramReachHooks(const MainCommands& menu);
// The main window's 我的笔录: the browser, run modally.
void RunRecordsBrowser(QWidget* parent, const MainCommands& menu);
