#include "transcript/CJyxMakeDlg.h"

#include "app/CJyxAddressManager.h"
#include "app/CUserManagerDlg.h"
#include "app/Clock.h"
#include "app/Prompt.h"
#include "devices/CFamilyDlg.h"
#include "devices/CardProgramLink.h"
#include "devices/CardReadSession.h"
#include "devices/EspeakVoice.h"
#include "devices/IdNumberRules.h"
#include "devices/QtPcmOutput.h"
#include "devices/ReadAloud.h"
#include "devices/ReadAloudMenu.h"
#include "net/HeadingTemplateFetch.h"
#include "print/PrintFormat.h"
#include "print/PrintLines.h"
#include "print/PrintTranscript.h"
#include "transcript/AnswerList.h"
#include "transcript/CLawDlg.h"
#include "transcript/Keywords.h"
#include "transcript/QuestionList.h"
#include "transcript/TemplateCommands.h"
#include "transcript/TemplateStore.h"
#include "transcript/TextToolbar.h"
#include "transcript/TranscriptKinds.h"
#include "transcript/TranscriptTextEdit.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kClockMs = 1000;
constexpr int kPeriodicSaveMs = 120000;
constexpr int kReaderMs = 4000;
constexpr int kLeftWidth = 400;
constexpr int kRightWidth = 380;
constexpr int kTextGap = 21; // between the text area and the next panel or edge

QString U(const char* s) {
    return QString::fromUtf8(s);
}

QString NowMinutes() {
    return FormatDateTimeNoSeconds(CurrentClock().now());
}

EditorContext ContextFromSession() {
    const SessionValues& s = Session();
    return {QString::fromStdString(s.loginName), QString::fromStdString(s.officerName),
            QString::fromStdString(s.unitName), QString::fromStdString(s.transcriptType),
            QString::fromStdString(ProgramDir())};
}

