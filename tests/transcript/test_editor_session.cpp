// The editor's decisions without a window: what closing does, when the
// periodic save runs, opening a stored transcript, the printable text.
#include "test_store_fixture.h"

#include "transcript/EditorSession.h"

#include <QFile>

namespace {

TranscriptRecord Complete() {
    TranscriptRecord r;
    r.name = "张'三'";
    r.idNumber = "35010219900101123X";
    r.kind = "询问笔录";
    r.times = "1";
    r.text = "询问人：你好？\n被询问人：你好。";
    return r;
}

} // namespace

class SessionTest : public StoreFixture {
protected:
    EditorContext context(const char* unit = "青岚市烟草专卖局") {
        return {"admin", "李明", unit, "烟草局笔录", dir.path()};
    }
    void runClock(EditorSession& s, int seconds) {
        s.clock().start();
        for (int i = 0; i < seconds; ++i)
            s.clock().tick();
    }
};

TEST_F(SessionTest, CloseSavesCompleteChangesAndAsksForIncompleteOnes) {
    EditorSession s(db, context());
    const TranscriptRecord opened;
    s.markSaved(opened);
    struct Case {
        const char* name;
        void (*change)(TranscriptRecord&);
        EditorSession::CloseAction expected;
    };
    const Case cases[] = {
        {"nothing changed", [](TranscriptRecord&) {}, EditorSession::CloseAction::Close},
        {"text without a name", [](TranscriptRecord& r) { r.text = "询问人：你好？"; },
         EditorSession::CloseAction::AskDiscard},
        {"name with a short ID number",
         [](TranscriptRecord& r) {
             r = Complete();
             r.idNumber.chop(1);
         },
         EditorSession::CloseAction::AskDiscard},
        {"complete", [](TranscriptRecord& r) { r = Complete(); },
         EditorSession::CloseAction::SaveSilently},
        {"only a field changed", [](TranscriptRecord& r) { r.place = "询问室"; },
         EditorSession::CloseAction::AskDiscard},
    };
    for (const Case& c : cases) {
        TranscriptRecord r = opened;
        c.change(r);
        EXPECT_EQ(s.closeAction(r), c.expected) << c.name;
    }
    // After a save the same content closes without a question.
    const TranscriptRecord r = Complete();
    ASSERT_TRUE(s.save(r).ok());
    EXPECT_EQ(s.closeAction(r), EditorSession::CloseAction::Close);
    TranscriptRecord more = r;
    more.text += "\n询问人：还有吗？";
    EXPECT_EQ(s.closeAction(more), EditorSession::CloseAction::SaveSilently);
}

TEST_F(SessionTest, ExplicitSaveFixesTheIdAndUpdatesAfterwards) {
    EditorSession s(db, context());
    TranscriptRecord r = Complete();
    SaveResult first = s.save(r);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(s.recordId(), "35010219900101123X_20260314092653");
    r.text += "\n补充";
    clock.advance(60);
    SaveResult second = s.save(r);
    ASSERT_TRUE(second.ok());
    EXPECT_FALSE(second.inserted);
    EXPECT_EQ(s.recordId(), first.recordId);
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);

    // A refused save changes neither the id nor what counts as saved.
    TranscriptRecord noName = r;
    noName.name.clear();
    EXPECT_EQ(s.save(noName).status, SaveResult::Status::EmptyName);
    EXPECT_EQ(s.recordId(), first.recordId);
    EXPECT_EQ(s.closeAction(r), EditorSession::CloseAction::Close);
}

TEST_F(SessionTest, PeriodicSaveRunsOnlyWhenDueAndChanged) {
    EditorSession s(db, context());
    TranscriptRecord r = Complete();
    runClock(s, kPeriodicSaveMinSeconds - 1);
    EXPECT_FALSE(s.periodicSave(r, true)); // 299 seconds of interview
    s.clock().tick();
    EXPECT_FALSE(s.periodicSave(r, false)); // hidden window
    s.templateDialogOpen = true;
    EXPECT_FALSE(s.periodicSave(r, true));
    s.templateDialogOpen = false;
    EXPECT_EQ(count("select count(*) from jyx_content"), 0);

    std::optional<SaveResult> saved = s.periodicSave(r, true);
    ASSERT_TRUE(saved && saved->ok());
    EXPECT_EQ(s.recordId(), "admin" + QString::number(clock.now().toSecsSinceEpoch()));
    EXPECT_EQ(count("select count(*) from jyx_log"), 0);
    EXPECT_FALSE(s.periodicSave(r, true)); // nothing new to keep
    r.text += "\n询问人：还有吗？";
    saved = s.periodicSave(r, true);
    ASSERT_TRUE(saved && saved->ok());
    EXPECT_FALSE(saved->inserted);
    EXPECT_EQ(count("select count(*) from jyx_content"), 1);
    EXPECT_EQ(s.closeAction(r), EditorSession::CloseAction::Close);
}

