// The print dialog, the format dialog and the blank-form dialog driven
// headless: navigation and its messages, the page field, printing into a
// PDF printer, exports, closing, the list encodings and the blank forms.
#include "PrintTestSupport.h"
#include "app/test_officers_fixture.h"

#include "print/CBlankDlg.h"
#include "print/CPrintDlg.h"
#include "print/CPrintFormat.h"
#include "print/CPrintView.h"
#include "print/PrintTranscript.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

namespace {

class PrintDialogTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        savedDir = ProgramDir();
        SetProgramDir(dir.path().toStdString());
    }
    void TearDown() override {
        SetProgramDir(savedDir);
        StoreFixture::TearDown();
    }

    std::unique_ptr<CPrintDlg> open(int pairs) {
        BuildPrintLines(QuestionsAndAnswers(pairs), QStringLiteral("宋体"), 1, 0, 12);
        PrintDlgInput input;
        input.particulars = SampleParticulars();
        input.text = QuestionsAndAnswers(pairs);
        input.toEditor = [this](int code, int value) { editorCalls.push_back({code, value}); };
        auto dlg = std::make_unique<CPrintDlg>(nullptr, db, std::move(input));
        dlg->resize(1000, 900);
        return dlg;
    }
    template <class W> W* child(QWidget& w, const char* name) {
        W* found = w.findChild<W*>(name);
        EXPECT_TRUE(found) << name;
        return found;
    }
    void click(QWidget& w, const char* name) { child<QAbstractButton>(w, name)->click(); }
    void typePage(CPrintDlg& d, const QString& text) {
        QLineEdit* field = child<QLineEdit>(d, "pageField");
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
    }

    std::string savedDir;
    std::vector<std::pair<int, int>> editorCalls;
};

TEST_F(PrintDialogTest, OnePageNavigationShowsBothEndMessages) {
    auto dlg = open(2);
    EXPECT_EQ(dlg->pageCount(), 1);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("PrintDlg"));
    EXPECT_EQ(dlg->titleText(), QStringLiteral("打印预览"));
    click(*dlg, "nextButton");
    EXPECT_EQ(prompt.lastText(), QStringLiteral("已到末页！"));
    click(*dlg, "previousButton");
    EXPECT_EQ(prompt.lastText(), QStringLiteral("已到首页！"));
    EXPECT_EQ(dlg->pageFieldText(), QStringLiteral("1"));
}

TEST_F(PrintDialogTest, NavigationAndThePageField) {
    auto dlg = open(25); // three pages
    ASSERT_EQ(dlg->pageCount(), 3);
    click(*dlg, "nextButton");
    EXPECT_EQ(dlg->view()->currentPage(), 2);
    EXPECT_EQ(dlg->pageFieldText(), QStringLiteral("2"));
    click(*dlg, "lastButton");
    EXPECT_EQ(dlg->view()->currentPage(), 3);
    click(*dlg, "nextButton");
    EXPECT_EQ(prompt.lastText(), QStringLiteral("已到末页！"));
    EXPECT_EQ(dlg->view()->currentPage(), 3);
    click(*dlg, "firstButton");
    EXPECT_EQ(dlg->pageFieldText(), QStringLiteral("1"));
    prompt.clear();

    const std::pair<const char*, int> typed[] = {{"0", 1}, {"4", 1},  {"x", 1},
                                                 {"3", 3}, {"-1", 3}, {"2", 2}};
    for (auto [text, page] : typed) {
        typePage(*dlg, QString::fromUtf8(text));
        EXPECT_EQ(dlg->view()->currentPage(), page) << text;
        EXPECT_EQ(dlg->pageFieldText(), QString::number(page)) << text;
    }
    EXPECT_TRUE(prompt.texts().isEmpty()); // out of range is silent
}