// An editable combo box shows its text; selecting the matching entry keeps
// the list and the text in step.
void SetComboText(QComboBox* box, const QString& text) {
    const int i = box->findText(text);
    if (i >= 0)
        box->setCurrentIndex(i);
    else if (box->isEditable())
        box->setEditText(text);
    else
        box->setCurrentIndex(-1);
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(U(caption), parent);
    b->setObjectName(U(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

void ClockButton::setLit(bool lit) {
    setStyleSheet(lit ? "QPushButton { background: rgb(255, 200, 60); font-weight: 600; }"
                      : "QPushButton { font-weight: 600; }");
}

void ClockButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // Not passed on: the button would take it as a second press and click.
    event->accept();
    emit doubleClicked();
}

CJyxMakeDlg::CJyxMakeDlg(QWidget* parent, const QString& initialText, EditorCommands commands,
                         CDBConnection& connection)
    : FramedDialog(parent, AllPieces), m_db(connection), m_context(ContextFromSession()),
      m_session(m_db, m_context), m_commands(std::move(commands)) {
    // The name outside programs address the editor by (the card-reader
    // program's messages); the title band carries the visible title.
    setObjectName(QStringLiteral("JyxMakeDlg"));
    buildWindow();
    if (IsSpecialUnit(m_context.unitName))
        showField(m_relation, m_labels[m_relation], true);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        setGeometry(area);
    }
    setTitleText(EditorTitle(m_context.transcriptType, m_kindName));

    m_text->setTranscriptText(initialText);
    m_startTime->setText(NowMinutes());
    m_endTime->clear();
    fillLists();
    m_leftCollapsed = true;
    toggleLeftPanel();
    m_rightCollapsed = false;
    toggleRightPanel();

    m_saveTimer.setInterval(kPeriodicSaveMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &CJyxMakeDlg::periodicSave);
    m_saveTimer.start();

    fillKinds();
    applyKind();
    // Enabled later only by a kind that asks for them.
    m_people->setEnabled(false);
    m_guardian->setEnabled(false);
    m_guardianAddress->setEnabled(false);
    fillOfficers();
    m_times->setText(QStringLiteral("1"));
    fillPlaces();

    m_readerTimer.setInterval(kReaderMs);
    m_readerTimer.start();
    attachDevices();
    m_clockTimer.setInterval(kClockMs);
    connect(&m_clockTimer, &QTimer::timeout, this, &CJyxMakeDlg::clockTick);

    QTextCursor cursor = m_text->textCursor();
    cursor.setPosition(initialText.isEmpty() ? 0 : cursor.document()->characterCount() - 1);
    m_text->setTextCursor(cursor);
    m_text->setFocus();
    EnsureTypeTable(m_db);
    updatePhoto();
    updateClock();
    m_session.markSaved(record());
}

CJyxMakeDlg::~CJyxMakeDlg() {
    m_session.cleanUp();
}

// ---------------------------------------------------------------- window

void CJyxMakeDlg::buildWindow() {
    auto* rows = bodyLayout();
    rows->setContentsMargins(8, 4, 8, 8);
    rows->addWidget(buildCommandRow());

    auto* columns = new QHBoxLayout;
    columns->setSpacing(0);
    m_left = buildLeftPanel();
    columns->addWidget(m_left);
    columns->addSpacing(kTextGap);

    m_leftToggle = Button(body(), "leftToggle", "<");
    m_rightToggle = Button(body(), "rightToggle", ">");
    for (QPushButton* b : {m_leftToggle, m_rightToggle}) {
        b->setFixedWidth(16);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
    connect(m_leftToggle, &QPushButton::clicked, this, &CJyxMakeDlg::toggleLeftPanel);
    connect(m_rightToggle, &QPushButton::clicked, this, &CJyxMakeDlg::toggleRightPanel);

    auto* centre = new QVBoxLayout;
    m_text = new TranscriptTextEdit(body());
    m_text->setObjectName("transcriptText");
    m_tools = new TextToolbar(body());
    m_tools->setObjectName("textTools");
    m_tools->attach(m_text);
    centre->addWidget(m_tools);
    auto* textRow = new QHBoxLayout;
    textRow->setSpacing(2);
    textRow->addWidget(m_leftToggle);
    textRow->addWidget(m_text, 1);
    textRow->addWidget(m_rightToggle);
    centre->addLayout(textRow, 1);
    columns->addLayout(centre, 1);

    columns->addSpacing(kTextGap);
    m_right = buildRightPanel();
    columns->addWidget(m_right);
    rows->addLayout(columns, 1);

    m_questions->attach(m_text, m_answers);
    m_answers->attach(m_text);

    m_minimise = new QToolButton(this);
    m_minimise->setObjectName("frameMinimise");
    m_minimise->setText(QStringLiteral("—"));
    m_minimise->setToolTip(QStringLiteral("最小化"));
    m_minimise->setFixedSize(30, 30);
    m_minimise->setFocusPolicy(Qt::NoFocus);
    m_minimise->setStyleSheet("QToolButton { border: none; background: transparent; color: white;"
                              " font-size: 18px; }"
                              "QToolButton:hover { background: rgba(255,255,255,60); }");
    connect(m_minimise, &QToolButton::clicked, this, &QWidget::showMinimized);
}

QWidget* CJyxMakeDlg::buildCommandRow() {
    auto* row = new QWidget(body());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 4);
    auto* saveButton = Button(row, "saveButton", "保存");
    auto* printButton = Button(row, "printButton", "打印");
    auto* startButton = Button(row, "startButton", "开始问话");
    m_clock = new ClockButton(row);
    m_clock->setObjectName("clockButton");
    m_clock->setMinimumWidth(150);
    m_clock->setAutoDefault(false);
    auto* lawButton = Button(row, "lawButton", "法规查询");
    auto* menuButton = Button(row, "menuButton", "菜单>");
    m_status = new QLabel(row);
    m_status->setObjectName("saveStatus");
    m_status->setStyleSheet("color: rgb(90, 90, 90);");
    for (QWidget* w : {static_cast<QWidget*>(saveButton), static_cast<QWidget*>(printButton),
                       static_cast<QWidget*>(startButton), static_cast<QWidget*>(m_clock),
                       static_cast<QWidget*>(lawButton)})
        layout->addWidget(w);
    layout->addWidget(m_status, 1);
    layout->addWidget(menuButton);

    connect(saveButton, &QPushButton::clicked, this, [this] { save(true); });
    connect(printButton, &QPushButton::clicked, this, &CJyxMakeDlg::endAndPrint);
    connect(startButton, &QPushButton::clicked, this, &CJyxMakeDlg::startInterview);
    connect(m_clock, &QPushButton::clicked, this, &CJyxMakeDlg::clockClicked);
    connect(m_clock, &ClockButton::doubleClicked, this, &CJyxMakeDlg::clockDoubleClicked);
    connect(lawButton, &QPushButton::clicked, this, [this] { runAction(m_commands.lawLookup); });
    connect(menuButton, &QPushButton::clicked, this, &CJyxMakeDlg::showPopupMenu);
    enableCommand(printButton, bool(m_commands.print));
    enableCommand(lawButton, bool(m_commands.lawLookup));
    return row;
}

QLineEdit* CJyxMakeDlg::addEdit(const char* name) {
    auto* e = new QLineEdit;
    e->setObjectName(U(name));
    return e;
}

QComboBox* CJyxMakeDlg::addCombo(const char* name, const QStringList& items, bool editable) {
    auto* c = new QComboBox;
    c->setObjectName(U(name));
    c->setEditable(editable);
    c->addItems(items);
    c->setMaxVisibleItems(20);
    return c;
}

QLabel* CJyxMakeDlg::addLabel(const char* name, const char* caption) {
    auto* l = new QLabel(U(caption));
    l->setObjectName(U(name));
    return l;
}

QGroupBox* CJyxMakeDlg::buildBasicGroup() {
    auto* group = new QGroupBox(QStringLiteral("笔录基本信息"));
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(4);
    int row = 0;
    auto put = [&](QWidget* field, const char* labelName, const char* caption,
                   QWidget* extra = nullptr) {
        QLabel* label = addLabel(labelName, caption);
        m_labels[field] = label;
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1, 1, extra ? 1 : 2);
        if (extra)
            grid->addWidget(extra, row, 2);
        ++row;
    };
    m_personType = addCombo("personType", editor_lists::PersonTypes(), false);
    m_kind = addCombo("kindList", {}, false);
    m_caseNumber = addEdit("caseNumber");
    m_times = addEdit("times");
    m_startTime = addEdit("startTime");
    m_endTime = addEdit("endTime");
    m_place = addCombo("place", {}, true);
    m_askName1 = addCombo("askName1", {}, true);
    m_askName2 = addCombo("askName2", {}, true);
    m_recordName = addCombo("recordName", {}, true);
    m_people = addEdit("people");
    auto* placeButton = Button(group, "placeButton", "管理");
    enableCommand(placeButton, bool(m_commands.placeManager));
    connect(placeButton, &QPushButton::clicked, this, &CJyxMakeDlg::managePlaces);

    put(m_personType, "personTypeLabel", "人员类型：");
    put(m_kind, "kindLabel", "笔录格式：");
    put(m_caseNumber, "caseNumberLabel", "案件案号：");
    put(m_times, "timesLabel", "次数：");
    put(m_startTime, "startTimeLabel", "开始时间：", new QLabel(QStringLiteral("(询问开始)")));
    put(m_endTime, "endTimeLabel", "结束时间：", new QLabel(QStringLiteral("(询问结束)")));
    put(m_place, "placeLabel", "询问地点：", placeButton);
    put(m_askName1, "askName1Label", "询问人1：");
    put(m_askName2, "askName2Label", "询问人2：");
    put(m_recordName, "recordNameLabel", "记录人：");
    put(m_people, "peopleLabel", "到场人：");
    grid->setColumnStretch(1, 1);

    m_personType->setCurrentIndex(0);
    showField(m_personType, m_labels[m_personType], false);
    showField(m_kind, m_labels[m_kind], false);
    showField(m_people, m_labels[m_people], false);
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            applyKind();
    });
    connect(m_askName1, &QComboBox::currentTextChanged, this,
            [this] { lookupOfficer(m_askName1, m_asker1); });
    connect(m_askName2, &QComboBox::currentTextChanged, this,
            [this] { lookupOfficer(m_askName2, m_asker2); });
    connect(m_recordName, &QComboBox::currentTextChanged, this,
            [this] { lookupOfficer(m_recordName, m_recorder); });
    return group;
}

