// The template manager in both modes, driven through its controls and
// commands, and the editor's two template commands on the real lists.
#include "app/AppContext.h"
#include "app/Clock.h"
#include "app/Database.h"
#include "app/Prompt.h"
#include "tests/support/OnModal.h"
#include "tools/jyx-admin/AdminDb.h"
#include "transcript/AnswerList.h"
#include "transcript/CInputDlg.h"
#include "transcript/CJyxMakeDlg.h"
#include "transcript/CModalDlg.h"
#include "transcript/Keywords.h"
#include "transcript/QuestionList.h"
#include "transcript/TemplateCommands.h"
#include "transcript/TranscriptTextEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

template <class T> T* Find(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromUtf8(name));
    if (!w)
        ADD_FAILURE() << "no control " << name;
    return w;
}

QColor BlockColour(const QTextBlock& block) {
    const auto formats = block.layout()->formats();
    return formats.isEmpty() ? QColor(Qt::black) : formats.front().format.foreground().color();
}

std::vector<QColor> Colours(const QTextEdit* edit) {
    std::vector<QColor> out;
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next())
        out.push_back(BlockColour(b));
    return out;
}

QStringList TreeLines(const QTreeWidget* tree) {
    QStringList out;
    for (int g = 0; g < tree->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = tree->topLevelItem(g);
        out << group->text(0) + (group->isExpanded() ? "+" : "");
        for (int t = 0; t < group->childCount(); ++t)
            out << "  " + group->child(t)->text(0);
    }
    return out;
}

QStringList MenuTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << a->text();
    return out;
}

const QColor kRed(128, 0, 0), kBlue(0, 0, 128), kBlack(Qt::black);

class TemplateDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        SetProgramDir(dir.path().toStdString());
        ASSERT_EQ(conn.Open((dir.path() + "/SysReg.db").toUtf8().constData()), 0);
        ASSERT_TRUE(db.exec(schema::jyx_modal.createSql()));
        ASSERT_TRUE(db.exec(schema::person_info.createSql()));
        InstallClock(&clock);
        InstallPrompt(&prompt);
        add("烟草局笔录", "回答", "是的。\n 不是。");
        add("烟草局笔录", "通用", "标题\n询问人：你叫#XM吗？\n被询问人：~D是~D否\n补充说明");
        add("行政笔录", "通用", "询问人：行政");
        add("行政笔录", "共享模板", "");
    }
    void TearDown() override {
        InstallClock(nullptr);
        InstallPrompt(nullptr);
        conn.Close();
    }
    void add(const char* group, const char* name, const char* content) {
        ASSERT_TRUE(db.insert(schema::jyx_modal, {{"modal_type1", group},
                                                  {"modal_type2", name},
                                                  {"modal_content", content},
                                                  {"modal_createtime", ""},
                                                  {"modal_creator", ""},
                                                  {"modal_type3", ""}}));
    }
    QString content(const char* group, const char* name) {
        return store.read(U(group), U(name)).content;
    }

    QTemporaryDir dir;
    CDBConnection conn;
    Database db{conn};
    TemplateStore store{db};
    FixedClock clock{QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53))};
    ScriptedPrompt prompt;
};

} // namespace

TEST_F(TemplateDialogTest, OpensWithTreeControlsAndModeSpecificLoadButton) {
    CModalDlg manage(db, ModalMode::Manage);
    EXPECT_EQ(manage.titleText(), U("模板管理"));
    EXPECT_EQ(TreeLines(manage.tree()),
              (QStringList{U("烟草局笔录+"), U("  回答"), U("  通用"), U("行政笔录+"), U("  通用"),
                           U("  共享模板")}));
    EXPECT_EQ(Find<QLabel>(&manage, "treeHint")->text(), U("双击选中并套用该模板"));
    QComboBox* sizes = Find<QComboBox>(&manage, "sizeList");
    ASSERT_EQ(sizes->count(), 12);
    EXPECT_EQ(sizes->itemText(0), U("小五"));
    EXPECT_EQ(sizes->itemText(11), U("初号"));
    EXPECT_EQ(sizes->currentText(), U("五号"));
    EXPECT_TRUE(Find<QCheckBox>(&manage, "colourBox")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(&manage, "ruledBox")->isChecked());
    const char* buttons[][2] = {{"helpButton", "自动填写说明"},
                                {"saveButton", "保存"},
                                {"loadButton", "加载"},
                                {"exitButton", "退出"}};
    for (auto& b : buttons)
        EXPECT_EQ(Find<QPushButton>(&manage, b[0])->text(), U(b[1]));
    EXPECT_FALSE(Find<QPushButton>(&manage, "loadButton")->isVisibleTo(&manage));

    CModalDlg choose(db, ModalMode::Choose);
    EXPECT_TRUE(Find<QPushButton>(&choose, "loadButton")->isVisibleTo(&choose));
}

