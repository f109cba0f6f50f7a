// The editor window driven through its controls: what it shows when it
// opens, saving and reopening a transcript field by field, kinds, the clock,
// closing without losing text, and printing's checks.
#include "test_store_fixture.h"

#include "transcript/CJyxMakeDlg.h"
#include "transcript/TranscriptKinds.h"
#include "transcript/TranscriptTextEdit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <memory>

namespace {

template <class T> T* Find(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromUtf8(name));
    if (!w)
        ADD_FAILURE() << "no control " << name;
    return w;
}

QString Text(QWidget* parent, const char* name) {
    if (auto* e = parent->findChild<QLineEdit*>(QString::fromUtf8(name)))
        return e->text();
    if (auto* c = parent->findChild<QComboBox*>(QString::fromUtf8(name)))
        return c->currentText();
    ADD_FAILURE() << "no field " << name;
    return {};
}

void Type(QWidget* parent, const char* name, const QString& text) {
    if (auto* e = parent->findChild<QLineEdit*>(QString::fromUtf8(name)))
        e->setText(text);
    else if (auto* c = parent->findChild<QComboBox*>(QString::fromUtf8(name)))
        c->setCurrentText(text);
    else
        ADD_FAILURE() << "no field " << name;
}

} // namespace

class EditorTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        SetHeadingTemplate({});
        auto officer = [&](const char* name, const char* type, const char* cert, const char* job,
                           const char* sfz, const char* time) {
            ASSERT_TRUE(db.insert(schema::jyx_login, {{"login_name", name},
                                                      {"person_type", type},
                                                      {"person_zfzh", cert},
                                                      {"person_job", job},
                                                      {"person_unit", "稽查支队"},
                                                      {"person_sfz", sfz},
                                                      {"login_time", time}}));
        };
        officer("王刚", "询问人", "35010002", "科员", "350100198502020022", "2026/01/01 08:00:00");
        officer("李明", "询问人", "35010001", "科长", "350100198001010011", "2026/01/02 08:00:00");
        officer("赵丽", "记录人", "35010003", "书记员", "", "2026/01/03 08:00:00");
        // Listed in the order they were added, not by name.
        ASSERT_TRUE(db.insert(schema::jyx_address, {{"jyx_name", "询问室一"},
                                                    {"jyx_createtime", "2026/01/01 08:00:00"}}));
        ASSERT_TRUE(db.insert(schema::jyx_address, {{"jyx_name", "询问室二"},
                                                    {"jyx_createtime", "2026/01/02 08:00:00"}}));
        for (const char* kind : {"询问笔录", "解矫宣告笔录", "调查评估笔录", "矫正期间谈话笔录"})
            ASSERT_TRUE(
                db.insert(schema::jyx_type,
                          {{"jyxtype", "烟草局笔录"}, {"jyxname", kind}, {"jyxcontent", ""}}));
    }
    void TearDown() override {
        editor.reset();
        SetHeadingTemplate({});
        StoreFixture::TearDown();
    }

    EditorCommands commands() {
        EditorCommands c;
        c.fetchHeadingTemplate = [this](QObject*, const QString& type, const QString& kind,
                                        std::function<void(const QString&)> onTemplate) {
            fetches << type + "/" + kind;
            fetched = std::move(onTemplate);
        };
        c.print = [this](CJyxMakeDlg&, const EditorPrintJob& job) { printed.push_back(job); };
        return c;
    }
    CJyxMakeDlg& open(const QString& text = {}) {
        editor = std::make_unique<CJyxMakeDlg>(nullptr, text, commands(), conn);
        return *editor;
    }
    void fillPerson(CJyxMakeDlg& e) {
        Type(&e, "idNumber", "35010219900101123X");
        Type(&e, "name", "O'Brien 张\"三\"");
    }

    std::unique_ptr<CJyxMakeDlg> editor;
    QStringList fetches;
    std::function<void(const QString&)> fetched;
    std::vector<EditorPrintJob> printed;
};