QGroupBox* CJyxMakeDlg::buildPersonGroup() {
    auto* group = new QGroupBox(QStringLiteral("被询问人信息"));
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(4);
    int row = 0;
    auto put = [&](QWidget* field, const char* labelName, const char* caption,
                   QWidget* extra = nullptr, int span = 3) {
        QLabel* label = labelName ? addLabel(labelName, caption) : nullptr;
        if (label) {
            m_labels[field] = label;
            grid->addWidget(label, row, 0);
        }
        grid->addWidget(field, row, 1, 1, extra ? span - 1 : span);
        if (extra)
            grid->addWidget(extra, row, span);
        ++row;
    };
    m_documentType = addCombo("documentType", {QStringLiteral("居民身份证")}, true);
    m_idNumber = addEdit("idNumber");
    m_idNumber->setMaxLength(18);
    m_name = addEdit("name");
    m_sex = addCombo("sex", editor_lists::Sexes(), true);
    m_age = addEdit("age");
    m_birthday = new QDateEdit;
    m_birthday->setObjectName("birthday");
    m_birthday->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_birthday->setCalendarPopup(true);
    m_birthday->setDate(CurrentClock().now().date());
    m_nation = addCombo("nation", {QStringLiteral("汉族")}, true);
    m_education = addCombo("education", editor_lists::Educations(), true);
    m_political = addCombo("political", editor_lists::Politicals(), true);
    m_nationality = addCombo("nationality", editor_lists::Nationalities(), true);
    m_telephone = addEdit("telephone");
    m_formerName = addEdit("formerName");
    m_nickname = addEdit("nickname");
    m_birthAddress = addEdit("birthAddress");
    m_nowAddress = addEdit("nowAddress");
    m_workUnit = addEdit("workUnit");
    m_job = addEdit("job");
    m_workYears = addCombo("workYears", editor_lists::WorkYears(), false);
    m_guardian = addEdit("guardian");
    m_guardianAddress = addEdit("guardianAddress");
    m_term = addEdit("term");
    m_charge = addEdit("charge");
    m_relation = addEdit("relation");

    auto* cardButton = Button(group, "readCardButton", "读卡");
    auto* familyButton = Button(group, "familyButton", "家庭");
    auto* sameButton = Button(group, "sameAsAboveButton", "同上");
    enableCommand(cardButton, bool(m_commands.readCard));
    enableCommand(familyButton, bool(m_commands.family));
    connect(cardButton, &QPushButton::clicked, this, [this] { runAction(m_commands.readCard); });
    connect(familyButton, &QPushButton::clicked, this, [this] {
        if (m_session.recordId().isEmpty())
            save(false);
        runAction(m_commands.family);
    });
    connect(sameButton, &QPushButton::clicked, this, &CJyxMakeDlg::sameAsAbove);

    m_photo = new QLabel;
    m_photo->setObjectName("photo");
    m_photo->setFixedSize(104, 128);
    m_photo->setFrameShape(QFrame::Box);
    m_photo->setAlignment(Qt::AlignCenter);

    // The document type stands where a caption would.
    grid->addWidget(m_documentType, row, 0);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(addLabel("idNumberLabel", "号码："));
    numberRow->addWidget(m_idNumber, 1);
    grid->addLayout(numberRow, row++, 1, 1, 2);
    put(m_name, "nameLabel", "姓名：", cardButton, 2);
    put(m_sex, "sexLabel", "性别：", nullptr, 2);
    put(m_age, "ageLabel", "年龄：", nullptr, 2);
    put(m_birthday, "birthdayLabel", "出生日期：", nullptr, 2);
    grid->addWidget(m_photo, 0, 3, 5, 1, Qt::AlignRight | Qt::AlignTop);
    put(m_nation, "nationLabel", "民族：", familyButton);
    put(m_education, "educationLabel", "文化程度：");
    put(m_political, "politicalLabel", "政治面貌：");
    put(m_nationality, "nationalityLabel", "国籍：");
    put(m_telephone, "telephoneLabel", "联系方式：");
    put(m_formerName, "formerNameLabel", "曾用名:");
    put(m_nickname, "nicknameLabel", "绰号:");
    put(m_birthAddress, "birthAddressLabel", "户籍地址：");
    put(m_nowAddress, "nowAddressLabel", "现住地：", sameButton);
    put(m_workUnit, "workUnitLabel", "经营地址：");
    put(m_job, "jobLabel", "职务：");
    put(m_workYears, "workYearsLabel", "工作年龄：");
    put(m_guardian, "guardianLabel", "监护人:");
    put(m_guardianAddress, "guardianAddressLabel", "住址:");
    put(m_term, "termLabel", "刑期起止：");
    put(m_charge, "chargeLabel", "罪名:");
    put(m_relation, "relationLabel", "与当事人关系：");
    grid->setColumnStretch(1, 1);

    m_education->setCurrentIndex(-1);
    m_political->setCurrentText(QStringLiteral("普通公民"));
    m_workYears->setCurrentIndex(-1);
    for (QWidget* hidden :
         {static_cast<QWidget*>(m_formerName), static_cast<QWidget*>(m_nickname),
          static_cast<QWidget*>(m_job), static_cast<QWidget*>(m_workYears),
          static_cast<QWidget*>(m_guardian), static_cast<QWidget*>(m_guardianAddress),
          static_cast<QWidget*>(m_relation)})
        showField(hidden, m_labels[hidden], false);
    connect(m_sex, &QComboBox::currentTextChanged, this, [this] { updatePhoto(); });
    return group;
}