TEST_F(TemplateDialogTest, SelectedTemplateIsShownSizedAndColoured) {
    CModalDlg dlg(db, ModalMode::Manage);
    dlg.selectTemplate(U("烟草局笔录"), U("通用"));
    QTextEdit* text = dlg.textArea();
    EXPECT_EQ(text->toPlainText(), content("烟草局笔录", "通用"));
    EXPECT_EQ(dlg.selectedName(), U("通用"));
    EXPECT_EQ(dlg.selectedGroup(), U("烟草局笔录"));
    // 30 twentieths of a point per point: "五号" (10.5) is shown at 15.75.
    EXPECT_DOUBLE_EQ(text->document()->defaultFont().pointSizeF(), 15.75);
    EXPECT_EQ(text->document()->defaultFont().family(), U("宋体"));
    Find<QComboBox>(&dlg, "sizeList")->setCurrentText(U("小四"));
    EXPECT_DOUBLE_EQ(text->document()->defaultFont().pointSizeF(), 18.0);

    // Heading before any marker red, question red, the options line blue and
    // the line after it continues blue.
    EXPECT_EQ(Colours(text), (std::vector<QColor>{kRed, kRed, kBlue, kBlue}));
    Find<QCheckBox>(&dlg, "colourBox")->click();
    EXPECT_EQ(Colours(text), (std::vector<QColor>{kBlack, kBlack, kBlack, kBlack}));

    // A group shows nothing and leaves no template selected.
    dlg.tree()->setCurrentItem(dlg.tree()->topLevelItem(1));
    EXPECT_EQ(text->toPlainText(), QString());
    EXPECT_EQ(dlg.selectedName(), QString());
}

TEST_F(TemplateDialogTest, TreeMenusOfGroupsAndTemplates) {
    CModalDlg dlg(db, ModalMode::Manage);
    QTreeWidgetItem* group = dlg.tree()->topLevelItem(0);
    EXPECT_EQ(MenuTexts(dlg.treeMenu(group).get()), QStringList{U("添加")});
    EXPECT_EQ(MenuTexts(dlg.treeMenu(group->child(1)).get()), (QStringList{U("删除"), U("共享")}));
    EXPECT_EQ(dlg.treeMenu(nullptr), nullptr);
}

TEST_F(TemplateDialogTest, AddingAsksForANameAndRefusesUsedOnes) {
    CModalDlg dlg(db, ModalMode::Manage);
    QString answer;
    dlg.setNameAsker([&](QWidget*) { return answer; });
    dlg.tree()->setCurrentItem(dlg.tree()->topLevelItem(1)); // 行政笔录

    answer = U("通用");
    dlg.addTemplate();
    EXPECT_EQ(prompt.texts(), QStringList{U("“通用”模板已存在！")});
    answer = U("烟草局笔录");
    dlg.addTemplate();
    EXPECT_EQ(prompt.lastText(), U("“烟草局笔录”模板已存在！"));
    prompt.clear();
    answer.clear();
    dlg.addTemplate();
    EXPECT_TRUE(prompt.texts().isEmpty());

    answer = U("新的");
    dlg.addTemplate();
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_EQ(TreeLines(dlg.tree()).mid(3),
              (QStringList{U("行政笔录+"), U("  通用"), U("  共享模板"), U("  新的")}));
    EXPECT_EQ(dlg.selectedName(), U("新的")); // the new template is selected, empty
    EXPECT_EQ(dlg.textArea()->toPlainText(), QString());
    const TemplateText stored = store.read(U("行政笔录"), U("新的"));
    EXPECT_TRUE(stored.found);
    EXPECT_EQ(stored.createTime, QString());
}

