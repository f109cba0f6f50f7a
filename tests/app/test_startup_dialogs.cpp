// Start-up, the login dialog and the main window driven as the user drives
// them: one running copy, the login form, the hand-over to the main window,
// the main window's buttons and menu, and the drag band of the frame.
#include "app/AppContext.h"
#include "app/CJyxApp.h"
#include "app/CLoginDlg.h"
#include "app/CMainDlg.h"
#include "app/Clock.h"
#include "app/Database.h"
#include "app/Prompt.h"
#include "app/Schema.h"
#include "app/SingleInstance.h"
#include "tests/support/OnModal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

namespace {

template <class T> T* Find(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromUtf8(name));
    if (!w)
        ADD_FAILURE() << "no control " << name;
    return w;
}

QStringList L(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

// A program directory in a temporary folder holding an encrypted system
// database; the session, prompt and clock are the test's own.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        savedDir = ProgramDir();
        SetProgramDir(dir.path().toStdString());
        ASSERT_EQ(setupConn.Open(ProgramPath("SysReg.db").c_str()), 0);
        for (const TableDef* table : schema::all())
            ASSERT_TRUE(setup.exec(table->createSql())) << setup.lastError();
        InstallPrompt(&prompt);
        InstallClock(&clock);
        Session() = SessionValues();
    }
    void TearDown() override {
        SystemDb().Close();
        InstallPrompt(nullptr);
        InstallClock(nullptr);
        Session() = SessionValues();
        SetProgramDir(savedDir);
    }

    QTemporaryDir dir;
    std::string savedDir;
    CDBConnection setupConn;
    Database setup{setupConn};
    ScriptedPrompt prompt;
    FixedClock clock;
};

TEST_F(StartupTest, SecondCopyIsRefusedWhileTheFirstHoldsTheLock) {
    QTemporaryDir lockDir;
    SingleInstance first(lockDir.path());
    ASSERT_TRUE(first.acquire());
    EXPECT_TRUE(first.acquire()); // asking again keeps the lock

    CJyxApp app;
    EXPECT_EQ(app.InitInstance(MainCommands(), lockDir.path()), 1);
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_EQ(prompt.shown()[0].text, QString::fromUtf8("程序已经运行"));
    EXPECT_EQ(prompt.shown()[0].caption, QString::fromUtf8("笔录系统"));
    EXPECT_EQ(prompt.shown()[0].icon, Prompt::Icon::Warning);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().begin(),
                             QApplication::topLevelWidgets().end(),
                             [](QWidget* w) { return w->isVisible(); }));
    EXPECT_TRUE(first.acquire()); // the first copy goes on undisturbed
}

TEST_F(StartupTest, TheLockIsFreeAgainWhenItsHolderEnds) {
    QTemporaryDir lockDir;
    {
        SingleInstance first(lockDir.path());
        ASSERT_TRUE(first.acquire());
        SingleInstance second(lockDir.path());
        EXPECT_FALSE(second.acquire());
    }
    SingleInstance later(lockDir.path());
    EXPECT_TRUE(later.acquire());
    EXPECT_EQ(later.lockPath(), QDir(lockDir.path()).filePath("Jyx"));
}