TEST_F(PrintDialogTest, ZoomListAndHiddenSignatureControls) {
    auto dlg = open(2);
    QComboBox* zoom = child<QComboBox>(*dlg, "zoomList");
    EXPECT_EQ(zoom->currentText(), QStringLiteral("100%"));
    EXPECT_EQ(zoom->count(), 6);
    zoom->setCurrentIndex(5);
    EXPECT_DOUBLE_EQ(dlg->view()->zoom(), 2.0);
    zoom->setCurrentIndex(0);
    EXPECT_DOUBLE_EQ(dlg->view()->zoom(), 0.25);
    for (const char* name : {"signButton", "fingerprintButton", "closingSignButton", "cameraButton",
                             "uploadButton", "padKindList", "screenScaleList"}) {
        QWidget* w = child<QWidget>(*dlg, name);
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->isHidden()) << name;
    }
    EXPECT_EQ(child<QToolButton>(*dlg, "exportButton")->toolTip(), QStringLiteral("导出Word文档"));
    EXPECT_EQ(child<QToolButton>(*dlg, "formatButton")->toolTip(), QStringLiteral("打印格式设置"));
}

TEST_F(PrintDialogTest, FiveInchPadSelectedFromTheConfig) {
    ASSERT_TRUE(
        db.insert(schema::jyx_config, {{"jyx_endtext", ""}, {"jyx_id", "1"}, {"jyx_1", "1"}}));
    auto dlg = open(2);
    EXPECT_EQ(child<QComboBox>(*dlg, "padKindList")->currentText(), QStringLiteral("5寸手写屏"));
    EXPECT_FALSE(child<QComboBox>(*dlg, "screenScaleList")->isEnabled());
}

TEST_F(PrintDialogTest, EditorIsToldAndImagesAreRemovedOnClose) {
    const QStringList images{dir.filePath("110101199001011234_sig.png"),
                             dir.filePath("110101199001011234_fig.png")};
    auto dlg = open(2);
    EXPECT_EQ(editorCalls, (std::vector<std::pair<int, int>>{{0, 0}}));
    for (const QString& path : images) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("png");
    }
    dlg->show();
    QTest::keyClick(dlg.get(), Qt::Key_Escape); // Esc does not close
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(editorCalls.size(), 1u);
    dlg->closeButton()->click();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(editorCalls.back(), std::make_pair(1, 0));
    for (const QString& path : images)
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
}