TEST_F(TemplateDialogTest, DeletingAsksAndRemovesOnlyTheSelectedGroupsTemplate) {
    CModalDlg dlg(db, ModalMode::Manage);
    dlg.deleteTemplate(); // nothing selected: nothing happens
    EXPECT_TRUE(prompt.texts().isEmpty());

    dlg.selectTemplate(U("烟草局笔录"), U("回答"));
    dlg.deleteTemplate();
    EXPECT_EQ(prompt.texts(), QStringList{U("该模板不能删除!")});
    prompt.clear();

    dlg.selectTemplate(U("行政笔录"), U("通用"));
    prompt.queueAnswer(Prompt::Answer::Cancel);
    dlg.deleteTemplate();
    EXPECT_EQ(prompt.texts(), QStringList{U("您确定要删除该模板?")});
    EXPECT_TRUE(store.read(U("行政笔录"), U("通用")).found);
    prompt.clear();

    dlg.deleteTemplate(); // answered OK
    EXPECT_EQ(prompt.texts(), (QStringList{U("您确定要删除该模板?"), U("已删除！")}));
    EXPECT_FALSE(store.read(U("行政笔录"), U("通用")).found);
    EXPECT_TRUE(store.read(U("烟草局笔录"), U("通用")).found);
    EXPECT_EQ(TreeLines(dlg.tree()), (QStringList{U("烟草局笔录+"), U("  回答"), U("  通用"),
                                                  U("行政笔录+"), U("  共享模板")}));
}

TEST_F(TemplateDialogTest, SavingWritesTheShownTextButNeverTheKeywordHelp) {
    CModalDlg dlg(db, ModalMode::Manage);
    dlg.selectTemplate(U("行政笔录"), U("通用"));
    dlg.textArea()->setPlainText(U("询问人：新的'问题'\n被询问人：~D是"));
    dlg.saveTemplate();
    EXPECT_EQ(prompt.texts(), QStringList{U("保存成功！")});
    EXPECT_EQ(content("行政笔录", "通用"), U("询问人：新的'问题'\n被询问人：~D是"));
    EXPECT_EQ(store.read(U("行政笔录"), U("通用")).createTime, U("2026/03/14 09:26:53"));
    EXPECT_EQ(content("烟草局笔录", "通用"),
              U("标题\n询问人：你叫#XM吗？\n被询问人：~D是~D否\n补充说明"));
    prompt.clear();

    Find<QPushButton>(&dlg, "helpButton")->click();
    EXPECT_EQ(dlg.textArea()->toPlainText(), KeywordHelpText());
    Find<QPushButton>(&dlg, "saveButton")->click();
    ASSERT_EQ(prompt.shown().size(), 1u);
    EXPECT_NE(prompt.lastText(), U("保存成功！"));
    EXPECT_EQ(prompt.shown()[0].icon, Prompt::Icon::Warning);
    EXPECT_EQ(content("行政笔录", "通用"), U("询问人：新的'问题'\n被询问人：~D是"));

    // A template deleted behind the dialog's back is not reported as saved.
    dlg.selectTemplate(U("烟草局笔录"), U("通用"));
    ASSERT_TRUE(db.exec("delete from jyx_modal where modal_type2=?",
                        SqlArgs().col(schema::jyx_modal, "modal_type2", "通用")));
    prompt.clear();
    dlg.saveTemplate();
    EXPECT_NE(prompt.lastText(), U("保存成功！"));
}

TEST_F(TemplateDialogTest, DoubleClickAndLoadPickTheTemplate) {
    {
        CModalDlg dlg(db, ModalMode::Manage);
        dlg.pickItem(dlg.tree()->topLevelItem(0)); // a group is not a template
        EXPECT_FALSE(dlg.picked());
        QTreeWidgetItem* item = dlg.tree()->topLevelItem(0)->child(1);
        emit dlg.tree()->itemDoubleClicked(item, 0);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        ASSERT_TRUE(dlg.picked());
        EXPECT_EQ(dlg.picked()->group, U("烟草局笔录"));
        EXPECT_EQ(dlg.picked()->name, U("通用"));
        EXPECT_EQ(dlg.picked()->text, content("烟草局笔录", "通用"));
    }
    {
        CModalDlg dlg(db, ModalMode::Choose);
        dlg.selectTemplate(U("行政笔录"), U("通用"));
        dlg.textArea()->setPlainText(U("改过的"));
        Find<QPushButton>(&dlg, "loadButton")->click();
        ASSERT_TRUE(dlg.picked());
        EXPECT_EQ(dlg.picked()->text, U("改过的"));
    }
}