// The real program, twice: the second process says so and ends with code 1
// while the first keeps waiting at its login form.
TEST_F(StartupTest, SecondProgramProcessEndsAtOnce) {
    const QString program = QStringLiteral(JYX_PROGRAM_DIR "/jyx");
    if (!QFile::exists(program))
        GTEST_SKIP() << "jyx not built";
    QTemporaryDir runtime, home;
    // A screen wide enough for the login form (the offscreen default is 800 wide).
    QFile screens(home.filePath("screens.json"));
    ASSERT_TRUE(screens.open(QIODevice::WriteOnly));
    screens.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1920,
                      "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.close();
    auto environment = [&](const QString& log) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName());
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("JYX_HOME", home.path());
        env.insert("JYX_PROMPT_LOG", log);
        return env;
    };
    QProcess first;
    first.setProcessEnvironment(environment(home.filePath("first.log")));
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted());
    // The first copy has its lock once it reported the missing database.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home.filePath("first.log")), 20000);

    QProcess second;
    second.setProcessEnvironment(environment(home.filePath("second.log")));
    second.start(program, {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 1);
    QFile log(home.filePath("second.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(log.readAll()), QString::fromUtf8("笔录系统\t程序已经运行\n"));
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

TEST_F(StartupTest, LoginFormOpensWithItsFontsAndPrefill) {
    CLoginDlg login{MainCommands()};
    ASSERT_TRUE(login.initialise(1920, 96));
    EXPECT_EQ(login.userEdit()->text(), "admin");
    EXPECT_EQ(login.passwordEdit()->text(), "804271");
    EXPECT_EQ(login.passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(login.loginButton()->text(), QString::fromUtf8("登  录"));
    for (QLineEdit* edit : {login.userEdit(), login.passwordEdit()}) {
        EXPECT_EQ(edit->font().pixelSize(), 28);
        EXPECT_EQ(edit->font().weight(), QFont::Bold);
        EXPECT_EQ(edit->font().family(), QString::fromUtf8("宋体"));
    }
    EXPECT_EQ(Find<QLabel>(&login, "title")->text(),
              QString::fromUtf8("青岚市烟草专卖局专卖办案笔录软件"));
    EXPECT_DOUBLE_EQ(Session().pixelsPerMm, 96 * 10 / 254.0);
    EXPECT_TRUE(prompt.shown().empty());

    CLoginDlg narrow{MainCommands()};
    EXPECT_FALSE(narrow.initialise(800, 96));
    EXPECT_EQ(prompt.texts(), L({"分辨率过低，建议使用1024*768以上分辨率设置！"}));
    EXPECT_EQ(prompt.shown()[0].caption, QString::fromUtf8(kAppTitle));
}

TEST_F(StartupTest, EnterRunsTheLoginAndTheMainWindowRunsWithTheLoginHidden) {
    CLoginDlg login{MainCommands()};
    ASSERT_TRUE(login.initialise(1920, 96));
    bool loginVisibleDuringMain = true;
    int runs = 0;
    login.setMainRunner([&](QWidget* dlg) {
        ++runs;
        loginVisibleDuringMain = dlg->isVisible();
    });
    login.show();
    login.userEdit()->setText("nobody");
    QTest::keyClick(login.passwordEdit(), Qt::Key_Return);
    EXPECT_EQ(prompt.texts(), L({"用户:nobody 不存在!"}));
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(login.isVisible());

    login.userEdit()->setText(" admin ");
    QTest::keyClick(login.userEdit(), Qt::Key_Enter);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(loginVisibleDuringMain);
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(login.result(), QDialog::Accepted);
    EXPECT_EQ(Session().loginName, "admin");
    EXPECT_EQ(Session().unitName, kDefaultUnitName);
}

TEST_F(StartupTest, MainWindowShowsTheUnitAndClosingItEndsTheLogin) {
    ASSERT_TRUE(setup.insert(schema::jyx_register, {{"jyx_username", "zhang"},
                                                    {"jyx_password", "pw1234"},
                                                    {"jyx_userxm", "张三"},
                                                    {"jyx_sfz", "370200198001010011"}}));
    int checks = 0;
    MainCommands commands;
    commands.serverCheck = [&](QWidget*) { ++checks; };
    CLoginDlg login(commands);
    ASSERT_TRUE(login.initialise(1920, 96));
    EXPECT_EQ(login.userEdit()->text(), "zhang");
    login.show();
    login.passwordEdit()->setText("pw1234");
    bool seen = false;
    OnModal<CMainDlg>([&](CMainDlg* main) {
        seen = true;
        EXPECT_FALSE(login.isVisible());
        EXPECT_EQ(Find<QLabel>(main, "unitName")->text(), QString::fromUtf8(kDefaultUnitName));
        EXPECT_EQ(Find<QLabel>(main, "title")->text(), QString::fromUtf8("烟草专卖办案笔录V2.0"));
        EXPECT_EQ(Find<QLabel>(main, "supportLine")->text(),
                  QString::fromUtf8("客服：13100000000(微信同号)"));
        main->closeButton()->click();
    });
    login.loginButton()->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(login.result(), QDialog::Accepted);
    EXPECT_EQ(Session().officerName, "张三");
    EXPECT_EQ(Session().accountIdNumber, "370200198001010011");
}

class MainWindowTest : public StartupTest {
protected:
    // Records, for each opener, whether the main window was visible while it ran.
    MainCommands recording() {
        MainCommands c;
        auto opener = [this](const char* name) {
            return [this, name](QWidget* parent) {
                calls << QString::fromUtf8(name);
                visibleDuring << parent->isVisible();
            };
        };
        c.newTranscript = opener("new");
        c.myTranscripts = opener("mine");
        c.blankTranscript = opener("blank");
        c.templates = opener("templates");
        c.lawLookup = opener("law");
        c.addressManager = opener("places");
        c.userManager = opener("users");
        c.printSettings = opener("print");
        return c;
    }
    QStringList calls;
    QList<bool> visibleDuring;
};

TEST_F(MainWindowTest, ButtonsHideTheWindowWhileTheirDialogRuns) {
    CMainDlg main(recording());
    main.show();
    const char* buttons[][2] = {{"newTranscript", "新建笔录"},
                                {"myTranscripts", "我的笔录"},
                                {"blankTranscript", "空白笔录"},
                                {"templates", "笔录模板"}};
    for (auto& b : buttons) {
        auto* button = Find<QAbstractButton>(&main, b[0]);
        ASSERT_TRUE(button);
        EXPECT_EQ(button->text(), QString::fromUtf8(b[1]));
        button->click();
        EXPECT_TRUE(main.isVisible()) << b[0];
    }
    EXPECT_EQ(calls, L({"new", "mine", "blank", "templates"}));
    EXPECT_EQ(visibleDuring, QList<bool>({false, false, false, false}));
    EXPECT_EQ(Session().transcriptType, "烟草局笔录");
    EXPECT_EQ(Session().transcriptKind, "询问笔录");
}

TEST_F(MainWindowTest, MenuHoldsTheFourCommandsAndLeavesTheWindowShown) {
    CMainDlg main(recording());
    main.show();
    std::unique_ptr<QMenu> menu = main.createMenu();
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    EXPECT_EQ(texts, L({"法规查询", "笔录地址管理", "询问人管理", "打印设置"}));
    for (QAction* action : menu->actions())
        action->trigger();
    EXPECT_EQ(calls, L({"law", "places", "users", "print"}));
    EXPECT_EQ(visibleDuring, QList<bool>({true, true, true, true}));
}

TEST_F(MainWindowTest, CommandsWithoutADialogAreDisabled) {
    MainCommands some;
    some.userManager = [](QWidget*) {};
    CMainDlg main(some);
    EXPECT_FALSE(Find<QAbstractButton>(&main, "newTranscript")->isEnabled());
    EXPECT_FALSE(Find<QAbstractButton>(&main, "templates")->isEnabled());
    std::unique_ptr<QMenu> menu = main.createMenu();
    QList<bool> enabled;
    for (QAction* action : menu->actions())
        enabled << action->isEnabled();
    EXPECT_EQ(enabled, QList<bool>({false, false, true, false}));
    EXPECT_TRUE(Find<QAbstractButton>(&main, "menuButton")->isEnabled());
}

TEST_F(MainWindowTest, UnitAndSupportFontsFollowTheScreenWidth) {
    EXPECT_EQ(CMainDlg::unitNamePixels(1899), 24);
    EXPECT_EQ(CMainDlg::unitNamePixels(1900), 32);
    EXPECT_EQ(CMainDlg::supportLinePixels(1899), 18);
    EXPECT_EQ(CMainDlg::supportLinePixels(1920), 22);
    Session().unitName = kDefaultUnitName;
    CMainDlg main{MainCommands()};
    QLabel* unit = Find<QLabel>(&main, "unitName");
    EXPECT_EQ(unit->font().family(), QString::fromUtf8("仿宋"));
    EXPECT_TRUE(unit->font().bold());
    EXPECT_EQ(unit->palette().color(QPalette::WindowText), QColor(251, 45, 69));
    EXPECT_EQ(Find<QLabel>(&main, "supportLine")->palette().color(QPalette::WindowText),
              QColor(100, 45, 69));
}

// A press in the band and a move drag the window; a press below it does not.
TEST(FrameTest, DraggedByTheTopBandOnly) {
    struct {
        int band;
        int pressY;
        bool moves;
    } cases[] = {{42, 0, true}, {42, 41, true}, {42, 42, false}, {82, 81, true}, {82, 82, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pressY);
        FramedDialog dlg(nullptr, FramedDialog::DragBand | FramedDialog::RoundCorners, c.band);
        dlg.resize(400, 300);
        dlg.move(100, 100);
        dlg.show();
        const QPoint start = dlg.pos();
        const QPointF local(200, c.pressY);
        const QPointF global = dlg.mapToGlobal(local);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&dlg, &press);
        QMouseEvent move(QEvent::MouseMove, local + QPointF(30, 20), global + QPointF(30, 20),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, local + QPointF(30, 20),
                            global + QPointF(30, 20), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &release);
        EXPECT_EQ(dlg.pos() != start, c.moves);
        EXPECT_FALSE(dlg.mask().isEmpty()); // the rounded corners
        EXPECT_FALSE(dlg.mask().contains(QPoint(0, 0)));
    }
}

TEST(FrameTest, CloseButtonCancels) {
    FramedDialog dlg(nullptr, FramedDialog::AllPieces);
    dlg.setTitleText(QStringLiteral("笔录地址管理"));
    dlg.show();
    ASSERT_TRUE(dlg.closeButton());
    dlg.closeButton()->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

// The face names the program and its database use resolve, through the
// shipped aliases, to installed CJK fonts rather than to a Latin fallback.
TEST(FontAliases, ChineseFaceNamesResolveToCjkFonts) {
    if (!qEnvironmentVariable("FONTCONFIG_FILE").endsWith("fonts.conf"))
        GTEST_SKIP() << "the program's font aliases are not in use";
    for (const char* face :
         {"宋体", "仿宋", "黑体", "楷体", "方正小标宋简体", "华文行楷", "微软雅黑"}) {
        const QString family = QFontInfo(QFont(QString::fromUtf8(face))).family();
        EXPECT_TRUE(family.contains("CJK") || family.startsWith("AR PL"))
            << face << " -> " << family.toStdString();
    }
}

} // namespace