TEST_F(EditorTest, OpensWithTheListsAndSelectionsOfANewTranscript) {
    CJyxMakeDlg& e = open();
    EXPECT_EQ(e.objectName(), "JyxMakeDlg");
    EXPECT_EQ(e.titleText(), "笔录制作_烟草局笔录_询问笔录");
    EXPECT_EQ(Text(&e, "startTime"), "2026/03/14 09:26");
    EXPECT_EQ(Text(&e, "endTime"), "");
    EXPECT_EQ(Text(&e, "times"), "1");
    EXPECT_EQ(Text(&e, "sex"), "男");
    EXPECT_EQ(Text(&e, "nation"), "汉族");
    EXPECT_EQ(Text(&e, "political"), "普通公民");
    EXPECT_EQ(Text(&e, "education"), "");
    EXPECT_EQ(Text(&e, "workYears"), "");
    EXPECT_EQ(Text(&e, "documentType"), "居民身份证");
    EXPECT_EQ(Text(&e, "personType"), "嫌疑人");
    auto* nationality = Find<QComboBox>(&e, "nationality");
    EXPECT_EQ(nationality->count(), 208);
    EXPECT_EQ(nationality->currentText(), "中国");
    EXPECT_EQ(nationality->itemText(207), "蒙古");
    EXPECT_EQ(Find<QLineEdit>(&e, "idNumber")->maxLength(), 18);
    EXPECT_EQ(Find<QDateEdit>(&e, "birthday")->date(), QDate(2026, 3, 14));

    // Officers: the current officer first, someone else second, the first recorder.
    EXPECT_EQ(Text(&e, "askName1"), "李明");
    EXPECT_EQ(Text(&e, "askName2"), "王刚");
    EXPECT_EQ(Text(&e, "recordName"), "赵丽");
    const TranscriptRecord r = e.record();
    EXPECT_EQ(r.asker1.certificate, "35010001");
    EXPECT_EQ(r.asker1.idNumber, "350100198001010011");
    EXPECT_EQ(r.asker2.post, "科员");
    EXPECT_EQ(r.recorder.certificate, "35010003");
    EXPECT_EQ(Text(&e, "place"), "询问室一");
    EXPECT_EQ(Find<QComboBox>(&e, "place")->count(), 2);

    // Hidden and disabled fields; the left panel open, the right one closed.
    e.show();
    for (const char* hidden :
         {"personType", "kindList", "people", "formerName", "nickname", "job", "workYears",
          "guardian", "guardianAddress", "term", "charge", "relation"})
        EXPECT_FALSE(Find<QWidget>(&e, hidden)->isVisible()) << hidden;
    EXPECT_TRUE(Find<QWidget>(&e, "name")->isVisible());
    EXPECT_FALSE(Find<QWidget>(&e, "people")->isEnabled());
    EXPECT_FALSE(e.leftCollapsed());
    EXPECT_TRUE(e.rightCollapsed());
    EXPECT_EQ(e.textEdit()->textCursor().position(), 0);
    EXPECT_EQ(fetches, QStringList{"烟草局笔录/询问笔录"});
    EXPECT_EQ(e.photoPath(), dir.path() + "/image/user1.png");
    Find<QComboBox>(&e, "sex")->setCurrentText("女");
    EXPECT_EQ(e.photoPath(), dir.path() + "/image/user0.png");
    e.hide();
}

TEST_F(EditorTest, NoOfficerOfAKindLeavesTheCurrentOfficerInTheField) {
    ASSERT_TRUE(conn.ExecuteCmd("delete from jyx_login") >= 0);
    CJyxMakeDlg& e = open();
    EXPECT_EQ(Text(&e, "askName1"), "李明");
    EXPECT_EQ(Find<QComboBox>(&e, "askName1")->count(), 0);
    EXPECT_EQ(Text(&e, "askName2"), "");
    EXPECT_EQ(Text(&e, "recordName"), "");
}

TEST_F(EditorTest, InitialTextIsShownWithTheCaretAtItsEnd) {
    const QString text = "询问人：你好？\n被询问人：你好。";
    CJyxMakeDlg& e = open(text);
    EXPECT_EQ(e.textEdit()->transcriptText(), text);
    EXPECT_EQ(e.textEdit()->textCursor().position(), text.size());
}