QWidget* CJyxMakeDlg::buildLeftPanel() {
    auto* panel = new QWidget(body());
    panel->setObjectName("leftPanel");
    panel->setFixedWidth(kLeftWidth);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildBasicGroup());
    layout->addWidget(buildPersonGroup());
    layout->addStretch(1);
    return panel;
}

QWidget* CJyxMakeDlg::buildRightPanel() {
    auto* panel = new QWidget(body());
    panel->setObjectName("rightPanel");
    panel->setFixedWidth(kRightWidth);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    auto* choose = Button(panel, "chooseTemplateButton", "选择模板");
    auto* apply = Button(panel, "applyTemplateButton", "套用当前模板");
    enableCommand(choose, bool(m_commands.chooseTemplate));
    enableCommand(apply, bool(m_commands.applyTemplate));
    connect(choose, &QPushButton::clicked, this, [this] {
        m_session.templateDialogOpen = true;
        runAction(m_commands.chooseTemplate);
        m_session.templateDialogOpen = false;
    });
    connect(apply, &QPushButton::clicked, this, [this] { runAction(m_commands.applyTemplate); });
    buttons->addWidget(choose);
    buttons->addWidget(apply);
    layout->addLayout(buttons);
    m_questions = new QuestionList(panel);
    m_questions->setObjectName("questionList");
    m_answers = new AnswerList(panel);
    m_answers->setObjectName("answerList");
    layout->addWidget(m_questions, 3);
    layout->addWidget(m_answers, 2);
    return panel;
}

void CJyxMakeDlg::showField(QWidget* field, QLabel* label, bool shown) {
    m_shown[field] = shown;
    field->setVisible(shown);
    if (label)
        label->setVisible(shown);
}

void CJyxMakeDlg::enableCommand(QWidget* w, bool available) {
    w->setEnabled(available);
    if (!available)
        w->setToolTip(QStringLiteral("此功能在本机未提供"));
}

void CJyxMakeDlg::resizeEvent(QResizeEvent* event) {
    FramedDialog::resizeEvent(event);
    if (m_minimise && closeButton()) {
        m_minimise->move(closeButton()->x() - m_minimise->width() - 4, closeButton()->y());
        m_minimise->raise();
    }
}

// ---------------------------------------------------------------- lists

void CJyxMakeDlg::fillLists() {
    m_sex->setCurrentIndex(0);
    m_nation->setCurrentIndex(0);
    m_nationality->setCurrentIndex(0);
    m_documentType->setCurrentIndex(0);
}

void CJyxMakeDlg::fillKinds() {
    m_filling = true;
    m_kind->clear();
    m_kind->addItems(KindsOfType(m_db, m_context.transcriptType));
    // No kind is chosen unless the current one is offered.
    m_kind->setCurrentIndex(-1);
    const QString current = QString::fromStdString(Session().transcriptKind);
    if (m_session.recordId().isEmpty() && !current.isEmpty())
        m_kind->setCurrentIndex(m_kind->findText(current));
    m_filling = false;
}

void CJyxMakeDlg::fillOfficers() {
    const OfficerLists lists = LoadOfficerLists(m_db, m_context.officerName);
    m_filling = true;
    m_askName1->clear();
    m_askName1->addItems(lists.askers);
    m_askName2->clear();
    m_askName2->addItems(lists.askers);
    m_recordName->clear();
    m_recordName->addItems(lists.recorders);
    m_askName1->setCurrentIndex(lists.asker1Index);
    m_askName1->setEditText(lists.asker1Text);
    m_askName2->setCurrentIndex(lists.asker2Index);
    m_recordName->setCurrentIndex(lists.recorderIndex);
    m_filling = false;
    lookupOfficer(m_askName1, m_asker1);
    lookupOfficer(m_askName2, m_asker2);
    lookupOfficer(m_recordName, m_recorder);
}

void CJyxMakeDlg::fillPlaces() {
    m_place->clear();
    m_place->addItems(LoadPlaces(m_db));
    m_place->setCurrentIndex(m_place->count() > 0 ? 0 : -1);
}

void CJyxMakeDlg::lookupOfficer(QComboBox* box, OfficerDetails& details) {
    if (!m_filling)
        LookupOfficer(m_db, box->currentText(), details);
}

// ---------------------------------------------------------------- record

