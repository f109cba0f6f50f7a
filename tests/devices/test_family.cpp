// Family members: the store's replace, delete and empty-row rules, and the
// dialog's grid, buttons and card read into a row.
#include "app/test_officers_fixture.h"
#include "devices/CFamilyDlg.h"
#include "devices/FamilyStore.h"
#include "devices/IdNumberRules.h"
#include "text/TextCodec.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

FamilyMember Member(const QString& name, const QString& relation, bool notify = false) {
    FamilyMember m;
    m.name = name;
    m.relation = relation;
    m.notify = notify;
    m.idNumber = "110101199003071236";
    m.age = "36";
    m.telephone = "13800000000";
    m.unit = QStringLiteral("青岚市第一中学");
    m.address = QStringLiteral("青岚市光明路1号");
    return m;
}

class Family : public StoreFixture {
protected:
    int members(const QString& recordId) {
        return count("select * from jyx_family where jyx_id=?",
                     SqlArgs().text(recordId.toStdString(), ColumnEncoding::Gbk));
    }
    FamilyStore store{db};
};

TEST_F(Family, SaveReplacesTheMembersAndKeepsGbk) {
    const std::vector<FamilyMember> first{
        Member(QStringLiteral("张三"), QStringLiteral("父亲"), true),
        Member(QStringLiteral("O'Brien"), QStringLiteral("妻子"))};
    ASSERT_TRUE(store.save("20260101120000", first));
    ASSERT_TRUE(store.save("20260101120000", first)); // twice: still one set
    EXPECT_EQ(store.load("20260101120000"), first);
    EXPECT_EQ(rawValue("select jyx_name from jyx_family where jyx_istz='1'"), Utf8ToAnsi("张三"));
    EXPECT_EQ(rawValue("select jyx_answername from jyx_family where jyx_istz='1'"),
              Utf8ToAnsi("张三"));

    ASSERT_TRUE(store.save("20260101120000", {first[1]}));
    EXPECT_EQ(store.load("20260101120000"), std::vector<FamilyMember>{first[1]});
}

TEST_F(Family, EmptyRowsAreNotMembers) {
    FamilyMember checkedOnly;
    checkedOnly.notify = true;
    FamilyMember blanks;
    blanks.name = "  ";
    ASSERT_TRUE(store.save("", {FamilyMember{}, Member("A", "弟"), checkedOnly, blanks}));
    EXPECT_EQ(members(""), 1);
}

TEST_F(Family, FailedSaveKeepsTheStoredMembers) {
    ASSERT_TRUE(store.save("r1", {Member("kept", "兄")}));
    ASSERT_TRUE(db.exec("create trigger refuse before insert on jyx_family "
                        "when new.jyx_name = 'boom' begin select raise(abort, 'refused'); end"));
    EXPECT_FALSE(store.save("r1", {Member("new", "弟"), Member("boom", "弟")}));
    EXPECT_EQ(store.load("r1"), std::vector<FamilyMember>{Member("kept", "兄")});
}

TEST_F(Family, DeleteTouchesOnlyThisTranscriptsMember) {
    ASSERT_TRUE(store.save(
        "r1", {Member(QStringLiteral("张三"), "兄"), Member(QStringLiteral("李四"), "弟")}));
    ASSERT_TRUE(store.save("r2", {Member(QStringLiteral("张三"), "父亲")}));
    ASSERT_TRUE(store.remove("r1", Member(QStringLiteral("张三"), "兄")));
    EXPECT_EQ(store.load("r1"), std::vector<FamilyMember>{Member(QStringLiteral("李四"), "弟")});
    EXPECT_EQ(members("r2"), 1);
}

class FamilyDialog : public Family {
protected:
    void TearDown() override {
        unsetenv("JYX_CARDSIM_FAIL");
        Family::TearDown();
    }
    static std::unique_ptr<CardReader> Simulator() {
        return LoadCardReaderLibrary(JYX_CARDSIM_PATH);
    }
    void click(CFamilyDlg& dlg, const char* button) {
        auto* b = dlg.findChild<QPushButton*>(button);
        ASSERT_TRUE(b) << button;
        b->click();
    }
    CardDevice device{Simulator};
};

