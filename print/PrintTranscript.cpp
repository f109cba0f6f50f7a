#include "print/PrintTranscript.h"

#include "app/AppContext.h"
#include "app/Database.h"
#include "print/CBlankDlg.h"
#include "print/CPrintDlg.h"
#include "print/PrintJob.h"
#include "print/PrintLines.h"

void RunTranscriptPrint(QWidget* editor, Database& db, const TranscriptPrintJob& job,
                        EditorLink toEditor, const std::function<void(CPrintDlg&)>& run) {
    const PrintFormat format = LoadPrintFormat(db);
    BuildPrintLines(job.text, format.font, format.isBlank, format.indent, format.fontSize);
    PrintDlgInput input;
    input.particulars = ParticularsOf(job.record, job.recordId,
                                      QString::fromStdString(Session().unitName), job.kindName);
    input.text = job.text;
    input.toEditor = std::move(toEditor);
    CPrintDlg dialog(editor, db, std::move(input));
    if (run)
        run(dialog);
    else
        dialog.exec();
}

void RunPrintSettings(QWidget* parent) {
    Database db(SystemDb());
    CPrintFormat dialog(parent, db);
    dialog.exec();
}

void RunBlankTranscript(QWidget* parent) {
    Database db(SystemDb());
    CBlankDlg dialog(parent, db);
    dialog.exec();
}