TranscriptRecord CJyxMakeDlg::record() const {
    TranscriptRecord r;
    r.personType = m_personType->currentText();
    r.kind = m_kind->currentText();
    r.caseNumber = m_caseNumber->text();
    r.times = m_times->text();
    r.startTime = m_startTime->text();
    r.endTime = m_endTime->text();
    r.place = m_place->currentText();
    r.askName1 = m_askName1->currentText();
    r.askName2 = m_askName2->currentText();
    r.recordName = m_recordName->currentText();
    r.people = m_people->text();
    r.asker1 = m_asker1;
    r.asker2 = m_asker2;
    r.recorder = m_recorder;
    r.idNumber = m_idNumber->text();
    r.name = m_name->text();
    r.sex = m_sex->currentText();
    r.age = m_age->text();
    r.birthday = m_birthday->date();
    r.nation = m_nation->currentText();
    r.education = m_education->currentText();
    r.political = m_political->currentText();
    r.nationality = m_nationality->currentText();
    r.telephone = m_telephone->text();
    r.formerName = m_formerName->text();
    r.nickname = m_nickname->text();
    r.birthAddress = m_birthAddress->text();
    r.nowAddress = m_nowAddress->text();
    r.workUnit = m_workUnit->text();
    r.job = m_job->text();
    r.workYears = m_workYears->currentText();
    r.guardian = m_guardian->text();
    r.guardianAddress = m_guardianAddress->text();
    r.term = m_term->text();
    r.charge = m_charge->text();
    r.relation = m_relation->text();
    r.text = m_text->transcriptText();
    r.type = m_stored.type;
    r.classicMark = m_stored.classicMark;
    return r;
}

void CJyxMakeDlg::setRecord(const TranscriptRecord& r) {
    m_filling = true;
    if (const int i = PersonTypeIndexOf(r.personType); i >= 0)
        m_personType->setCurrentIndex(i);
    // A kind the type no longer offers is still the transcript's kind.
    if (!r.kind.isEmpty() && m_kind->findText(r.kind) < 0)
        m_kind->addItem(r.kind);
    m_kind->setCurrentIndex(m_kind->findText(r.kind));
    m_caseNumber->setText(r.caseNumber);
    m_times->setText(r.times);
    m_startTime->setText(r.startTime);
    m_endTime->setText(r.endTime);
    SetComboText(m_place, r.place);
    SetComboText(m_askName1, r.askName1);
    SetComboText(m_askName2, r.askName2);
    SetComboText(m_recordName, r.recordName);
    m_people->setText(r.people);
    m_idNumber->setText(r.idNumber);
    m_name->setText(r.name);
    SetComboText(m_sex, r.sex);
    m_age->setText(r.age);
    if (r.birthday.isValid())
        m_birthday->setDate(r.birthday);
    SetComboText(m_nation, r.nation);
    SetComboText(m_education, r.education);
    SetComboText(m_political, r.political);
    SetComboText(m_nationality, r.nationality);
    m_telephone->setText(r.telephone);
    m_formerName->setText(r.formerName);
    m_nickname->setText(r.nickname);
    m_birthAddress->setText(r.birthAddress);
    m_nowAddress->setText(r.nowAddress);
    m_workUnit->setText(r.workUnit);
    m_job->setText(r.job);
    SetComboText(m_workYears, r.workYears);
    m_guardian->setText(r.guardian);
    m_guardianAddress->setText(r.guardianAddress);
    m_term->setText(r.term);
    m_charge->setText(r.charge);
    m_relation->setText(r.relation);
    if (m_text->transcriptText() != r.text)
        m_text->setTranscriptText(r.text);
    m_filling = false;

    // The stored certificate numbers and posts stay; what the row does not
    // keep comes from the officer table when the officer is still there.
    m_asker1 = r.asker1;
    m_asker2 = r.asker2;
    m_recorder = r.recorder;
    for (auto [box, details] : {std::pair{m_askName1, &m_asker1}, std::pair{m_askName2, &m_asker2},
                                std::pair{m_recordName, &m_recorder}}) {
        OfficerDetails found;
        if (!LookupOfficer(m_db, box->currentText(), found))
            continue;
        details->unit = found.unit;
        details->idNumber = found.idNumber;
        if (details->certificate.isEmpty())
            details->certificate = found.certificate;
        if (details->post.isEmpty())
            details->post = found.post;
    }
    updatePhoto();
}

bool CJyxMakeDlg::loadRecord(const QString& id, EditorMode mode) {
    TranscriptRecord r;
    if (!m_session.open(id, mode, r))
        return false;
    m_stored = r;
    setRecord(r);
    m_session.markSaved(record());
    applyKind();
    updatePhoto();
    return true;
}

void CJyxMakeDlg::setCardPhotoPath(const QString& path) {
    m_session.setCardPhotoPath(path);
    updatePhoto();
}

void CJyxMakeDlg::updatePhoto() {
    m_photoPath = ChoosePhotoPath(m_context.programDir, record(), m_session.cardPhotoPath());
    QPixmap picture(m_photoPath);
    if (picture.isNull()) {
        m_photo->setPixmap({});
        m_photo->setText(QStringLiteral("照片"));
        return;
    }
    m_photo->setPixmap(picture.scaled(m_photo->size() - QSize(2, 2), Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation));
}

// ---------------------------------------------------------------- kinds

void CJyxMakeDlg::applyKind() {
    if (m_session.openedForPrinting)
        return;
    const QString k = m_kind->currentText();
    m_kindName = k;
    Session().transcriptKind = k.toStdString();
    const KindEffects effects = ApplyKindRules(m_context.transcriptType, k);
    m_people->setEnabled(effects.peopleEnabled);
    m_guardian->setEnabled(effects.guardianEnabled);
    m_guardianAddress->setEnabled(effects.guardianEnabled);
    // In the special unit the relationship takes the place of term and charge.
    const bool termCharge = effects.termChargeShown && !IsSpecialUnit(m_context.unitName);
    showField(m_term, m_labels[m_term], termCharge);
    showField(m_charge, m_labels[m_charge], termCharge);
    setTitleText(effects.title);
    if (HeadingTemplate().isEmpty() && m_commands.fetchHeadingTemplate)
        m_commands.fetchHeadingTemplate(this, m_context.transcriptType, k,
                                        [this](const QString& text) { onHeadingTemplate(text); });
}

