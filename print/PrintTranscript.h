// The editor's "打印" once its checks passed and the transcript was saved:
// the text laid out with the print format into PrintLines and the print
// dialog run modally over the editor.
#pragma once

#include "print/CPrintFormat.h"
#include "transcript/TranscriptRecord.h"

#include <QString>

class Database;
class CPrintDlg;

struct TranscriptPrintJob {
    QString recordId;
    TranscriptRecord record; // particulars, officer details and text
    QString kindName;        // the kind list text; "询问笔录" when empty
    QString text;            // the text to lay out (already cut after the recusal question)
};

// Reads the print format ("select * from jyx_format", the last row wins),
// builds PrintLines from the job's text, and runs the print dialog modally
// with `editor` as its parent. `toEditor` receives 0 when the dialog opens
// (hide), 1 when it closes (show again) and 2 with the font size after the
// format was changed (re-lay out the text). `run` replaces the modal run in
// tests.
void RunTranscriptPrint(QWidget* editor, Database& db, const TranscriptPrintJob& job,
                        EditorLink toEditor, const std::function<void(CPrintDlg&)>& run = {});

// The main window's 打印设置: the print format dialog on the system database,
// opened with the default type.
void RunPrintSettings(QWidget* parent);
// The main window's 空白笔录: the blank-transcript dialog.
void RunBlankTranscript(QWidget* parent);
