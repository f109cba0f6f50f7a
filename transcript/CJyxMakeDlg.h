// The transcript editor: the particulars of the interview in the left panel,
// the question-and-answer text in the middle, question templates and common
// answers in the right panel. The decisions live in EditorSession and the
// stores; this window reads its controls into a TranscriptRecord and back.
//
// Openers:
//   RunNewTranscript(parent)                     the main window's 新建笔录 (modal)
//   OpenStoredTranscript(parent, id, mode)       the records browser's 修改 / 再次询问
//   PrintStoredTranscript(parent, id)            the records browser's 打印
//   new CJyxMakeDlg(parent) + show()             the records browser's 新建
#pragma once

#include "app/AppContext.h"
#include "app/Database.h"
#include "text/FramedDialog.h"
#include "transcript/EditorSession.h"

#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <map>

class AnswerList;
class CLawDlg;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class QuestionList;
class TextToolbar;
class TranscriptTextEdit;
class CJyxMakeDlg;
class CardProgramLink;
class CardReadSession;
class ReadAloud;
struct IdCardFields;

// What the print dialog receives from "打印" once the interview has ended and
// the transcript was saved.
struct EditorPrintJob {
    QString recordId;
    bool openedForPrinting = false;
    DateTimeParts start, end;
    TranscriptRecord record; // every field and officer detail
    QString kindName;        // the kind list text, or "询问笔录"
    QString text;            // PrintableText() of the transcript text
    QString face;            // print face and size: those of the text area
    double points = 12.0;
};

// Where the editor's commands lead. An action left empty shows its command
// disabled. DefaultEditorCommands() names the dialogs of the program.
struct EditorCommands {
    using Action = std::function<void(CJyxMakeDlg& editor)>;
    Action readCard;       // "读卡"
    Action family;         // "家庭", after the silent save of a new transcript
    Action chooseTemplate; // "选择模板"
    Action applyTemplate;  // "套用当前模板"
    Action lawLookup;      // "法规查询"
    Action placeManager;   // "管理" and "笔录地址管理"; the place list is reloaded after
    Action userManager;    // "询问人管理"
    Action printSettings;  // "打印设置"
    // "打印": lays the job out and runs the print dialog.
    std::function<void(CJyxMakeDlg& editor, const EditorPrintJob& job)> print;
    // Asks the record server for the heading template of (type, kind) and
    // calls back on the editor's thread, never after the editor is gone.
    std::function<void(QObject* editor, const QString& type, const QString& kind,
                       std::function<void(const QString&)> onTemplate)>
        fetchHeadingTemplate;
};
EditorCommands DefaultEditorCommands();

