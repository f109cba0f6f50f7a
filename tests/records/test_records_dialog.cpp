// The records browser dialog: what it shows when it opens, the commands on
// the chosen row (and without one), the delete with its questions, opening
// transcripts in a stand-in editor, the refresh after a save.
#include "records_fixture.h"

#include "records/CJyxReachDlg.h"
#include "records/RecordListModel.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace records;

class ReachDialogTest : public RecordsFixture {
protected:
    void SetUp() override {
        RecordsFixture::SetUp();
        addSamples();
    }

    // Hooks whose editors are plain dialogs, remembering what they were asked.
    ReachHooks hooks() {
        ReachHooks h;
        h.newEditor = [this](QWidget* parent) {
            ++newEditors;
            return new QDialog(parent);
        };
        h.openEditor = [this](QWidget* parent, const OpenRequest& r) {
            opened.push_back(r);
            return new QDialog(parent);
        };
        h.printRecord = [this](QWidget*, const OpenRequest& r) { printed.push_back(r); };
        return h;
    }
    QPushButton* button(CJyxReachDlg& dlg, const char* name) {
        auto* b = dlg.findChild<QPushButton*>(name);
        EXPECT_TRUE(b) << name;
        return b;
    }
    int rowOf(CJyxReachDlg& dlg, const QString& id) {
        for (int r = 0; r < dlg.model()->rowCount(); ++r)
            if (dlg.model()->text(r, kId) == id)
                return r;
        return -1;
    }

    int newEditors = 0;
    std::vector<OpenRequest> opened;
    std::vector<OpenRequest> printed;
};

TEST_F(ReachDialogTest, OpensWithEveryRecordAndTheDefaultForm) {
    CJyxReachDlg dlg(hooks(), nullptr, conn);
    EXPECT_EQ(dlg.titleText(), "笔录查询");
    EXPECT_EQ(dlg.model()->rowCount(), 5);
    EXPECT_EQ(dlg.model()->text(0, kId), "E");
    EXPECT_EQ(dlg.selectedRow(), -1);
    EXPECT_TRUE(dlg.list()->isColumnHidden(kId));
    EXPECT_EQ(dlg.list()->columnWidth(kStart), 180);
    EXPECT_EQ(dlg.list()->selectionBehavior(), QAbstractItemView::SelectRows);

    const SearchForm f = dlg.searchForm();
    EXPECT_EQ(f.sex, "全部");
    EXPECT_EQ(f.from, QDate(2026, 3, 14));
    EXPECT_EQ(f.to, QDate(2026, 3, 14));
    EXPECT_EQ(dlg.findChild<QDateEdit*>("fromDate")->displayFormat(), "yyyy-MM-dd");
    EXPECT_TRUE(f.rowCount.isEmpty());

    for (const char* shown :
         {"newButton", "modifyButton", "deleteButton", "menuButton", "exitButton", "searchButton"})
        EXPECT_FALSE(button(dlg, shown)->isHidden()) << shown;
    for (const char* hidden : {"askAgainButton", "printButton", "uploadButton", "cloudSyncButton",
                               "exportWordButton", "allRecordsButton"})
        EXPECT_TRUE(button(dlg, hidden)->isHidden()) << hidden;
    EXPECT_FALSE(button(dlg, "exportWordButton")->isEnabled());
    EXPECT_TRUE(button(dlg, "importFileButton")->isEnabled());

    std::unique_ptr<QMenu> menu = dlg.createMenu();
    QStringList items;
    for (QAction* a : menu->actions())
        items << a->text();
    EXPECT_EQ(items, (QStringList{"法规查询", "笔录地址管理", "询问人管理", "打印设置"}));
}

TEST_F(ReachDialogTest, CommandsWithoutAChosenRowSaySo) {
    CJyxReachDlg dlg(hooks(), nullptr, conn);
    dlg.onModify();
    dlg.onAskAgain();
    dlg.onDelete();
    dlg.onPrint();
    EXPECT_EQ(prompt.texts(), QStringList(4, "请选择一条笔录！"));
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(printed.empty());
    EXPECT_EQ(count("select count(*) from jyx_content"), 5);
}

TEST_F(ReachDialogTest, SearchNarrowsTheListAndRefusesABadRowCount) {
    CJyxReachDlg dlg(hooks(), nullptr, conn);
    dlg.findChild<QComboBox*>("sexCombo")->setCurrentText("男");
    dlg.findChild<QLineEdit*>("nameEdit")->setText("张");
    dlg.selectRow(0);
    dlg.onSearch();
    EXPECT_EQ(dlg.model()->rowCount(), 2);
    EXPECT_EQ(dlg.selectedRow(), -1);

    dlg.findChild<QLineEdit*>("rowCountEdit")->setText("五");
    dlg.onSearch();
    EXPECT_EQ(prompt.texts(), QStringList{QString::fromUtf8(kBadRowCount)});
    EXPECT_EQ(dlg.model()->rowCount(), 2);
}

