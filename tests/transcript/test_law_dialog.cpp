#include "app/Prompt.h"
#include "text/TextCodec.h"
#include "transcript/CLawDlg.h"
#include "transcript/LawSearch.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>

namespace {

class LawDialog : public ::testing::Test {
protected:
    void SetUp() override {
        InstallPrompt(&prompt);
        writeLaw(QStringLiteral("烟草专卖法（示例）.txt"), 8);
        writeLaw(QStringLiteral("行政处罚法（示例）.txt"), 3);
    }
    void TearDown() override { InstallPrompt(nullptr); }

    void writeLaw(const QString& name, int articles) {
        QStringList lines;
        for (int i = 1; i <= articles; ++i)
            lines << QStringLiteral(
                         "第%1条 经营烟草专卖品的，应当依法申请领取许可证，并按照许可的范围经营。")
                         .arg(law::ChineseNumeral(i))
                  << QStringLiteral("违反前款规定的，由烟草专卖行政主管部门责令改正。");
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines.join('\n').toUtf8());
    }

    template <class W> W* find(CLawDlg& d, const char* name) {
        W* w = d.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void runSearch(CLawDlg& d) {
        QSignalSpy done(&d, &CLawDlg::searchFinished);
        find<QPushButton>(d, "searchButton")->click();
        if (d.searching()) {
            ASSERT_TRUE(done.wait(5000));
        }
    }

    QTemporaryDir dir;
    ScriptedPrompt prompt;
};

TEST_F(LawDialog, OpensWithAllLawsAndContentMode) {
    CLawDlg d(nullptr, dir.path());
    auto* names = find<QComboBox>(d, "lawNames");
    ASSERT_EQ(names->count(), 3);
    EXPECT_EQ(names->itemText(0), QStringLiteral("全部"));
    EXPECT_TRUE(find<QRadioButton>(d, "byContent")->isChecked());
    EXPECT_EQ(d.titleText(), QStringLiteral("法规查询"));
}

TEST_F(LawDialog, ContentSearchListsLawsAndColoursTheText) {
    CLawDlg d(nullptr, dir.path());
    d.show();
    find<QLineEdit>(d, "contentEdit")->setText(QStringLiteral("许可证"));
    runSearch(d);
    auto* list = find<QListWidget>(d, "lawList");
    ASSERT_EQ(list->count(), 2);
    list->setCurrentRow(0);
    QTextEdit* view = d.resultView();
    EXPECT_TRUE(view->toPlainText().startsWith(QStringLiteral("第一条")));
    // The occurrences are red.
    const QString text = view->toPlainText();
    const int at = int(text.indexOf(QStringLiteral("许可证")));
    QTextCursor c(view->document());
    c.setPosition(at + 1);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(Qt::red));
}

TEST_F(LawDialog, ArticleSearchAndFilterByLaw) {
    CLawDlg d(nullptr, dir.path());
    find<QRadioButton>(d, "byArticle")->setChecked(true);
    find<QLineEdit>(d, "articleEdit")->setText(QStringLiteral("5"));
    find<QComboBox>(d, "lawNames")->setCurrentIndex(1);
    runSearch(d);
    ASSERT_EQ(d.results().size(), 1u); // the other law has no fifth article
    EXPECT_TRUE(d.results()[0].passages.startsWith(QStringLiteral("第五条")));
}

TEST_F(LawDialog, RefusedInputsSaySoAndSearchNothing) {
    CLawDlg d(nullptr, dir.path());
    find<QLineEdit>(d, "contentEdit")->setText(QStringLiteral("x"));
    runSearch(d);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("查找内容太短！请重新输入！"));
    find<QRadioButton>(d, "byArticle")->setChecked(true);
    find<QLineEdit>(d, "articleEdit")->setText(QStringLiteral("10001"));
    runSearch(d);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("输入的条列号非法，请重新输入!"));
    EXPECT_TRUE(d.results().empty());
}

TEST_F(LawDialog, CopyAndInsertRequestsOnePaste) {
    CLawDlg d(nullptr, dir.path());
    d.show();
    find<QLineEdit>(d, "contentEdit")->setText(QStringLiteral("许可证"));
    runSearch(d);
    find<QListWidget>(d, "lawList")->setCurrentRow(0);
    d.resultView()->selectAll();
    QMetaObject::invokeMethod(&d, "copyAndInsert");
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("第一条")));
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(d.takeInsertRequest());
    EXPECT_FALSE(d.takeInsertRequest()); // a later showing does not paste again
}

TEST_F(LawDialog, MissingFolderOffersOnlyAll) {
    CLawDlg d(nullptr, dir.filePath(QStringLiteral("none")));
    EXPECT_EQ(find<QComboBox>(d, "lawNames")->count(), 1);
    find<QLineEdit>(d, "contentEdit")->setText(QStringLiteral("许可证"));
    runSearch(d);
    EXPECT_TRUE(d.results().empty());
}

} // namespace