// The elapsed-time button: a click and a double click mean different things.
class ClockButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    void setLit(bool lit);
signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class CJyxMakeDlg : public FramedDialog {
    Q_OBJECT
public:
    explicit CJyxMakeDlg(QWidget* parent = nullptr, const QString& initialText = {},
                         EditorCommands commands = DefaultEditorCommands(),
                         CDBConnection& connection = SystemDb());
    ~CJyxMakeDlg() override;

    // Opens the stored transcript `id` in `mode` (fills every field, applies
    // its kind). False, changing nothing, when there is no such row.
    bool loadRecord(const QString& id, EditorMode mode);

    // The particulars and text as the controls hold them now, and back.
    TranscriptRecord record() const;
    void setRecord(const TranscriptRecord& r);

    EditorSession& session() { return m_session; }
    const QString& kindName() const { return m_kindName; }
    TranscriptTextEdit* textEdit() const { return m_text; }
    TextToolbar* textTools() const { return m_tools; }
    QuestionList* questionList() const { return m_questions; }
    AnswerList* answerList() const { return m_answers; }
    bool leftCollapsed() const { return m_leftCollapsed; }
    bool rightCollapsed() const { return m_rightCollapsed; }
    // The picture the photo frame shows.
    QString photoPath() const { return m_photoPath; }
    void setCardPhotoPath(const QString& path);

public slots:
    // Save(announce): true when the transcript was stored.
    bool save(bool announce = true);
    void periodicSave();
    void endAndPrint();
    void startInterview();
    // The kind list's text becomes the kind; fields, title and the heading
    // template follow it.
    void applyKind();
    void toggleLeftPanel();
    void toggleRightPanel();
    void clockClicked();
    void clockDoubleClicked();
    void clockTick();
    void sameAsAbove();
    void managePlaces();
    // Closing by the close button: saves or asks as needed; false when the
    // editor stays open.
    bool closeEditor();
    // The print dialog hands the editor back: its face and size become the
    // text's, both panels open, and the editor shows again.
    void returnFromPrint(const QString& face, double points);
    // "法规查询": the law lookup, created on first use and kept; an excerpt
    // it sends goes into the text at the caret.
    void showLawLookup();
    // "读卡": a card read on the reader when it is ready.
    void readCard();
    // Stops any reading aloud (closing, "停止朗读").
    void stopReading();

signals:
    // A transcript was saved (the records browser refreshes its list).
    void recordSaved(const QString& recordId);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildWindow();
    QWidget* buildLeftPanel();
    QWidget* buildRightPanel();
    QWidget* buildCommandRow();
    QGroupBox* buildBasicGroup();
    QGroupBox* buildPersonGroup();
    QLineEdit* addEdit(const char* name);
    QComboBox* addCombo(const char* name, const QStringList& items, bool editable);
    QLabel* addLabel(const char* name, const char* caption);
    void showField(QWidget* field, QLabel* label, bool shown);
    void fillLists();
    void fillKinds();
    void fillOfficers();
    void fillPlaces();
    void lookupOfficer(QComboBox* box, OfficerDetails& details);
    void updatePhoto();
    void updateClock();
    void syncClock(EditorClock::Change change);
    void onHeadingTemplate(const QString& text);
    void runAction(const EditorCommands::Action& action);
    void enableCommand(QWidget* w, bool available);
    void showPopupMenu();
    void finishClose();
    void takeLawExcerpt();
    void attachDevices();
    void applyCard(const IdCardFields& card);
    void onIdNumberChanged(const QString& text);
    ReadAloud& reader();

    Database m_db;
    EditorContext m_context;
    EditorSession m_session;
    EditorCommands m_commands;
    QString m_kindName;
    QString m_photoPath;
    OfficerDetails m_asker1, m_asker2, m_recorder;
    TranscriptRecord m_stored; // what loadRecord read (type and mark are kept)
    EditorClock m_clockBeforeClick;
    bool m_leftCollapsed = false;
    bool m_rightCollapsed = false;
    bool m_filling = false;
    bool m_closed = false;
    bool m_periodicFailureShown = false;
    // Fields hidden by the editor's rules stay hidden when their panel opens.
    std::map<QWidget*, bool> m_shown;

    QTimer m_clockTimer;  // timer 1: the interview clock
    QTimer m_saveTimer;   // timer 2: the periodic save
    QTimer m_readerTimer; // timer 3: re-arms the card reader
    CardReadSession* m_cardSession = nullptr;
    CardProgramLink* m_cardLink = nullptr;
    ReadAloud* m_readAloud = nullptr; // created by the first reading

    QWidget* m_left = nullptr;
    QWidget* m_right = nullptr;
    QPushButton* m_leftToggle = nullptr;
    QPushButton* m_rightToggle = nullptr;
    ClockButton* m_clock = nullptr;
    TranscriptTextEdit* m_text = nullptr;
    TextToolbar* m_tools = nullptr;
    QuestionList* m_questions = nullptr;
    AnswerList* m_answers = nullptr;
    QLabel* m_photo = nullptr;
    QLabel* m_status = nullptr; // when the transcript was last saved
    QToolButton* m_minimise = nullptr;
    QPointer<CLawDlg> m_law;

    QComboBox* m_personType = nullptr;
    QComboBox* m_kind = nullptr;
    QLineEdit* m_caseNumber = nullptr;
    QLineEdit* m_times = nullptr;
    QLineEdit* m_startTime = nullptr;
    QLineEdit* m_endTime = nullptr;
    QComboBox* m_place = nullptr;
    QComboBox* m_askName1 = nullptr;
    QComboBox* m_askName2 = nullptr;
    QComboBox* m_recordName = nullptr;
    QLineEdit* m_people = nullptr;
    QComboBox* m_documentType = nullptr;
    QLineEdit* m_idNumber = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_sex = nullptr;
    QLineEdit* m_age = nullptr;
    QDateEdit* m_birthday = nullptr;
    QComboBox* m_nation = nullptr;
    QComboBox* m_education = nullptr;
    QComboBox* m_political = nullptr;
    QComboBox* m_nationality = nullptr;
    QLineEdit* m_telephone = nullptr;
    QLineEdit* m_formerName = nullptr;
    QLineEdit* m_nickname = nullptr;
    QLineEdit* m_birthAddress = nullptr;
    QLineEdit* m_nowAddress = nullptr;
    QLineEdit* m_workUnit = nullptr;
    QLineEdit* m_job = nullptr;
    QComboBox* m_workYears = nullptr;
    QLineEdit* m_guardian = nullptr;
    QLineEdit* m_guardianAddress = nullptr;
    QLineEdit* m_term = nullptr;
    QLineEdit* m_charge = nullptr;
    QLineEdit* m_relation = nullptr;
    std::map<QWidget*, QLabel*> m_labels; // the caption of each field
};

// The main window's 新建笔录: the type "烟草局笔录", the kind "询问笔录", and
// the editor run modally.
void RunNewTranscript(QWidget* parent);
// The records browser's 修改 and 再次询问: the heading template of
// ("行政笔录", the record's kind), the record's type as the current type, and
// a modeless editor owned by `parent`, filled and shown. nullptr when the row
// does not exist.
CJyxMakeDlg* OpenStoredTranscript(QWidget* parent, const QString& id, EditorMode mode,
                                  CDBConnection& connection = SystemDb());
// The records browser's 打印: a hidden editor filled with the record runs
// its end-and-print and is closed again.
void PrintStoredTranscript(QWidget* parent, const QString& id,
                           CDBConnection& connection = SystemDb());