void CJyxMakeDlg::onHeadingTemplate(const QString& text) {
    if (!text.isEmpty())
        SetHeadingTemplate(text);
    // The type and kind as they are now, not as they were when asked.
    StoreHeadingTemplate(m_db, QString::fromStdString(Session().transcriptType), m_kindName);
}

// ---------------------------------------------------------------- commands

void CJyxMakeDlg::runAction(const EditorCommands::Action& action) {
    if (action)
        action(*this);
}

void CJyxMakeDlg::sameAsAbove() {
    m_nowAddress->setText(m_birthAddress->text());
}

void CJyxMakeDlg::managePlaces() {
    if (!m_commands.placeManager)
        return;
    m_commands.placeManager(*this);
    fillPlaces();
}

void CJyxMakeDlg::showPopupMenu() {
    QMenu menu(this);
    auto add = [&](const char* caption, std::function<void()> fn, bool available) {
        QAction* a = menu.addAction(U(caption), this, std::move(fn));
        a->setEnabled(available);
    };
    add(
        "法规查询", [this] { runAction(m_commands.lawLookup); }, bool(m_commands.lawLookup));
    add(
        "笔录地址管理", [this] { managePlaces(); }, bool(m_commands.placeManager));
    add(
        "询问人管理",
        [this] {
            runAction(m_commands.userManager);
            fillOfficers();
        },
        bool(m_commands.userManager));
    add(
        "打印设置", [this] { runAction(m_commands.printSettings); },
        bool(m_commands.printSettings));
    // The read-aloud menu: reading, the three speeds, pause, resume, stop.
    menu.addMenu(readaloud::CreateMenu(&menu, reader(), *m_text));
    menu.exec(QCursor::pos());
}

bool CJyxMakeDlg::save(bool announce) {
    const SaveResult result = m_session.save(record());
    if (!result.ok()) {
        Messages().show(this, result.message(),
                        result.status == SaveResult::Status::Failed ? Prompt::Icon::Error
                                                                    : Prompt::Icon::Warning);
        return false;
    }
    m_status->setText(QStringLiteral("已保存 ") + NowMinutes());
    if (announce)
        Messages().show(this, QString::fromUtf8(save_text::kSaved));
    emit recordSaved(result.recordId);
    return true;
}

void CJyxMakeDlg::periodicSave() {
    const std::optional<SaveResult> result = m_session.periodicSave(record(), isVisible());
    if (!result)
        return;
    if (!result->ok()) {
        // Reported once per run of failures, so a broken database does not
        // interrupt the typing every two minutes.
        m_status->setText(QStringLiteral("自动保存失败"));
        if (!m_periodicFailureShown)
            Messages().show(this, result->message(), Prompt::Icon::Error);
        m_periodicFailureShown = true;
        return;
    }
    m_periodicFailureShown = false;
    m_status->setText(QStringLiteral("已自动保存 ") + NowMinutes());
    if (m_session.notifiesPeriodicSave())
        emit recordSaved(result->recordId);
}

void CJyxMakeDlg::endAndPrint() {
    if (!HasFullIdNumber(record())) {
        Messages().show(this, QString::fromUtf8(save_text::kBadIdNumber), Prompt::Icon::Warning);
        return;
    }
    m_text->hideAnswerPicker();
    if (!m_session.openedForPrinting) {
        const QString end = m_endTime->text();
        if (!end.isEmpty()) {
            if (const QString refusal = CheckEndTime(end); !refusal.isEmpty()) {
                Messages().show(this, refusal, Prompt::Icon::Warning);
                return;
            }
        } else {
            if (!Messages().yesNo(this, U(editor_text::kAskEndAndPrint)))
                return;
            m_endTime->setText(NowMinutes());
        }
        if (m_name->text().isEmpty()) {
            Messages().show(this, QString::fromUtf8(save_text::kEmptyName), Prompt::Icon::Warning);
            return;
        }
    }
    save(false);
    lookupOfficer(m_askName1, m_asker1);
    lookupOfficer(m_askName2, m_asker2);

    EditorPrintJob job;
    job.recordId = m_session.recordId();
    job.openedForPrinting = m_session.openedForPrinting;
    job.record = record();
    job.start = BreakUpTime(job.record.startTime.isEmpty() ? NowMinutes() : job.record.startTime);
    job.end = BreakUpTime(job.record.endTime.isEmpty() ? NowMinutes() : job.record.endTime);
    job.kindName = job.record.kind.isEmpty() ? QStringLiteral("询问笔录") : job.record.kind;
    job.text = PrintableText(job.record.text);
    job.face = m_text->face();
    job.points = m_text->pointSize();
    if (m_commands.print)
        m_commands.print(*this, job);
}

void CJyxMakeDlg::returnFromPrint(const QString& face, double points) {
    m_tools->selectFace(face);
    m_tools->selectPointSize(points);
    if (m_leftCollapsed)
        toggleLeftPanel();
    if (m_rightCollapsed)
        toggleRightPanel();
    if (!m_session.openedForPrinting)
        show();
}

void CJyxMakeDlg::showLawLookup() {
    if (!m_law) {
        m_law = new CLawDlg(this, QString::fromStdString(ProgramPath("法律")));
        connect(m_law, &CLawDlg::insertRequested, this, &CJyxMakeDlg::takeLawExcerpt);
    }
    takeLawExcerpt();
    m_law->show();
    m_law->raise();
}

void CJyxMakeDlg::takeLawExcerpt() {
    // The excerpt goes in as soon as it is asked for, at the caret.
    if (m_law && m_law->takeInsertRequest())
        m_text->insertAtCaret(QGuiApplication::clipboard()->text());
}