TEST_F(ReachDialogTest, DeleteAsksAndRefillsWithEveryRecord) {
    CJyxReachDlg dlg(hooks(), nullptr, conn);
    dlg.findChild<QComboBox*>("sexCombo")->setCurrentText("女");
    dlg.onSearch();
    ASSERT_EQ(dlg.model()->rowCount(), 2); // B, D

    dlg.selectRow(0); // B, never uploaded
    prompt.queueAnswer(Prompt::Answer::Cancel);
    dlg.onDelete();
    EXPECT_EQ(prompt.lastText(),
              "确定要删除被询问人：李四相关笔录数据?该笔录未上传，删除后不可恢复，确定删除？");
    EXPECT_EQ(prompt.shown().back().buttons, Prompt::Buttons::OkCancel);
    EXPECT_EQ(count("select count(*) from jyx_content"), 5);
    EXPECT_EQ(count("select count(*) from jyx_log"), 0);

    dlg.selectRow(1); // D, uploaded
    prompt.clear();
    dlg.onDelete(); // answered OK
    EXPECT_EQ(prompt.texts(), (QStringList{"确定要删除被询问人：王100%_五相关笔录数据?",
                                           "王100%_五相关数据已删除！"}));
    EXPECT_EQ(count("select count(*) from jyx_content where jyx_id='D'"), 0);
    EXPECT_EQ(count("select count(*) from jyx_log where opra_type is not null"), 1);
    EXPECT_EQ(dlg.model()->rowCount(), 4);
    EXPECT_EQ(dlg.selectedRow(), -1);
}

TEST_F(ReachDialogTest, FailedDeleteIsReportedAndLeavesTheRow) {
    CJyxReachDlg dlg(hooks(), nullptr, conn);
    ASSERT_TRUE(db.exec("drop table jyx_log"));
    dlg.selectRow(rowOf(dlg, "A"));
    dlg.onDelete();
    ASSERT_EQ(prompt.shown().size(), 2u);
    EXPECT_TRUE(prompt.lastText().startsWith("张三相关数据删除失败！"));
    EXPECT_EQ(prompt.shown().back().icon, Prompt::Icon::Warning);
    EXPECT_EQ(dlg.model()->rowCount(), 5);
}

TEST_F(ReachDialogTest, OpensOneEditorAtATimeAndComesBackWhenItCloses) {
    CJyxReachDlg dlg(hooks(), nullptr, conn);
    dlg.show();
    dlg.selectRow(rowOf(dlg, "B"));
    dlg.onModify();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].id, "B");
    EXPECT_EQ(opened[0].mode, EditorMode::Modify);
    EXPECT_EQ(opened[0].times, "2");
    EXPECT_FALSE(dlg.isVisible());
    QPointer<QWidget> first = dlg.editor();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->parentWidget(), &dlg);

    // Opening again replaces the first editor.
    dlg.onAskAgain();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].mode, EditorMode::AskAgain);
    EXPECT_EQ(opened[1].times, "3");
    EXPECT_FALSE(first);
    EXPECT_EQ(Session().transcriptType, "烟草局笔录");

    static_cast<QDialog*>(dlg.editor())->reject();
    EXPECT_TRUE(dlg.isVisible());

    dlg.onNew();
    EXPECT_EQ(newEditors, 1);
    EXPECT_TRUE(dlg.isVisible());

    dlg.selectRow(rowOf(dlg, "C"));
    dlg.onPrint();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].id, "C");
    EXPECT_EQ(Session().transcriptType, "行政笔录");
}

TEST_F(ReachDialogTest, ClickChoosesARowAndAClickBelowTheRowsKeepsIt) {
    CJyxReachDlg dlg(hooks(), nullptr, conn);
    dlg.show();
    QTableView* list = dlg.list();
    const QRect second = list->visualRect(dlg.model()->index(1, kName));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(dlg.selectedRow(), 1);
    const QRect last = list->visualRect(dlg.model()->index(4, kName));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, last.center() + QPoint(0, 60));
    EXPECT_EQ(dlg.selectedRow(), 1);
}

TEST_F(ReachDialogTest, RefreshAfterASaveShowsTheNewRecord) {
    CJyxReachDlg dlg(hooks(), nullptr, conn);
    dlg.selectRow(2);
    add({"F", "赵六", "男", "2026/03/14 09:00", "2026/03/14 09:20", "询问笔录", "", "", "0",
         "烟草局笔录"});
    dlg.refreshList();
    EXPECT_EQ(dlg.model()->rowCount(), 6);
    EXPECT_EQ(dlg.model()->text(0, kName), "赵六");
    EXPECT_EQ(dlg.selectedRow(), -1);
}

TEST_F(ReachDialogTest, WithoutAnEditorTheEditorCommandsAreDisabled) {
    CJyxReachDlg dlg(ReachHooks{}, nullptr, conn);
    EXPECT_FALSE(button(dlg, "newButton")->isEnabled());
    EXPECT_FALSE(button(dlg, "modifyButton")->isEnabled());
    EXPECT_TRUE(button(dlg, "deleteButton")->isEnabled());
}

// Saves a picture of the browser with its sample rows when JYX_SHOTS names a
// folder.
TEST_F(ReachDialogTest, Screenshot) {
    const QByteArray shots = qgetenv("JYX_SHOTS");
    if (shots.isEmpty())
        GTEST_SKIP() << "JYX_SHOTS not set";
    CJyxReachDlg dlg(hooks(), nullptr, conn);
    dlg.findChild<QLineEdit*>("nameEdit")->setText("王");
    dlg.show();
    dlg.selectRow(1);
    QApplication::processEvents();
    EXPECT_TRUE(dlg.grab().save(QDir(QString::fromUtf8(shots)).filePath("records-browser.png")));
}
