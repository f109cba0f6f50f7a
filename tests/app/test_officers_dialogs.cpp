// The officer, password and place dialogs driven by their controls' object
// names, with the scripted prompt answering and recording every message.
#include "app/CJyxAddressManager.h"
#include "app/CModifyPasswordDlg.h"
#include "app/CUserAddDlg.h"
#include "app/CUserManagerDlg.h"
#include "test_officers_fixture.h"
#include "tests/support/OnModal.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

template <class T> T* Find(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromUtf8(name));
    if (!w)
        ADD_FAILURE() << "no control " << name;
    return w;
}

void Click(QWidget* parent, const char* name) {
    if (auto* b = Find<QPushButton>(parent, name))
        b->click();
}

void Type(QWidget* parent, const char* name, const QString& text) {
    if (auto* e = Find<QLineEdit>(parent, name))
        e->setText(text);
}

QStringList L(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

OfficerForm Form(const char* name, const char* certificate, bool questioner, bool recorder) {
    OfficerForm f;
    f.name = name;
    f.certificate = certificate;
    f.questioner = questioner;
    f.recorder = recorder;
    return f;
}

class DialogTest : public StoreFixture {
protected:
    QStringList listed(QTreeWidget* list, int column) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(column);
        return out;
    }
    OfficerStore store{db};
};

TEST_F(DialogTest, ManagerShowsTabsColumnsNoteAndButtons) {
    store.add(Form("甲", "Z1", true, false));
    clock.advance(1);
    store.add(Form("乙", "Z2", false, true));
    CUserManagerDlg dlg(nullptr, conn);
    QTabBar* tabs = Find<QTabBar>(&dlg, "officerTabs");
    QTreeWidget* list = Find<QTreeWidget>(&dlg, "officerList");
    ASSERT_TRUE(tabs && list);

    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0) + tabs->tabText(1) + tabs->tabText(2),
              QString::fromUtf8("询问人记录人所有人"));
    const QStringList titles = L({"用户类型", "用户名", "姓名", "执法证号", "职务"});
    const int widths[] = {100, 100, 100, 80, 80};
    ASSERT_EQ(list->columnCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list->headerItem()->text(i), titles[i]);
        EXPECT_EQ(list->columnWidth(i), widths[i]);
    }
    EXPECT_EQ(Find<QLabel>(&dlg, "noteLabel")->text(),
              QString::fromUtf8("注：只有管理员才能登录系统"));
    const char* buttons[][2] = {{"addButton", "增加"},
                                {"editButton", "修改"},
                                {"deleteButton", "删除"},
                                {"passwordButton", "修改密码"},
                                {"exitButton", "退出"}};
    for (auto& b : buttons)
        EXPECT_EQ(Find<QPushButton>(&dlg, b[0])->text(), QString::fromUtf8(b[1]));

    EXPECT_EQ(listed(list, CUserManagerDlg::NameColumn), L({"甲"}));
    tabs->setCurrentIndex(1);
    EXPECT_EQ(listed(list, CUserManagerDlg::NameColumn), L({"乙"}));
    EXPECT_EQ(listed(list, CUserManagerDlg::CertificateColumn), L({"Z2"}));
    tabs->setCurrentIndex(2);
    EXPECT_EQ(listed(list, CUserManagerDlg::NameColumn), L({"乙", "甲"}));
}

TEST_F(DialogTest, ManagerDeleteAsksAndProtectsTheAccountHolder) {
    store.add(Form("张三", "Z1", true, false));
    store.add(Form("王五", "370200198001010011", true, false));
    Session().accountIdNumber = "370200198001010011";
    CUserManagerDlg dlg(nullptr, conn);
    QTreeWidget* list = Find<QTreeWidget>(&dlg, "officerList");
    auto select = [&](const char* name) {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(CUserManagerDlg::NameColumn) == QString::fromUtf8(name))
                list->setCurrentItem(list->topLevelItem(i));
    };

    select("王五");
    Click(&dlg, "deleteButton");
    EXPECT_EQ(prompt.texts(), L({"不能删除管理员！"}));

    prompt.clear();
    select("张三");
    prompt.queueAnswer(Prompt::Answer::Cancel);
    Click(&dlg, "deleteButton");
    EXPECT_EQ(prompt.texts(), L({"您确定要删除用户张三?"}));
    EXPECT_EQ(list->topLevelItemCount(), 2);

    prompt.clear();
    select("张三");
    prompt.queueAnswer(Prompt::Answer::Ok);
    Click(&dlg, "deleteButton");
    EXPECT_EQ(prompt.texts(), L({"您确定要删除用户张三?", "已成功删除！"}));
    EXPECT_EQ(listed(list, CUserManagerDlg::NameColumn), L({"王五"}));
}