// ---------------------------------------------------------------- panels

void CJyxMakeDlg::toggleLeftPanel() {
    m_leftCollapsed = !m_leftCollapsed;
    m_left->setVisible(!m_leftCollapsed);
    m_leftToggle->setText(m_leftCollapsed ? QStringLiteral(">") : QStringLiteral("<"));
}

void CJyxMakeDlg::toggleRightPanel() {
    m_rightCollapsed = !m_rightCollapsed;
    m_right->setVisible(!m_rightCollapsed);
    m_rightToggle->setText(m_rightCollapsed ? QStringLiteral("<") : QStringLiteral(">"));
}

// ---------------------------------------------------------------- clock

void CJyxMakeDlg::startInterview() {
    if (const QString refusal = m_session.startInterviewRefusal(record()); !refusal.isEmpty()) {
        Messages().show(this, refusal, Prompt::Icon::Warning);
        return;
    }
    if (!m_leftCollapsed)
        toggleLeftPanel();
    if (m_session.mode() != EditorMode::Modify)
        syncClock(m_session.clock().start());
    if (m_rightCollapsed)
        toggleRightPanel();
}

void CJyxMakeDlg::clockClicked() {
    m_clockBeforeClick = m_session.clock();
    syncClock(m_session.clock().click(m_session.mode() == EditorMode::Modify));
}

void CJyxMakeDlg::clockDoubleClicked() {
    // The first click of a double click already acted; the double click
    // means one thing on its own.
    m_session.clock() = m_clockBeforeClick;
    syncClock(m_session.clock().doubleClick());
}

void CJyxMakeDlg::clockTick() {
    m_session.clock().tick();
    updateClock();
}

void CJyxMakeDlg::syncClock(EditorClock::Change change) {
    if (change == EditorClock::Change::Started)
        m_startTime->setText(NowMinutes());
    if (m_session.clock().running())
        m_clockTimer.start();
    else
        m_clockTimer.stop();
    updateClock();
}

void CJyxMakeDlg::updateClock() {
    const EditorClock& clock = m_session.clock();
    m_clock->setText(clock.text());
    m_clock->setLit(clock.running() && clock.lit());
}

// ---------------------------------------------------------------- closing

void CJyxMakeDlg::keyPressEvent(QKeyEvent* event) {
    // Escape must not close an interview by accident; F1 belongs to the text.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F1) {
        event->accept();
        return;
    }
    FramedDialog::keyPressEvent(event);
}

void CJyxMakeDlg::reject() {
    closeEditor();
}

void CJyxMakeDlg::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        event->accept();
        return;
    }
    // closeEditor hides the editor when it may go (see finishClose).
    closeEditor();
    event->ignore();
}

bool CJyxMakeDlg::closeEditor() {
    if (m_closed)
        return true;
    const TranscriptRecord r = record();
    switch (m_session.closeAction(r)) {
    case EditorSession::CloseAction::Close:
        break;
    case EditorSession::CloseAction::SaveSilently:
        if (!save(false) && !Messages().yesNo(this, U(editor_text::kCloseAfterFailure)))
            return false;
        break;
    case EditorSession::CloseAction::AskDiscard:
        if (!Messages().yesNo(this, U(editor_text::kDiscardIncomplete)))
            return false;
        break;
    }
    finishClose();
    return true;
}

void CJyxMakeDlg::finishClose() {
    m_closed = true;
    stopReading();
    SendCardProgramExit();
    m_saveTimer.stop();
    m_clockTimer.stop();
    m_readerTimer.stop();
    m_session.cleanUp();
    if (m_session.mode() == EditorMode::Modify && parentWidget())
        parentWidget()->show();
    // Hidden rather than closed: while the opener hides itself no window is
    // visible, and closing the last one would end the program. Hiding ends
    // a modal run all the same.
    setResult(QDialog::Rejected);
    hide();
    emit finished(QDialog::Rejected);
    emit rejected();
    if (testAttribute(Qt::WA_DeleteOnClose))
        deleteLater();
}

// ---------------------------------------------------------------- devices

// The card reader, the card-reader program, the ID-number rules and reading
// aloud.
void CJyxMakeDlg::attachDevices() {
    m_cardSession = new CardReadSession(this);
    m_cardSession->setMessageParent(this);
    connect(&m_readerTimer, &QTimer::timeout, m_cardSession, &CardReadSession::rearm);
    connect(m_cardSession, &CardReadSession::cardRead, this, &CJyxMakeDlg::applyCard);
    connect(m_cardSession, &CardReadSession::photoRead, this, &CJyxMakeDlg::setCardPhotoPath);
    connect(m_cardSession, &CardReadSession::readSucceeded, this, [this] {
        if (auto* button = findChild<QPushButton*>(QStringLiteral("readCardButton")))
            button->setEnabled(false);
    });
    m_cardLink = new CardProgramLink(this);
    m_cardLink->listen(); // a second editor leaves the name to the first
    connect(m_cardLink, &CardProgramLink::cardFields, this, &CJyxMakeDlg::applyCard);

    connect(m_idNumber, &QLineEdit::textChanged, this, &CJyxMakeDlg::onIdNumberChanged);
    connect(m_documentType, &QComboBox::activated, this,
            [this] { m_idNumber->setMaxLength(kDocumentNumberLength); });
    connect(m_questions, &QuestionList::commonAnswersWanted, this, [this] {
        TemplateStore store(m_db);
        m_answers->setCommonAnswers(store.commonAnswers());
    });
    connect(m_text, &TranscriptTextEdit::readAloudRequested, this,
            [this](const QString& text) { reader().read(text); });
}