// Everything typed comes back unchanged when the transcript is opened again.
TEST_F(EditorTest, SavedTranscriptReopensFieldByField) {
    CJyxMakeDlg& e = open();
    QSignalSpy saved(&e, &CJyxMakeDlg::recordSaved);
    fillPerson(e);
    const std::pair<const char*, const char*> fields[] = {
        {"caseNumber", "青烟案〔2026〕第'7'号"},
        {"endTime", "2026/03/14 10:30"},
        {"place", "临时'询问点'"},
        {"askName2", "王刚"},
        {"age", "36"},
        {"nation", "回族"},
        {"education", "本科"},
        {"political", "中共党员"},
        {"nationality", "新加坡"},
        {"telephone", "13800000000"},
        {"birthAddress", "青岚市'东区'幸福路1号"},
        {"nowAddress", "青岚市西区\"2号\""},
        {"workUnit", "青岚市\"百货\"商店"},
        {"sex", "女"},
    };
    for (const auto& [name, value] : fields)
        Type(&e, name, QString::fromUtf8(value));
    Find<QDateEdit>(&e, "birthday")->setDate(QDate(1990, 1, 1));
    e.textEdit()->setTranscriptText("询问人：你叫什么？\n被询问人：张'三'，\"外号\"三哥。");
    Find<QPushButton>(&e, "saveButton")->click();
    EXPECT_EQ(prompt.lastText(), "笔录已保存！");
    ASSERT_EQ(saved.count(), 1);
    const QString id = e.session().recordId();
    EXPECT_EQ(saved.at(0).at(0).toString(), id);
    const TranscriptRecord before = e.record();

    CJyxMakeDlg again(nullptr, before.text, commands(), conn);
    ASSERT_TRUE(again.loadRecord(id, EditorMode::Modify));
    for (const auto& [name, value] : fields)
        EXPECT_EQ(Text(&again, name), QString::fromUtf8(value)) << name;
    TranscriptRecord after = again.record();
    EXPECT_EQ(after.type, "烟草局笔录");
    after.type.clear();
    after.classicMark.clear();
    EXPECT_EQ(after, before);
    EXPECT_EQ(again.titleText(), "笔录制作_烟草局笔录_询问笔录");
    // Nothing changed, so closing asks nothing and writes nothing.
    prompt.clear();
    EXPECT_TRUE(again.closeEditor());
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_EQ(count("select count(*) from jyx_log"), 1);
}

TEST_F(EditorTest, SaveRefusalsAndFailuresKeepTheText) {
    CJyxMakeDlg& e = open();
    e.textEdit()->setTranscriptText("询问人：开始。");
    EXPECT_FALSE(e.save());
    EXPECT_EQ(prompt.lastText(), "您输入的被询问人身份证号码不正确！");
    Type(&e, "idNumber", "35010219900101123X");
    EXPECT_FALSE(e.save());
    EXPECT_EQ(prompt.lastText(), "姓名不能为空！");
    Type(&e, "name", "张三");
    ASSERT_GE(conn.ExecuteCmd("drop table jyx_content"), 0);
    EXPECT_FALSE(e.save());
    EXPECT_TRUE(prompt.lastText().startsWith(QString::fromUtf8(save_text::kFailed)));
    EXPECT_EQ(e.textEdit()->transcriptText(), "询问人：开始。");
    EXPECT_TRUE(e.session().recordId().isEmpty());
}

TEST_F(EditorTest, ClosingNeverLosesText) {
    // Incomplete: asked, and "No" keeps the editor open.
    CJyxMakeDlg& e = open();
    e.textEdit()->setTranscriptText("询问人：你好？");
    prompt.queueAnswer(Prompt::Answer::No);
    EXPECT_FALSE(e.closeEditor());
    EXPECT_EQ(prompt.lastText(), QString::fromUtf8(editor_text::kDiscardIncomplete));
    prompt.queueAnswer(Prompt::Answer::Yes);
    EXPECT_TRUE(e.closeEditor());
    EXPECT_EQ(count("select count(*) from jyx_content"), 0);

    // Complete: saved silently.
    CJyxMakeDlg& f = open();
    fillPerson(f);
    f.textEdit()->setTranscriptText("询问人：你好？");
    prompt.clear();
    EXPECT_TRUE(f.closeEditor());
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);

    // A failed save is reported and the editor stays unless the officer agrees.
    CJyxMakeDlg& g = open();
    fillPerson(g);
    g.textEdit()->setTranscriptText("询问人：你好？");
    ASSERT_GE(conn.ExecuteCmd("drop table jyx_content"), 0);
    prompt.clear();
    prompt.queueAnswer(Prompt::Answer::Ok);
    prompt.queueAnswer(Prompt::Answer::No);
    EXPECT_FALSE(g.closeEditor());
    ASSERT_EQ(prompt.texts().size(), 2);
    EXPECT_TRUE(prompt.texts().at(0).startsWith(QString::fromUtf8(save_text::kFailed)));
    EXPECT_EQ(prompt.texts().at(1), QString::fromUtf8(editor_text::kCloseAfterFailure));
}