TEST_F(TemplateDialogTest, LoadOnSharedTemplatesOpensTheServerPageAndStaysOpen) {
    QFile conf(dir.path() + "/server.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("host=10.1.2.3\nport=8001\n");
    conf.close();
    CModalDlg dlg(db, ModalMode::Choose);
    QList<QUrl> opened;
    dlg.setUrlOpener([&](const QUrl& url) { opened << url; });
    dlg.selectTemplate(U("行政笔录"), U("共享模板"));
    dlg.load();
    EXPECT_EQ(opened, QList<QUrl>{QUrl("http://10.1.2.3:8001/jyx_template")});
    EXPECT_FALSE(dlg.picked());
    EXPECT_EQ(dlg.result(), 0);
}

TEST_F(TemplateDialogTest, ChooseTemplateFillsTheQuestionListWhileTheFlagIsSet) {
    QuestionList list;
    list.setQuestions({{U("旧问题"), U("旧回答"), 0}});
    bool flag = false;
    bool flagWhileOpen = false;
    QStringList kinds;
    KeywordValues values;
    values.name = U("张三");
    const auto fill = [&](const QString& t) { return FillKeywords(t, values); };

    OnModal<CModalDlg>([&](CModalDlg* dlg) {
        flagWhileOpen = flag;
        Find<QPushButton>(dlg, "exitButton")->click();
    });
    EXPECT_FALSE(
        ChooseTemplate(nullptr, db, list, fill, flag, [&](const QString& k) { kinds << k; }));
    EXPECT_TRUE(flagWhileOpen);
    EXPECT_FALSE(flag);
    EXPECT_TRUE(kinds.isEmpty());
    EXPECT_EQ(list.questions().value(0).answer, U("旧回答")); // untouched

    OnModal<CModalDlg>([&](CModalDlg* dlg) {
        EXPECT_EQ(dlg->mode(), ModalMode::Choose);
        dlg->selectTemplate(U("烟草局笔录"), U("通用"));
        dlg->pickItem(dlg->tree()->currentItem());
    });
    auto loaded =
        ChooseTemplate(nullptr, db, list, fill, flag, [&](const QString& k) { kinds << k; });
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(flag);
    EXPECT_EQ(kinds, QStringList{U("通用")});
    EXPECT_EQ(loaded->commonAnswers, (QStringList{U("是的。"), U(" 不是。")}));
    const QList<QuestionRow> rows = list.questions();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].question, U("询问人：你叫#XM吗？"));
    EXPECT_EQ(rows[0].answer, U("被询问人：~D是~D否补充说明"));
    EXPECT_EQ(rows[0].height, 30);
}

TEST_F(TemplateDialogTest, ApplyReplacesTheTextAndShowsTheCommonAnswers) {
    QuestionList list;
    TranscriptTextEdit text;
    AnswerList answers;
    list.attach(&text, &answers);
    answers.attach(&text);
    text.setTranscriptText(U("之前写的内容"));

    const auto fill = [](const QString& a) { return a; };
    ApplyCurrentTemplate(db, list, text, answers, fill); // no questions yet
    EXPECT_EQ(text.transcriptText(), U("之前写的内容"));

    list.setQuestions({{U("询问人：你叫什么名字？"), U("被询问人：张三~D李四"), 30},
                       {U("你多大？"), QString(), 30}});
    ApplyCurrentTemplate(db, list, text, answers, fill);
    EXPECT_EQ(text.transcriptText(),
              U("询问人：你叫什么名字？\n被询问人：张三\n询问人：你多大？\n被询问人：\n"));
    EXPECT_EQ(answers.answers(), (QStringList{U("是的。"), U("不是。")}));
}

TEST_F(TemplateDialogTest, InputDialogKeepsItsText) {
    CInputDlg dlg(nullptr, U("添加模板"), U("模板名称："));
    EXPECT_EQ(dlg.titleText(), U("添加模板"));
    dlg.setText(U("新模板"));
    EXPECT_EQ(dlg.text(), U("新模板"));
    OnModal<CInputDlg>([](CInputDlg* d) {
        d->edit()->setText(U("名称"));
        Find<QPushButton>(d, "okButton")->click();
    });
    EXPECT_EQ(CInputDlg::ask(nullptr, U("添加模板"), U("模板名称：")), U("名称"));
    OnModal<CInputDlg>([](CInputDlg* d) {
        d->edit()->setText(U("名称"));
        Find<QPushButton>(d, "cancelButton")->click();
    });
    EXPECT_EQ(CInputDlg::ask(nullptr, U("添加模板"), U("模板名称：")), QString());
}