void CJyxMakeDlg::readCard() {
    m_cardSession->read();
}

void CJyxMakeDlg::applyCard(const IdCardFields& card) {
    m_name->setText(card.name);
    m_sex->setCurrentIndex(card.sexIndex);
    SetComboText(m_nation, card.nation);
    if (card.idNumber)
        m_idNumber->setText(*card.idNumber); // runs the ID-number rules
    if (card.birthday().isValid())
        m_birthday->setDate(card.birthday());
    m_birthAddress->setText(card.address);
    m_age->setText(QString::number(card.age));
}

void CJyxMakeDlg::onIdNumberChanged(const QString& text) {
    if (m_filling)
        return;
    auto findPerson = [this](const QString& id) -> std::optional<QStringList> {
        PersonInfo person;
        if (!FindPersonInfo(m_db, id, person))
            return std::nullopt;
        return QStringList(person.fields.begin(), person.fields.end());
    };
    const IdNumberFill fill = IdNumberRules(text, CurrentClock().now().date(), m_db, findPerson);
    if (!fill.message.isEmpty())
        Messages().show(this, fill.message, Prompt::Icon::Warning);
    if (!fill.derived())
        return;
    TranscriptRecord r = record();
    fill.applyTo(r);
    setRecord(r);
}

ReadAloud& CJyxMakeDlg::reader() {
    if (!m_readAloud)
        m_readAloud =
            new ReadAloud(std::make_shared<EspeakVoice>(), std::make_shared<QtPcmOutput>(), this);
    return *m_readAloud;
}

void CJyxMakeDlg::stopReading() {
    if (m_readAloud)
        m_readAloud->stop();
}

// ---------------------------------------------------------------- openers

EditorCommands DefaultEditorCommands() {
    EditorCommands c;
    c.fetchHeadingTemplate = [](QObject* editor, const QString& type, const QString& kind,
                                std::function<void(const QString&)> onTemplate) {
        FetchHeadingTemplate(
            editor, type.toStdString(), kind.toStdString(),
            [onTemplate](const std::string& text) { onTemplate(QString::fromStdString(text)); });
    };
    c.placeManager = [](CJyxMakeDlg& editor) {
        CJyxAddressManager manager(&editor);
        manager.exec();
    };
    c.userManager = [](CJyxMakeDlg& editor) {
        CUserManagerDlg manager(&editor);
        manager.exec();
    };
    c.lawLookup = [](CJyxMakeDlg& editor) { editor.showLawLookup(); };
    c.readCard = [](CJyxMakeDlg& editor) { editor.readCard(); };
    c.chooseTemplate = ChooseTemplateForEditor;
    c.applyTemplate = ApplyTemplateForEditor;
    c.family = [](CJyxMakeDlg& editor) {
        CFamilyDlg family(editor.session().recordId(), QCursor::pos(), &editor);
        family.exec();
    };
    c.printSettings = [](CJyxMakeDlg& editor) { RunPrintSettings(&editor); };
    c.print = [](CJyxMakeDlg& editor, const EditorPrintJob& job) {
        Database db(SystemDb());
        QPointer<CJyxMakeDlg> e(&editor);
        // Hiding a modal editor would end its run, so it stays behind the
        // print dialog; 1 hands it back, 2 lays its text out again.
        auto link = [e](int code, int value) {
            if (!e)
                return;
            if (code == 1)
                e->returnFromPrint(e->textEdit()->face(), e->textEdit()->pointSize());
            if (code == 2) {
                Database linkDb(SystemDb());
                const PrintFormat f = LoadPrintFormat(linkDb);
                BuildPrintLines(PrintableText(e->textEdit()->transcriptText()), f.font, f.isBlank,
                                f.indent, value);
            }
        };
        RunTranscriptPrint(&editor, db, {job.recordId, job.record, job.kindName, job.text}, link);
    };
    return c;
}

void RunNewTranscript(QWidget* parent) {
    Session().transcriptType = "烟草局笔录";
    Session().transcriptKind = "询问笔录";
    CJyxMakeDlg editor(parent);
    editor.exec();
}

namespace {

// Reads what the openers need before the editor exists: the text, the kind
// and the type of the row.
bool PeekRecord(CDBConnection& connection, const QString& id, TranscriptRecord& r) {
    Database db(connection);
    return TranscriptStore(db, {}).load(id, r);
}

CJyxMakeDlg* CreateForRecord(QWidget* parent, const QString& id, EditorMode mode,
                             CDBConnection& connection) {
    TranscriptRecord r;
    if (!PeekRecord(connection, id, r))
        return nullptr;
    Database db(connection);
    LoadHeadingTemplate(db, QStringLiteral("行政笔录"), r.kind);
    // The kinds offered and the title follow the type the record was made with.
    if (!r.type.isEmpty())
        Session().transcriptType = r.type.toStdString();
    auto* editor = new CJyxMakeDlg(parent, r.text, DefaultEditorCommands(), connection);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    if (!editor->loadRecord(id, mode)) {
        delete editor;
        return nullptr;
    }
    return editor;
}

} // namespace

CJyxMakeDlg* OpenStoredTranscript(QWidget* parent, const QString& id, EditorMode mode,
                                  CDBConnection& connection) {
    CJyxMakeDlg* editor = CreateForRecord(parent, id, mode, connection);
    if (editor)
        editor->show();
    return editor;
}

void PrintStoredTranscript(QWidget* parent, const QString& id, CDBConnection& connection) {
    CJyxMakeDlg* editor = CreateForRecord(parent, id, EditorMode::Modify, connection);
    if (!editor)
        return;
    editor->session().openedForPrinting = true;
    editor->endAndPrint();
    editor->closeEditor();
}