TEST_F(EditorTest, KindRules) {
    struct Case {
        const char* kind;
        bool people, guardian, termCharge;
    };
    const Case cases[] = {
        {"解矫宣告笔录", true, false, false},
        {"调查评估笔录", false, true, false},
        {"矫正期间谈话笔录", false, false, true},
        {"询问笔录", false, false, false},
    };
    CJyxMakeDlg& e = open();
    e.show();
    auto* kinds = Find<QComboBox>(&e, "kindList");
    ASSERT_EQ(kinds->count(), 4);
    for (const Case& c : cases) {
        kinds->setCurrentText(QString::fromUtf8(c.kind));
        EXPECT_EQ(e.kindName(), c.kind);
        EXPECT_EQ(Session().transcriptKind, c.kind);
        EXPECT_EQ(e.titleText(), QStringLiteral("笔录制作_烟草局笔录_") + c.kind);
        EXPECT_EQ(Find<QWidget>(&e, "people")->isEnabled(), c.people) << c.kind;
        EXPECT_EQ(Find<QWidget>(&e, "guardian")->isEnabled(), c.guardian) << c.kind;
        EXPECT_EQ(Find<QWidget>(&e, "guardianAddress")->isEnabled(), c.guardian) << c.kind;
        EXPECT_EQ(Find<QWidget>(&e, "term")->isVisible(), c.termCharge) << c.kind;
        EXPECT_EQ(Find<QWidget>(&e, "chargeLabel")->isVisible(), c.termCharge) << c.kind;
        // Kept hidden whatever the kind enables.
        EXPECT_FALSE(Find<QWidget>(&e, "people")->isVisible());
    }
    // While no heading template is loaded every kind change asks for one.
    EXPECT_EQ(fetches.size(), 5);
    e.hide();
}

TEST_F(EditorTest, FetchedHeadingTemplateIsStoredForTheKindOfThatMoment) {
    CJyxMakeDlg& e = open();
    ASSERT_TRUE(fetched);
    Find<QComboBox>(&e, "kindList")->setCurrentText("调查评估笔录");
    fetched("询问笔录\n时间：#TIME");
    EXPECT_EQ(HeadingTemplate(), "询问笔录\n时间：#TIME");
    CDBRecordSet set =
        conn.ExecuteQuery("select jyxcontent from jyx_type where jyxname='调查评估笔录'");
    ASSERT_FALSE(set.IsEof());
    EXPECT_EQ(std::string(set.GetStringValue(0)), "询问笔录\n时间：#TIME");
    // With a template loaded no further fetch starts.
    fetches.clear();
    Find<QComboBox>(&e, "kindList")->setCurrentText("询问笔录");
    EXPECT_TRUE(fetches.isEmpty());
}

TEST_F(EditorTest, ClockAndStartInterview) {
    CJyxMakeDlg& e = open();
    auto* button = Find<QPushButton>(&e, "clockButton");
    EXPECT_EQ(button->text(), "0小时0分0秒");
    Find<QPushButton>(&e, "startButton")->click();
    EXPECT_EQ(prompt.lastText(), "姓名不能为空！");
    Type(&e, "name", "张三");
    Find<QPushButton>(&e, "startButton")->click();
    EXPECT_EQ(prompt.lastText(), "您输入的被询问人身份证号码不正确！");
    EXPECT_FALSE(e.session().clock().running());

    Type(&e, "idNumber", "35010219900101123X");
    clock.advance(120);
    Find<QPushButton>(&e, "startButton")->click();
    EXPECT_TRUE(e.session().clock().running());
    EXPECT_TRUE(e.leftCollapsed());
    EXPECT_FALSE(e.rightCollapsed());
    EXPECT_EQ(Text(&e, "startTime"), "2026/03/14 09:28");
    for (int i = 0; i < 3600; ++i)
        e.clockTick();
    EXPECT_EQ(button->text(), "1小时0分0秒");
    e.clockClicked(); // pause keeps the count
    EXPECT_FALSE(e.session().clock().running());
    e.clockTick();
    EXPECT_EQ(button->text(), "1小时0分0秒");
    // A double click (its first click already acted) restarts from zero.
    e.clockClicked();
    e.clockDoubleClicked();
    EXPECT_TRUE(e.session().clock().running());
    EXPECT_EQ(e.session().clock().elapsed(), 0);
}