TEST_F(SessionTest, SpecialUnitKeepsPeriodicSavesFromTheParent) {
    EXPECT_TRUE(EditorSession(db, context()).notifiesPeriodicSave());
    EXPECT_FALSE(EditorSession(db, context("云溪县河道管理所")).notifiesPeriodicSave());
    EXPECT_TRUE(IsSpecialUnit("云溪县河道"));
    EXPECT_FALSE(IsSpecialUnit("云溪县"));
}

TEST_F(SessionTest, OpeningAStoredTranscript) {
    writeFile("tmp.bmp", "photo-bytes");
    TranscriptRecord stored = Complete();
    stored.times = "3";
    EditorSession writer(db, context());
    ASSERT_TRUE(writer.save(stored).ok());
    const QString id = writer.recordId();
    QFile::remove(dir.path() + "/tmp.bmp");

    EditorSession modify(db, context());
    TranscriptRecord r;
    ASSERT_TRUE(modify.open(id, EditorMode::Modify, r));
    EXPECT_EQ(modify.recordId(), id);
    EXPECT_EQ(modify.mode(), EditorMode::Modify);
    EXPECT_EQ(r.name, stored.name);
    EXPECT_EQ(r.times, "3");
    // The stored photo is the photo file again, with its own bytes.
    EXPECT_EQ(modify.cardPhotoPath(), modify.photoFile());
    QFile photo(modify.photoFile());
    ASSERT_TRUE(photo.open(QIODevice::ReadOnly));
    EXPECT_EQ(photo.readAll(), QByteArray("photo-bytes"));
    photo.close();

    EditorSession again(db, context());
    ASSERT_TRUE(again.open(id, EditorMode::AskAgain, r));
    EXPECT_EQ(r.times, "4");

    // A transcript without a photo must not pick up a photo file left behind.
    ASSERT_TRUE(
        db.update(schema::jyx_content, {{"jyx_headpic", ""}}, {{"jyx_id", id.toStdString()}}));
    EditorSession noPhoto(db, context());
    ASSERT_TRUE(noPhoto.open(id, EditorMode::Modify, r));
    EXPECT_TRUE(noPhoto.cardPhotoPath().isEmpty());
    EXPECT_FALSE(QFile::exists(noPhoto.photoFile()));

    EditorSession missing(db, context());
    EXPECT_FALSE(missing.open("no such id", EditorMode::Modify, r));
    EXPECT_TRUE(missing.recordId().isEmpty());
}

TEST(EditorRules, AskAgainCount) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "2"}, {"3", "4"}, {"", "2"}, {"0", "2"}, {"abc", "2"}, {"7次", "8"}, {" 9", "10"},
    };
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(AskAgainCount(stored).toStdString(), expected) << stored;
}

TEST(EditorRules, PrintableText) {
    const std::pair<const char*, const char*> cases[] = {
        {"询问人：你好？\n被询问人：你好。", "询问人：你好？\n被询问人：你好。"},
        {"告知……是否申请回避？\n被询问人：不申请。", "被询问人：不申请。"},
        {"是否申请回避？\r\n被询问人：不申请。", "被询问人：不申请。"},
        {"是否申请回避？\n", "被询问人：\n"},
        {"是否申请回避？\r\n\r\n", "被询问人：\n"},
        {"", "被询问人：\n"},
        {"A是否申请回避？\nB是否申请回避？\nC", "B是否申请回避？\nC"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(PrintableText(text).toStdString(), expected) << text;
}

TEST_F(SessionTest, StartInterviewNeedsNameAndFullIdNumber) {
    EditorSession s(db, context());
    TranscriptRecord r = Complete();
    EXPECT_TRUE(s.startInterviewRefusal(r).isEmpty());
    r.idNumber = "3501";
    EXPECT_EQ(s.startInterviewRefusal(r).toStdString(), save_text::kBadIdNumber);
    r.name.clear();
    EXPECT_EQ(s.startInterviewRefusal(r).toStdString(), save_text::kEmptyName);
}

TEST_F(SessionTest, CleanUpRemovesOrphanFamilyRowsAndThePhotoFile) {
    ASSERT_TRUE(db.insert(schema::jyx_family, {{"jyx_id", ""}, {"jyx_name", "张父"}}));
    ASSERT_TRUE(db.insert(schema::jyx_family, {{"jyx_id", "kept"}, {"jyx_name", "李母"}}));
    writeFile("tmp.bmp", "x");
    EditorSession s(db, context());
    s.cleanUp();
    EXPECT_EQ(count("select count(*) from jyx_family"), 1);
    EXPECT_FALSE(QFile::exists(s.photoFile()));
}