TEST_F(FamilyDialog, GridColumnsAndOneEmptyRowForANewTranscript) {
    CFamilyDlg dlg("", QPoint(10, 20), nullptr, conn, device);
    EXPECT_EQ(dlg.titleText(), QStringLiteral("主要家庭成员"));
    QTableWidget* grid = dlg.grid();
    const QStringList headers{"读卡", "通知", "姓名", "身份证", "关系",
                              "年龄", "电话", "单位", "住址"};
    const int widths[] = {45, 60, 100, 180, 100, 60, 100, 150, 250};
    ASSERT_EQ(grid->columnCount(), 9);
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(grid->horizontalHeaderItem(c)->text(), headers[c]);
        EXPECT_EQ(grid->columnWidth(c), widths[c]);
    }
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_FALSE(grid->item(0, CFamilyDlg::ReadCard)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(grid->item(0, CFamilyDlg::Notify)->flags() & Qt::ItemIsUserCheckable);

    dlg.show();
    EXPECT_EQ(dlg.pos(), QPoint(10, 20));
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(FamilyDialog, SaveDeleteAndReopen) {
    {
        CFamilyDlg dlg("r1", {}, nullptr, conn, device);
        dlg.setMember(0, Member(QStringLiteral("张三"), QStringLiteral("父亲"), true));
        click(dlg, "addButton");
        click(dlg, "addButton"); // an empty row that is not saved
        dlg.setMember(1, Member(QStringLiteral("王五'"), QStringLiteral("儿子")));
        click(dlg, "saveButton");
        EXPECT_EQ(prompt.lastText(), QStringLiteral("已保存！"));
    }
    EXPECT_EQ(members("r1"), 2);

    CFamilyDlg dlg("r1", {}, nullptr, conn, device);
    ASSERT_EQ(dlg.grid()->rowCount(), 2);
    EXPECT_EQ(dlg.memberAt(0), Member(QStringLiteral("张三"), QStringLiteral("父亲"), true));
    EXPECT_EQ(dlg.memberAt(1).name, QStringLiteral("王五'"));

    click(dlg, "deleteButton"); // nothing remembered: nothing asked
    EXPECT_EQ(prompt.texts().size(), 1);

    dlg.onCellClicked(1, CFamilyDlg::Name);
    prompt.queueAnswer(Prompt::Answer::Cancel);
    click(dlg, "deleteButton");
    EXPECT_EQ(prompt.lastText(), QStringLiteral("确定要删除王五'?"));
    EXPECT_EQ(prompt.shown().back().buttons, Prompt::Buttons::OkCancel);
    EXPECT_EQ(dlg.grid()->rowCount(), 2);
    EXPECT_EQ(members("r1"), 2);

    prompt.queueAnswer(Prompt::Answer::Ok);
    click(dlg, "deleteButton");
    EXPECT_EQ(dlg.grid()->rowCount(), 1);
    EXPECT_EQ(dlg.rememberedRow(), -1);
    EXPECT_EQ(members("r1"), 1);
}

TEST_F(FamilyDialog, FailedSaveIsReported) {
    CFamilyDlg dlg("r1", {}, nullptr, conn, device);
    dlg.setMember(0, Member("A", "弟"));
    ASSERT_TRUE(db.exec("drop table jyx_family"));
    click(dlg, "saveButton");
    EXPECT_EQ(prompt.lastText(), QStringLiteral("保存失败！"));
}

TEST_F(FamilyDialog, RelationCellOffersTheList) {
    CFamilyDlg dlg("r1", {}, nullptr, conn, device);
    dlg.show();
    dlg.onCellClicked(0, CFamilyDlg::Relation);
    auto* box = dlg.grid()->findChild<QComboBox*>("relationBox");
    ASSERT_TRUE(box);
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    EXPECT_EQ(items, FamilyRelations());
    box->setCurrentText(QStringLiteral("妹妹"));
    QTest::keyClick(box, Qt::Key_Return);
    for (int i = 0; i < 100 && dlg.memberAt(0).relation.isEmpty(); ++i)
        QTest::qWait(20);
    EXPECT_EQ(dlg.memberAt(0).relation, QStringLiteral("妹妹"));
}

TEST_F(FamilyDialog, CardIntoARow) {
    CFamilyDlg dlg("r1", {}, nullptr, conn, device);
    dlg.onAdd();
    QSignalSpy done(&dlg, &CFamilyDlg::cardReadFinished);
    dlg.onCellDoubleClicked(1, CFamilyDlg::ReadCard);
    EXPECT_EQ(dlg.rememberedRow(), 1);
    EXPECT_FALSE(dlg.readCardInto(0)); // one read at a time
    ASSERT_TRUE(done.wait(10000));
    const FamilyMember m = dlg.memberAt(1);
    EXPECT_EQ(m.name, QStringLiteral("李晓明"));
    EXPECT_EQ(m.idNumber, QStringLiteral("110101199003071236"));
    EXPECT_EQ(m.address, QStringLiteral("北京市东城区景山前街4号"));
    EXPECT_EQ(m.age, QString::number(AgeOn(1990, 3, 7, clock.now().date())));
    EXPECT_TRUE(dlg.memberAt(0).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("tmp.bmp")));

    setenv("JYX_CARDSIM_FAIL", "open", 1);
    dlg.onCellDoubleClicked(0, CFamilyDlg::ReadCard);
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("请确认读卡器连接电脑并打开！"));
    EXPECT_TRUE(dlg.memberAt(0).isEmpty());
}

// Writes the dialog with rows to $JYX_SHOTS_DIR when it is set.
TEST_F(FamilyDialog, Picture) {
    const char* shots = std::getenv("JYX_SHOTS_DIR");
    if (!shots)
        GTEST_SKIP() << "JYX_SHOTS_DIR not set";
    ASSERT_TRUE(store.save("r1", {Member(QStringLiteral("张建国"), QStringLiteral("父亲"), true),
                                  Member(QStringLiteral("刘美兰"), QStringLiteral("母亲")),
                                  Member(QStringLiteral("张小雨"), QStringLiteral("妹妹"))}));
    CFamilyDlg dlg("r1", {}, nullptr, conn, device);
    dlg.show();
    QTest::qWait(100);
    EXPECT_TRUE(dlg.grab().save(QString::fromUtf8(shots) + "/idcard-family.png"));
}

} // namespace
