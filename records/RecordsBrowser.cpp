#include "records/RecordsBrowser.h"

#include "transcript/CJyxMakeDlg.h"

namespace {

// An editor's saves refill the list of the browser that opened it.
QWidget* Watched(QWidget* parent, CJyxMakeDlg* editor) {
    if (auto* browser = qobject_cast<CJyxReachDlg*>(parent); browser && editor)
        QObject::connect(editor, &CJyxMakeDlg::recordSaved, browser, &CJyxReachDlg::refreshList);
    return editor;
}

} // namespace

ReachHooks ProgramReachHooks(const MainCommands& menu) {
    ReachHooks h;
    h.newEditor = [](QWidget* parent) -> QWidget* {
        auto* editor = new CJyxMakeDlg(parent);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        return Watched(parent, editor);
    };
    h.openEditor = [](QWidget* parent, const records::OpenRequest& r) -> QWidget* {
        return Watched(parent, OpenStoredTranscript(parent, r.id, r.mode));
    };
    h.printRecord = [](QWidget* parent, const records::OpenRequest& r) {
        PrintStoredTranscript(parent, r.id);
    };
    h.lawLookup = menu.lawLookup;
    h.addressManager = menu.addressManager;
    h.userManager = menu.userManager;
    h.printSettings = menu.printSettings;
    return h;
}

void RunRecordsBrowser(QWidget* parent, const MainCommands& menu) {
    CJyxReachDlg browser(ProgramReachHooks(menu), parent);
    browser.exec();
}