TEST_F(EditorTest, ClockClickDoesNothingWhenModifying) {
    CJyxMakeDlg& e = open();
    fillPerson(e);
    ASSERT_TRUE(e.save(false));
    CJyxMakeDlg modify(nullptr, {}, commands(), conn);
    ASSERT_TRUE(modify.loadRecord(e.session().recordId(), EditorMode::Modify));
    modify.clockClicked();
    EXPECT_FALSE(modify.session().clock().running());
    modify.clockClicked();
    modify.clockDoubleClicked();
    EXPECT_TRUE(modify.session().clock().running());
}

TEST_F(EditorTest, PeriodicSaveAfterFiveMinutesOfInterview) {
    CJyxMakeDlg& e = open();
    e.show();
    QSignalSpy saved(&e, &CJyxMakeDlg::recordSaved);
    Type(&e, "name", "张三");
    Type(&e, "idNumber", "3501");
    e.textEdit()->setTranscriptText("询问人：你好？");
    e.session().clock().start();
    for (int i = 0; i < 299; ++i)
        e.clockTick();
    e.periodicSave();
    EXPECT_EQ(count("select count(*) from jyx_content"), 0);
    e.clockTick();
    e.periodicSave();
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);
    EXPECT_EQ(saved.count(), 1);
    EXPECT_TRUE(prompt.texts().isEmpty());
    e.hide();
}

TEST_F(EditorTest, SpecialUnitShowsTheRelationAndKeepsPeriodicSavesQuiet) {
    Session().unitName = "云溪县河道管理所";
    CJyxMakeDlg& e = open();
    e.show();
    EXPECT_TRUE(Find<QWidget>(&e, "relation")->isVisible());
    Find<QComboBox>(&e, "kindList")->setCurrentText("矫正期间谈话笔录");
    EXPECT_FALSE(Find<QWidget>(&e, "term")->isVisible());
    QSignalSpy saved(&e, &CJyxMakeDlg::recordSaved);
    fillPerson(e);
    e.session().clock().start();
    for (int i = 0; i < 300; ++i)
        e.clockTick();
    e.periodicSave();
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);
    EXPECT_EQ(saved.count(), 0);
    e.hide();
}

TEST_F(EditorTest, PrintChecksTheEndTimeAndSavesFirst) {
    CJyxMakeDlg& e = open();
    fillPerson(e);
    e.textEdit()->setTranscriptText("告知……是否申请回避？\n被询问人：不申请。");
    Type(&e, "endTime", "2026/13/14 10:00");
    Find<QPushButton>(&e, "printButton")->click();
    EXPECT_EQ(prompt.lastText(), "请检查结束日期月份是否正确!");
    EXPECT_TRUE(printed.empty());

    Type(&e, "endTime", "");
    prompt.queueAnswer(Prompt::Answer::No);
    Find<QPushButton>(&e, "printButton")->click();
    EXPECT_TRUE(printed.empty());
    EXPECT_EQ(count("select count(*) from jyx_content"), 0);

    clock.advance(600);
    prompt.queueAnswer(Prompt::Answer::Yes);
    Find<QPushButton>(&e, "printButton")->click();
    ASSERT_EQ(printed.size(), 1u);
    const EditorPrintJob& job = printed.front();
    EXPECT_EQ(Text(&e, "endTime"), "2026/03/14 09:36");
    EXPECT_EQ(job.end, (DateTimeParts{2026, 3, 14, 9, 36, 0}));
    EXPECT_EQ(job.recordId, e.session().recordId());
    EXPECT_FALSE(job.recordId.isEmpty());
    EXPECT_EQ(job.text, "被询问人：不申请。");
    EXPECT_EQ(job.kindName, "询问笔录");
    EXPECT_EQ(job.record.asker1.certificate, "35010001");
    EXPECT_EQ(job.face, "宋体");
    EXPECT_EQ(job.points, 12.0);
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);
}

TEST_F(EditorTest, SameAsAboveAndTypeTableCreation) {
    ASSERT_GE(conn.ExecuteCmd("drop table jyx_type"), 0);
    CJyxMakeDlg& e = open();
    EXPECT_EQ(count("select count(*) from sqlite_master where name='jyx_type'"), 1);
    EXPECT_EQ(Find<QComboBox>(&e, "kindList")->count(), 0);
    EXPECT_EQ(e.titleText(), "笔录制作_烟草局笔录_");
    EXPECT_EQ(Session().transcriptKind, "");
    Type(&e, "birthAddress", "青岚市'东区'幸福路1号");
    Find<QPushButton>(&e, "sameAsAboveButton")->click();
    EXPECT_EQ(Text(&e, "nowAddress"), "青岚市'东区'幸福路1号");
}
