// Renders every dialog of the program, filled with sample data, to a PNG file
// per dialog, so the dialogs can be looked at without clicking through them:
//
//     ctest --test-dir build -L snapshot      # PNGs in build/snapshots/
//
// JYX_SNAPSHOT_DIR chooses another folder. The pictures come from the
// program directory of the build, the fonts from its fontconfig aliases.
// A new dialog adds one line to Snapshots() below.
#include "app/AddressStore.h"
#include "app/AppContext.h"
#include "app/CJyxAddressManager.h"
#include "app/CJyxApp.h"
#include "app/CLoginDlg.h"
#include "app/CMainDlg.h"
#include "app/CModifyPasswordDlg.h"
#include "app/CUserAddDlg.h"
#include "app/CUserManagerDlg.h"
#include "app/Clock.h"
#include "app/Database.h"
#include "app/OfficerStore.h"
#include "app/Prompt.h"
#include "app/Schema.h"
#include "devices/CFamilyDlg.h"
#include "print/CBlankDlg.h"
#include "print/CPrintDlg.h"
#include "print/CPrintFormat.h"
#include "print/PrintFormat.h"
#include "print/PrintJob.h"
#include "print/PrintLines.h"
#include "records/CJyxReachDlg.h"
#include "transcript/CJyxMakeDlg.h"
#include "transcript/CLawDlg.h"
#include "transcript/CModalDlg.h"
#include "transcript/TranscriptStore.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

QString SnapshotDir() {
    const QByteArray chosen = qgetenv("JYX_SNAPSHOT_DIR");
    return chosen.isEmpty() ? QDir::cleanPath(QStringLiteral(JYX_PROGRAM_DIR "/../snapshots"))
                            : QString::fromLocal8Bit(chosen);
}

// A signature picture as an officer would upload it: dark strokes on white.
std::string SampleSignature() {
    QImage image(240, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font(QStringLiteral("楷体"));
    font.setPixelSize(46);
    p.setFont(font);
    p.setPen(QColor(20, 20, 60));
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("张三"));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString() + '\0';
}

OfficerForm Officer(const char* name, const char* certificate, const char* job, bool questioner,
                    bool recorder) {
    OfficerForm f;
    f.name = name;
    f.certificate = certificate;
    f.job = job;
    f.questioner = questioner;
    f.recorder = recorder;
    return f;
}

// The sample database every snapshot reads: the system connection opened on
// a temporary file with the delivered schema and a few rows.
class SampleData {
public:
    SampleData() {
        SetProgramDir(JYX_PROGRAM_DIR);
        CJyxApp::ApplyDialogFont();
        SystemDb().Open(m_dir.filePath("SysReg.db").toUtf8().constData());
        for (const TableDef* table : schema::all())
            m_db.exec(table->createSql());
        InstallPrompt(&m_prompt);
        InstallClock(&m_clock);
        Session() = SessionValues();
        Session().loginName = "zhang";
        Session().officerName = "张三";
        Session().unitName = kDefaultUnitName;

        m_db.insert(schema::jyx_register, {{"jyx_username", "zhang"},
                                           {"jyx_password", "pw1234"},
                                           {"jyx_userxm", "张三"},
                                           {"jyx_sfz", "370200198001010011"}});
        const OfficerForm officers[] = {
            Officer("张三", "37020001", "科长", true, true),
            Officer("李四", "37020002", "副科长", true, false),
            Officer("王五", "37020003", "科员", false, true),
            Officer("赵六", "37020004", "稽查员", true, false),
        };
        for (const OfficerForm& f : officers) {
            m_store.add(f);
            m_clock.advance(60);
        }
        m_store.edit(m_store.list(OfficerTab::Questioners).back(), officers[0], SampleSignature());
        for (const char* place : {"青岚市烟草专卖局第一询问室", "青岚市烟草专卖局第二询问室",
                                  "案发现场", "当事人住所"}) {
            AddressStore(m_db).add(place, kDefaultUnitName);
            m_clock.advance(60);
        }
    }
    ~SampleData() {
        InstallPrompt(nullptr);
        InstallClock(nullptr);
        SystemDb().Close();
    }

    OfficerStore& store() { return m_store; }
    Database& db() { return m_db; }
    OfficerRow firstQuestioner() { return m_store.list(OfficerTab::Questioners).back(); }

private:
    QTemporaryDir m_dir;
    Database m_db{SystemDb()};
    OfficerStore m_store{m_db};
    ScriptedPrompt m_prompt;
    FixedClock m_clock{QDateTime(QDate(2026, 3, 4), QTime(9, 30, 0))};
};