TEST_F(DialogTest, AddFormSavesBothTypesAndStaysOpen) {
    CUserAddDlg form(nullptr, store, CUserAddDlg::AddMode);
    form.show();
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("添加用户"));
    EXPECT_FALSE(Find<QWidget>(&form, "signatureBox")->isVisible());
    EXPECT_FALSE(Find<QWidget>(&form, "userNameEdit")->isVisible());
    EXPECT_EQ(Find<QLineEdit>(&form, "certificateEdit")->maxLength(), 18);

    Click(&form, "okButton");
    EXPECT_EQ(prompt.texts(), L({"姓名不能为空！"}));
    prompt.clear();
    Type(&form, "nameEdit", QString::fromUtf8("张三"));
    Type(&form, "certificateEdit", "Z001");
    Find<QCheckBox>(&form, "questionerBox")->setChecked(true);
    Find<QCheckBox>(&form, "recorderBox")->setChecked(true);
    Click(&form, "okButton");
    EXPECT_EQ(prompt.texts(), L({"用户添加成功！"}));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(count("select * from jyx_login"), 2);
}

TEST_F(DialogTest, EditFromTheManagerWritesTheCheckedTypeAndTheSignature) {
    store.add(Form("张三", "Z001", true, false));
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QString png = dir.filePath("sig.png");
    ASSERT_TRUE(picture.save(png));
    prompt.queueFileName(png);

    CUserManagerDlg dlg(nullptr, conn);
    dlg.show();
    QTreeWidget* list = Find<QTreeWidget>(&dlg, "officerList");
    list->setCurrentItem(list->topLevelItem(0));
    bool seen = false;
    OnModal<CUserAddDlg>([&](CUserAddDlg* form) {
        seen = true;
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8("修改用户"));
        EXPECT_EQ(Find<QLineEdit>(form, "nameEdit")->text(), QString::fromUtf8("张三"));
        EXPECT_TRUE(Find<QCheckBox>(form, "questionerBox")->isChecked());
        EXPECT_TRUE(Find<QWidget>(form, "signatureBox")->isVisible());
        Find<QCheckBox>(form, "questionerBox")->setChecked(false);
        Find<QCheckBox>(form, "recorderBox")->setChecked(true);
        Click(form, "uploadButton");
        Click(form, "okButton");
        form->reject();
    });
    Click(&dlg, "editButton");
    EXPECT_TRUE(seen);
    EXPECT_EQ(prompt.texts(), L({"用户修改成功！"}));
    EXPECT_EQ(prompt.fileDialogDirs(), QStringList{QString::fromStdString(ProgramDir())});
    EXPECT_EQ(list->topLevelItemCount(), 0); // no interviewing officer left
    EXPECT_EQ(store.signature("张三", kRecorderType), BlobFromFile(png.toStdString()));
    EXPECT_FALSE(QFile::exists("qname.png"));
}

TEST_F(DialogTest, PasswordDialogClosesOnlyAfterASuccessfulChange) {
    ASSERT_TRUE(
        db.insert(schema::jyx_register, {{"jyx_username", "管理员"}, {"jyx_password", "Secret1"}}));
    Session().loginName = "管理员";
    CModifyPasswordDlg dlg(nullptr, conn);
    dlg.show();
    EXPECT_EQ(dlg.titleText(), QString::fromUtf8("修改密码"));
    EXPECT_EQ(Find<QLabel>(&dlg, "lengthNote")->text(), QString::fromUtf8("密码长度：6-64字符"));
    Type(&dlg, "oldPasswordEdit", "Secret1");
    Type(&dlg, "newPasswordEdit", "12345");
    Type(&dlg, "repeatPasswordEdit", "12345");
    Click(&dlg, "okButton");
    EXPECT_TRUE(dlg.isVisible());
    Type(&dlg, "newPasswordEdit", "123456");
    Type(&dlg, "repeatPasswordEdit", "123456");
    Click(&dlg, "okButton");
    EXPECT_EQ(prompt.texts(), L({"密码长度非法，请重新输入！", "密码设置成功！"}));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(DialogTest, PlaceManagerAddsListsAndDeletes) {
    CJyxAddressManager dlg(nullptr, conn);
    dlg.show();
    EXPECT_EQ(dlg.titleText(), QString::fromUtf8("笔录地址管理"));
    QListWidget* list = Find<QListWidget>(&dlg, "placeList");

    Click(&dlg, "addButton");
    Click(&dlg, "deleteButton");
    EXPECT_EQ(prompt.texts(), L({"地址不能为空！", "请选择笔录地址!"}));

    prompt.clear();
    Type(&dlg, "placeEdit", QString::fromUtf8("第一询问室"));
    Click(&dlg, "addButton");
    Click(&dlg, "addButton");
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(Find<QLineEdit>(&dlg, "placeEdit")->text(), QString::fromUtf8("第一询问室"));
    list->setCurrentRow(1);
    Click(&dlg, "deleteButton");
    Click(&dlg, "deleteButton");
    EXPECT_EQ(prompt.texts(), L({"添加成功!", "添加成功!", "删除成功！", "删除成功！"}));
    EXPECT_EQ(list->count(), 0);
}

} // namespace