int pdfPageCount(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(60000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

TEST_F(PrintDialogTest, PrintsEveryPageOrSaysWhyNot) {
    auto dlg = open(25);
    const QString pdf = dir.filePath("printed.pdf");
    int offeredPages = 0;
    dlg->setPrinterChooser([&](QPrinter& printer, int pages) {
        offeredPages = pages;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    click(*dlg, "printButton");
    EXPECT_EQ(offeredPages, 3);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("已提交打印，请耐心等待！"));
    ASSERT_TRUE(QFile::exists(pdf));
    if (!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
        EXPECT_EQ(pdfPageCount(pdf), 3);
    }

    dlg->setPrinterChooser([&](QPrinter& printer, int) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("missing/printed.pdf"));
        return true;
    });
    click(*dlg, "printButton");
    EXPECT_EQ(prompt.lastText(), QStringLiteral("连接到打印机失败！"));

    prompt.clear();
    dlg->setPrinterChooser([](QPrinter&, int) { return false; }); // cancelled
    click(*dlg, "printButton");
    EXPECT_TRUE(prompt.texts().isEmpty());
}

TEST_F(PrintDialogTest, ExportsWordAndPdfIntoTheExportFolder) {
    auto dlg = open(10);
    QStringList opened;
    dlg->setFolderOpener([&](const QString& d) { opened << d; });
    const QString exportDir = dir.filePath(QStringLiteral("导出文档"));

    prompt.queueFileName(exportDir + QStringLiteral("/笔录.doc"));
    prompt.queueAnswer(Prompt::Answer::No);
    click(*dlg, "exportButton");
    EXPECT_TRUE(QDir(exportDir).exists());
    EXPECT_TRUE(prompt.fileDialogDirs().value(0).startsWith(exportDir));
    EXPECT_TRUE(QFile::exists(exportDir + QStringLiteral("/笔录.docx")));
    EXPECT_EQ(prompt.lastText(), QStringLiteral("word文档已导出，是否打开导出文档目录？"));
    EXPECT_TRUE(opened.isEmpty());

    prompt.queueFileName(exportDir + QStringLiteral("/笔录.pdf"));
    prompt.queueAnswer(Prompt::Answer::Yes);
    click(*dlg, "exportButton");
    EXPECT_TRUE(QFile::exists(exportDir + QStringLiteral("/笔录.pdf")));
    EXPECT_EQ(opened, QStringList{exportDir});

    prompt.queueFileName(dir.filePath("missing/笔录.docx"));
    click(*dlg, "exportButton");
    EXPECT_TRUE(prompt.lastText().startsWith(QStringLiteral("文档导出失败")));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/笔录.docx")));
}

TEST_F(PrintDialogTest, FormatChangeRedrawsWithTheNewSettings) {
    ASSERT_TRUE(db.insert(schema::jyx_format, {{"jyx_id", "1"},
                                               {"jyx_type", "社区矫正笔录"},
                                               {"jyx_font", "宋体"},
                                               {"jyx_fontsize", "12"},
                                               {"jyx_distance", "10"},
                                               {"jyx_isblank", "1"},
                                               {"jyx_sj", "0"}}));
    BuildPrintLines(QStringLiteral("这是一段叙述。\r\n"), QStringLiteral("宋体"), 1, 0, 12);
    PrintDlgInput input;
    input.particulars = SampleParticulars();
    input.text = QStringLiteral("这是一段叙述。\r\n");
    input.toEditor = [this](int code, int value) { editorCalls.push_back({code, value}); };
    CPrintDlg dlg(nullptr, db, std::move(input));
    dlg.setFormatRunner([&](CPrintFormat& format) {
        EXPECT_EQ(format.tabs()->currentIndex(), 10);
        child<QComboBox>(format, "indentList")->setCurrentIndex(3);
        click(format, "okButton");
    });
    click(dlg, "formatButton");
    EXPECT_EQ(prompt.lastText(), QStringLiteral("笔录格式设置成功!"));
    EXPECT_EQ(editorCalls.back(), std::make_pair(2, 12));
    EXPECT_EQ(dlg.document().format.indent, 3);
    EXPECT_EQ(CurrentPrintFormat().indent, 3);
    EXPECT_EQ(PrintLines(), QStringList{QStringLiteral("        这是一段叙述。\r\n")});
    EXPECT_EQ(TextRowsByPage(dlg.view()->layoutModel())[0],
              QStringList{QStringLiteral("        这是一段叙述。")});
    CurrentPrintFormat() = CurrentFormatValues();
}

TEST_F(PrintDialogTest, ViewPaintsOnlyThePagesInView) {
    BuildPrintLines(QuestionsAndAnswers(3000), QStringLiteral("宋体"), 1, 0, 12);
    PrintDlgInput input;
    input.particulars = SampleParticulars();
    CPrintDlg dlg(nullptr, db, std::move(input));
    dlg.resize(1000, 900);
    ASSERT_GT(dlg.pageCount(), 200);
    dlg.view()->viewport()->grab();
    const auto [first, last] = dlg.view()->lastPaintedRange();
    EXPECT_EQ(first, 0);
    EXPECT_LE(last, 1);
    typePage(dlg, QString::number(dlg.pageCount()));
    dlg.view()->viewport()->grab();
    EXPECT_EQ(dlg.view()->lastPaintedRange().first, dlg.pageCount() - 1);
}

// Format dialog ---------------------------------------------------------------

TEST_F(PrintDialogTest, FormatDialogDefaultsTabsAndEncodings) {
    CPrintFormat dlg(nullptr, db);
    EXPECT_EQ(dlg.titleText(), QStringLiteral("打印格式设置"));
    EXPECT_EQ(dlg.tabs()->currentIndex(), 10);
    EXPECT_EQ(child<QComboBox>(dlg, "fontList")->currentText(), QStringLiteral("宋体"));
    EXPECT_FALSE(child<QComboBox>(dlg, "fontList")->isEnabled());
    EXPECT_FALSE(child<QComboBox>(dlg, "sizeList")->isEnabled());
    EXPECT_EQ(child<QComboBox>(dlg, "sizeList")->currentText(), QStringLiteral("12 (小四)"));
    EXPECT_EQ(child<QComboBox>(dlg, "distanceList")->currentText(), QStringLiteral("10 mm"));
    EXPECT_EQ(child<QComboBox>(dlg, "blankList")->currentText(), QStringLiteral("打印"));

    dlg.tabs()->setCurrentIndex(1);
    EXPECT_EQ(dlg.titleText(), QStringLiteral("打印格式_违规调查笔录"));
    EXPECT_EQ(dlg.tabs()->currentIndex(), 1);

    // An empty table: nothing to update, the success message all the same.
    click(dlg, "okButton");
    EXPECT_EQ(prompt.lastText(), QStringLiteral("笔录格式设置成功!"));
    EXPECT_EQ(count("select * from jyx_format"), 0);

    for (const char* type : {"谈话笔录", "社区矫正笔录"})
        ASSERT_TRUE(db.insert(schema::jyx_format, {{"jyx_id", type}, {"jyx_type", type}}));
    child<QComboBox>(dlg, "pageNumPositionList")->setCurrentText(QStringLiteral("无"));
    child<QComboBox>(dlg, "nameTimeList")->setCurrentText(QStringLiteral("不打印"));
    child<QComboBox>(dlg, "blankList")->setCurrentText(QStringLiteral("不打印"));
    child<QComboBox>(dlg, "qrList")->setCurrentText(QStringLiteral("不显示"));
    child<QComboBox>(dlg, "askTimesList")->setCurrentText(QStringLiteral("打印"));
    child<QComboBox>(dlg, "endNameList")->setCurrentText(QStringLiteral("电子签名"));
    click(dlg, "okButton");
    for (CDBRecordSet set = db.query("select jyx_pagenumposition, jyx_nametime, jyx_isblank, "
                                     "jyx_1, jyx_asktimes, jyx_endname, jyx_font from jyx_format");
         !set.IsEof(); set.MoveNext()) {
        EXPECT_STREQ(set.GetStringValue(0), "3");
        EXPECT_STREQ(set.GetStringValue(1), "1");
        EXPECT_STREQ(set.GetStringValue(2), "0");
        EXPECT_STREQ(set.GetStringValue(3), "0");
        EXPECT_STREQ(set.GetStringValue(4), "1");
        EXPECT_STREQ(set.GetStringValue(5), "1");
        EXPECT_STREQ(set.GetStringValue(6), "宋体");
    }
    CPrintFormat reopened(nullptr, db, QStringLiteral("违规询问笔录(旁证)"));
    EXPECT_EQ(reopened.tabs()->currentIndex(), 2);
    EXPECT_EQ(child<QComboBox>(reopened, "pageNumPositionList")->currentText(),
              QStringLiteral("无"));
    EXPECT_EQ(child<QComboBox>(reopened, "nameTimeList")->currentText(), QStringLiteral("不打印"));
    EXPECT_EQ(child<QComboBox>(reopened, "qrList")->currentText(), QStringLiteral("不显示"));
    CurrentPrintFormat() = CurrentFormatValues();
}

// Blank forms -----------------------------------------------------------------

TEST_F(PrintDialogTest, BlankFormsNeedAKindAndTakeThePageCount) {
    CBlankDlg dlg(nullptr, db);
    EXPECT_EQ(dlg.titleText(), QStringLiteral("空白笔录"));
    for (int i = 0; i < 11; ++i) {
        QRadioButton* r =
            child<QRadioButton>(dlg, QStringLiteral("kind%1").arg(i).toUtf8().constData());
        EXPECT_EQ(r->isHidden(), i != 0) << i;
        EXPECT_FALSE(r->isChecked());
    }
    EXPECT_EQ(child<QLineEdit>(dlg, "pageCountEdit")->text(), QStringLiteral("1"));
    int runs = 0;
    dlg.setPrintRunner([&](CPrintDlg& print) {
        ++runs;
        EXPECT_EQ(print.pageCount(), 3);
        EXPECT_TRUE(print.document().blankForm);
        EXPECT_EQ(print.view()->layoutModel().typeTitle, QStringLiteral("询 问 笔 录"));
        EXPECT_EQ(print.view()->layoutModel().pages[2].mark, QStringLiteral("（尾页）"));
    });
    click(dlg, "printButton");
    EXPECT_EQ(prompt.lastText(), QStringLiteral("请选择笔录类型!"));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(PrintLines(), QStringList{QStringLiteral("被询问人：")});

    child<QRadioButton>(dlg, "kind0")->setChecked(true);
    child<QLineEdit>(dlg, "pageCountEdit")->setText(QStringLiteral("3"));
    click(dlg, "printButton");
    EXPECT_EQ(runs, 1);
}

TEST_F(PrintDialogTest, TranscriptPrintLaysOutAndOpensOverTheEditor) {
    TranscriptPrintJob job;
    job.recordId = QStringLiteral("r1");
    job.record.name = QStringLiteral("张三");
    job.record.idNumber = QStringLiteral("110101199001011234");
    job.record.askName1 = QStringLiteral("王强");
    job.record.asker1.certificate = QStringLiteral("A1001");
    job.text = QStringLiteral("问：你好\r\n\r\n答：好\r\n");
    ASSERT_TRUE(db.insert(schema::jyx_format, {{"jyx_id", "1"},
                                               {"jyx_type", "社区矫正笔录"},
                                               {"jyx_font", "宋体"},
                                               {"jyx_fontsize", "12"},
                                               {"jyx_isblank", "0"}}));
    int runs = 0;
    RunTranscriptPrint(
        nullptr, db, job,
        [this](int c, int v) {
            editorCalls.push_back({c, v});
        },
        [&](CPrintDlg& dlg) {
            ++runs;
            EXPECT_EQ(dlg.document().particulars.typeName, QStringLiteral("询问笔录"));
            EXPECT_EQ(dlg.document().particulars.officer1Cert, QStringLiteral("A1001"));
            EXPECT_EQ(TextRowsByPage(dlg.view()->layoutModel())[0],
                      (QStringList{QStringLiteral("问：你好"), QStringLiteral("答：好")}));
        });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(editorCalls.front(), std::make_pair(0, 0));
}

// Screenshots for a look by eye, when a folder is given.
TEST_F(PrintDialogTest, Screenshots) {
    const QString shots = qEnvironmentVariable("JYX_SHOTS_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "JYX_SHOTS_DIR not set";
    auto dlg = open(10);
    dlg->resize(1100, 1250);
    dlg->show();
    child<QComboBox>(*dlg, "zoomList")->setCurrentIndex(2);
    QTest::qWait(50);
    EXPECT_TRUE(dlg->grab().save(shots + "/print-preview.png"));
    click(*dlg, "nextButton");
    QTest::qWait(50);
    EXPECT_TRUE(dlg->grab().save(shots + "/print-preview-page2.png"));
    dlg->view()->setZoom(1.0);
    dlg->view()->showPage(1);
    EXPECT_TRUE(dlg->view()->viewport()->grab().save(shots + "/print-page1-100.png"));

    CPrintFormat format(nullptr, db);
    format.show();
    QTest::qWait(50);
    EXPECT_TRUE(format.grab().save(shots + "/print-format.png"));

    CBlankDlg blank(nullptr, db);
    blank.show();
    QTest::qWait(50);
    EXPECT_TRUE(blank.grab().save(shots + "/print-blank.png"));
    child<QRadioButton>(blank, "kind0")->setChecked(true);
    child<QLineEdit>(blank, "pageCountEdit")->setText(QStringLiteral("2"));
    blank.setPrintRunner([&](CPrintDlg& print) {
        print.resize(1100, 1250);
        print.show();
        child<QComboBox>(print, "zoomList")->setCurrentIndex(2);
        QTest::qWait(50);
        EXPECT_TRUE(print.grab().save(shots + "/print-blank-preview.png"));
    });
    click(blank, "printButton");
}

} // namespace