struct Snapshot {
    const char* name;
    std::function<std::unique_ptr<QWidget>(SampleData&)> make;
};

// A transcript as an officer saves it, with a text of about two pages.
TranscriptRecord SampleTranscript(const char* name, const char* idNumber, const char* sex) {
    TranscriptRecord r;
    r.kind = QStringLiteral("询问笔录");
    r.caseNumber = QStringLiteral("青烟立〔2026〕12号");
    r.times = QStringLiteral("1");
    r.startTime = QStringLiteral("2026/03/04 09:05");
    r.endTime = QStringLiteral("2026/03/04 10:30");
    r.place = QStringLiteral("青岚市烟草专卖局第一询问室");
    r.askName1 = QStringLiteral("张三");
    r.askName2 = QStringLiteral("李四");
    r.recordName = QStringLiteral("王五");
    r.name = QString::fromUtf8(name);
    r.idNumber = QString::fromUtf8(idNumber);
    r.sex = QString::fromUtf8(sex);
    r.age = QStringLiteral("36");
    r.nation = QStringLiteral("汉族");
    r.nowAddress = QStringLiteral("青岚市东城区和平路1号");
    r.workUnit = QStringLiteral("青岚市东城区和平路2号");
    r.telephone = QStringLiteral("13800000000");
    QStringList text;
    for (int i = 1; i <= 14; ++i)
        text << QStringLiteral("询问人：第%1个问题，请你如实回答，好吗？").arg(i)
             << QStringLiteral("被询问人：好的，这是第%1个回答。").arg(i);
    r.text = text.join('\n');
    return r;
}

PrintDlgInput SamplePrint(Database& db, bool blank) {
    const TranscriptRecord r = SampleTranscript("张三", "370202199001011234", "男");
    const PrintFormat format = LoadPrintFormat(db);
    BuildPrintLines(blank ? QString() : r.text, format.font, format.isBlank, format.indent,
                    format.fontSize);
    PrintDlgInput input;
    input.particulars = ParticularsOf(r, QStringLiteral("20260304093000"),
                                      QString::fromStdString(Session().unitName), r.kind);
    input.text = r.text;
    input.blankForm = blank;
    input.blankPages = 2;
    return input;
}

// The main window with every command the program offers, but no server check.
MainCommands ProgramCommands() {
    MainCommands commands = CJyxApp::DefaultCommands();
    commands.serverCheck = nullptr;
    return commands;
}