// The editor's buttons through the functions its commands call, on the
// system connection as the program runs them.
TEST(EditorTemplateCommands, ChooseFillsTheListAndApplyWritesTheText) {
    QTemporaryDir dir;
    SetProgramDir(dir.path().toStdString());
    ASSERT_EQ(SystemDb().Open((dir.path() + "/SysReg.db").toUtf8().constData()), 0);
    Database db(SystemDb());
    for (const TableDef* t : schema::all())
        ASSERT_TRUE(db.exec(t->createSql()));
    ScriptedPrompt prompt;
    InstallPrompt(&prompt);
    Session().transcriptType = "烟草局笔录";
    Session().unitName = "青岚市烟草专卖局";
    for (const char* kind : {"询问笔录", "通用"})
        ASSERT_TRUE(db.insert(schema::jyx_type,
                              {{"jyxtype", "烟草局笔录"}, {"jyxname", kind}, {"jyxcontent", ""}}));
    TemplateStore store(db);
    store.add(U("烟草局笔录"), U("通用"));
    store.save(U("烟草局笔录"), U("通用"), U("询问人：你是#JGMC的吗？\n被询问人：我是#XM~D不是"));
    {
        CJyxMakeDlg editor(nullptr, U("旧的文字"), EditorCommands{}, SystemDb());
        editor.findChild<QLineEdit*>("name")->setText(U("张三"));
        auto* kinds = editor.findChild<QComboBox*>("kindList");
        ASSERT_TRUE(kinds);
        kinds->setCurrentText(U("询问笔录"));

        bool flagWhileOpen = false;
        OnModal<CModalDlg>([&](CModalDlg* dlg) {
            flagWhileOpen = editor.session().templateDialogOpen;
            dlg->selectTemplate(U("烟草局笔录"), U("通用"));
            dlg->pickItem(dlg->tree()->currentItem());
        });
        ChooseTemplateForEditor(editor);
        EXPECT_TRUE(flagWhileOpen);
        EXPECT_FALSE(editor.session().templateDialogOpen);
        EXPECT_EQ(kinds->currentText(), U("通用"));
        const QList<QuestionRow> rows = editor.questionList()->questions();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0].question, U("询问人：你是#JGMC的吗？"));
        EXPECT_EQ(rows[0].answer, U("被询问人：我是张三~D不是"));

        ApplyTemplateForEditor(editor);
        EXPECT_EQ(editor.textEdit()->transcriptText(),
                  U("询问人：你是#JGMC的吗？\n被询问人：我是张三"));
    }
    InstallPrompt(nullptr);
    SystemDb().Close();
}

// The delivered database offers the tobacco templates and common answers; the
// dialog is also grabbed for a look when JYX_SHOT_DIR names a folder.
TEST(DeliveredTemplates, ManagerShowsTheDeliveredTemplates) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/SysReg.db").toStdString();
    DeliveredData data;
    std::string error;
    ASSERT_TRUE(LoadDeliveredData(JYX_SOURCE_DIR "/resources/data", QDateTime::currentDateTime(),
                                  data, error))
        << error;
    ASSERT_TRUE(CreateDeliveredDb(path, data, false, error)) << error;
    CDBConnection conn;
    ASSERT_EQ(conn.Open(path.c_str()), 0);
    Database db(conn);
    TemplateStore store(db);
    EXPECT_GE(store.commonAnswers().size(), 5);

    CModalDlg manage(db, ModalMode::Manage);
    const QStringList lines = TreeLines(manage.tree());
    EXPECT_TRUE(lines.contains(U("烟草局笔录+")));
    EXPECT_TRUE(lines.contains(U("  无证经营卷烟")));
    manage.selectTemplate(U("烟草局笔录"), U("无证经营卷烟"));
    const QString text = manage.textArea()->toPlainText();
    EXPECT_TRUE(text.contains(U("询问人：")));
    // Every delivered template gives question rows with answers to pick from.
    const auto rows = BuildQuestionList(text, nullptr);
    EXPECT_GE(rows.size(), 10);
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                            [](const TemplateQuestion& r) { return r.answer.contains("~D"); }));

    if (const QByteArray shots = qgetenv("JYX_SHOT_DIR"); !shots.isEmpty()) {
        manage.show();
        manage.grab().save(QString::fromUtf8(shots) + "/templates-manage.png");
        CModalDlg choose(db, ModalMode::Choose);
        choose.selectTemplate(U("烟草局笔录"), U("销售假冒卷烟"));
        Find<QComboBox>(&choose, "sizeList")->setCurrentText(U("小五"));
        choose.show();
        choose.grab().save(QString::fromUtf8(shots) + "/templates-choose.png");
        choose.showKeywordHelp();
        choose.grab().save(QString::fromUtf8(shots) + "/templates-help.png");
    }
    conn.Close();
}