std::vector<Snapshot> Snapshots() {
    return {
        {"login",
         [](SampleData&) {
             auto dlg = std::make_unique<CLoginDlg>(MainCommands());
             dlg->userEdit()->setText(QStringLiteral("zhang"));
             dlg->passwordEdit()->setText(QStringLiteral("pw1234"));
             return dlg;
         }},
        {"main", [](SampleData&) { return std::make_unique<CMainDlg>(ProgramCommands()); }},
        {"main-menu",
         [](SampleData&) -> std::unique_ptr<QWidget> {
             CMainDlg main(ProgramCommands());
             std::unique_ptr<QMenu> menu = main.createMenu();
             menu->setParent(nullptr, menu->windowFlags()); // outlives the main window
             return menu;
         }},
        {"user-manager",
         [](SampleData&) {
             auto dlg = std::make_unique<CUserManagerDlg>();
             dlg->list()->setCurrentItem(dlg->list()->topLevelItem(1));
             return dlg;
         }},
        {"user-manager-all",
         [](SampleData&) {
             auto dlg = std::make_unique<CUserManagerDlg>();
             dlg->tabs()->setCurrentIndex(2);
             return dlg;
         }},
        {"user-add",
         [](SampleData& data) {
             return std::make_unique<CUserAddDlg>(nullptr, data.store(), CUserAddDlg::AddMode);
         }},
        {"user-edit",
         [](SampleData& data) {
             return std::make_unique<CUserAddDlg>(nullptr, data.store(), CUserAddDlg::EditMode,
                                                  data.firstQuestioner());
         }},
        {"modify-password", [](SampleData&) { return std::make_unique<CModifyPasswordDlg>(); }},
        {"address-manager",
         [](SampleData&) {
             auto dlg = std::make_unique<CJyxAddressManager>();
             dlg->list()->setCurrentRow(0);
             dlg->findChild<QLineEdit*>("placeEdit")->setText(QStringLiteral("青岚市烟草专卖局"));
             return dlg;
         }},
        {"family",
         [](SampleData&) {
             Database db(SystemDb());
             FamilyMember father{true, "张建国",      "370202196503120016", "父亲",
                                 "61", "13805320001", "青岚市机械厂",       "青岚市光明路12号"};
             FamilyMember mother{false,         "刘美兰", "370202196708230023", "母亲", "58",
                                 "13805320002", "退休",   "青岚市光明路12号"};
             FamilyStore(db).save("20260304093000", {father, mother});
             return std::make_unique<CFamilyDlg>("20260304093000", QPoint(40, 40));
         }},
        {"templates",
         [](SampleData&) {
             Database db(SystemDb());
             TemplateStore store(db);
             const QString group = QStringLiteral("烟草局笔录");
             const QString name = QStringLiteral("无证经营卷烟");
             store.add(group, name);
             store.save(group, name,
                        QStringLiteral("无证经营卷烟询问笔录\n被询问人：清楚，不要求回避。\n"
                                       "询问人：请讲一下你的基本情况。\n被询问人：我叫#XM，#XB。\n"
                                       "询问人：你知道需要办理烟草专卖零售许可证吗？\n"
                                       "被询问人：~D知道。~D不知道。"));
             auto dlg = std::make_unique<CModalDlg>(db, ModalMode::Choose);
             dlg->selectTemplate(group, name);
             return dlg;
         }},
        {"print",
         [](SampleData& data) {
             auto dlg =
                 std::make_unique<CPrintDlg>(nullptr, data.db(), SamplePrint(data.db(), false));
             dlg->resize(1100, 1250);
             return dlg;
         }},
        {"print-format",
         [](SampleData& data) { return std::make_unique<CPrintFormat>(nullptr, data.db()); }},
        {"blank", [](SampleData& data) { return std::make_unique<CBlankDlg>(nullptr, data.db()); }},
        {"blank-preview",
         [](SampleData& data) {
             auto dlg =
                 std::make_unique<CPrintDlg>(nullptr, data.db(), SamplePrint(data.db(), true));
             dlg->resize(1100, 1250);
             return dlg;
         }},
        {"records",
         [](SampleData& data) {
             TranscriptStore store(data.db(), {QStringLiteral("zhang"), QStringLiteral("张三"),
                                               QStringLiteral("烟草局笔录")});
             const std::tuple<const char*, const char*, const char*> people[] = {
                 {"张三", "370202199001011234", "男"},
                 {"李梅", "370202198505052345", "女"},
                 {"王建国", "37020219700909345X", "男"}};
             for (const auto& [name, id, sex] : people)
                 store.save(SampleTranscript(name, id, sex), QString(), SaveKind::Explicit,
                            QString());
             auto dlg = std::make_unique<CJyxReachDlg>(ReachHooks{});
             dlg->resize(1200, 700);
             return dlg;
         }},
        {"law",
         [](SampleData&) {
             auto dlg =
                 std::make_unique<CLawDlg>(nullptr, QString::fromStdString(ProgramPath("法律")));
             dlg->findChild<QLineEdit*>(QStringLiteral("contentEdit"))
                 ->setText(QStringLiteral("示例笔录"));
             QSignalSpy done(dlg.get(), &CLawDlg::searchFinished);
             dlg->search();
             if (dlg->searching())
                 done.wait(10000);
             dlg->findChild<QListWidget*>(QStringLiteral("lawList"))->setCurrentRow(0);
             return dlg;
         }},
        {"editor",
         [](SampleData&) {
             Session().transcriptType = "烟草局笔录";
             Session().transcriptKind = "询问笔录";
             auto dlg = std::make_unique<CJyxMakeDlg>(
                 nullptr, QStringLiteral("询问人：我们是青岚市烟草专卖局的执法人员。\n"
                                         "被询问人：清楚。\n询问人：请讲一下你的基本情况。\n"
                                         "被询问人：我叫张三。"));
             dlg->resize(1400, 860);
             return dlg;
         }},
    };
}

// Whether an image holds more than one colour (a dialog that painted nothing
// comes out in one colour).
bool HasContent(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != first)
                return true;
    return false;
}

TEST(Snapshots, EveryDialogIsWrittenToAPicture) {
    const QString dir = SnapshotDir();
    ASSERT_TRUE(QDir().mkpath(dir)) << dir.toStdString();
    SampleData data;
    for (const Snapshot& snapshot : Snapshots()) {
        SCOPED_TRACE(snapshot.name);
        std::unique_ptr<QWidget> widget = snapshot.make(data);
        ASSERT_TRUE(widget);
        widget->show();
        QApplication::processEvents();
        const QImage image = widget->grab().toImage();
        const QString file = QDir(dir).filePath(QString::fromUtf8(snapshot.name) + ".png");
        EXPECT_TRUE(image.save(file)) << file.toStdString();
        EXPECT_TRUE(HasContent(image));
        widget->hide();
    }
}

} // namespace
