// Officers in jyx_login and the account password in jyx_register: the
// messages of each command and what ends up in the tables.
#include "app/AccountStore.h"
#include "app/OfficerStore.h"
#include "test_officers_fixture.h"

#include <QStringList>

namespace {

QStringList L(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

OfficerForm Form(const char* name, const char* certificate, bool questioner, bool recorder,
                 const char* job = "科员") {
    OfficerForm f;
    f.name = name;
    f.certificate = certificate;
    f.questioner = questioner;
    f.recorder = recorder;
    f.job = job;
    return f;
}

OfficerRow Row(const std::string& name, const std::string& type) {
    OfficerRow r;
    r.name = name;
    r.type = type;
    return r;
}

class OfficerTest : public StoreFixture {
protected:
    int rowsOf(const std::string& name, const std::string& type) {
        return count("select * from jyx_login where login_name=? and person_type=?",
                     SqlArgs().text(name).text(type));
    }
    std::string column(const std::string& col, const std::string& name, const std::string& type) {
        CDBRecordSet set =
            db.query("select " + col + " from jyx_login where login_name=? and person_type=?",
                     SqlArgs().text(name).text(type));
        return set.IsEof() ? std::string("<none>") : ReadText(set, 0, ColumnEncoding::Blob);
    }
    OfficerStore store{db};
};

TEST_F(OfficerTest, AddRefusesIncompleteForms) {
    struct Case {
        const char* what;
        OfficerForm form;
        const char* message;
    } cases[] = {
        {"no name", Form("", "Z001", true, false), "姓名不能为空！"},
        {"no name, no number", Form("", "", false, false), "姓名不能为空！"},
        {"no certificate number", Form("张三", "", true, true), "执法证号不能为空！"},
        {"no type", Form("张三", "Z001", false, false), "请选择用户类型!"},
    };
    for (const Case& c : cases) {
        Outcome out = store.add(c.form);
        EXPECT_EQ(out.messages, L({c.message})) << c.what;
        EXPECT_FALSE(out.changed) << c.what;
    }
    EXPECT_EQ(count("select * from jyx_login"), 0);
}

TEST_F(OfficerTest, AddChecksEachTypeForAnExistingRow) {
    struct Case {
        const char* what;
        bool hadQuestioner, hadRecorder; // rows of 张三 before the add
        bool questioner, recorder;       // boxes checked
        QStringList messages;
        int questioners, recorders; // rows of 张三 after
    } cases[] = {
        {"new interviewing officer", false, false, true, false, L({"用户添加成功！"}), 1, 0},
        {"new recording officer", false, false, false, true, L({"用户添加成功！"}), 0, 1},
        {"both types: two rows, one message", false, false, true, true, L({"用户添加成功！"}), 1,
         1},
        {"existing interviewing officer", true, false, true, false, L({"该询问人已存在！"}), 1, 0},
        {"existing recording officer", false, true, false, true, L({"该用户记录人已存在！"}), 0, 1},
        {"existing one of both", true, false, true, true, L({"该询问人已存在！", "用户添加成功！"}),
         1, 1},
        {"existing both", true, true, true, true, L({"该询问人已存在！", "该用户记录人已存在！"}),
         1, 1},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(db.exec("delete from jyx_login"));
        if (c.hadQuestioner)
            store.add(Form("张三", "Z001", true, false));
        if (c.hadRecorder)
            store.add(Form("张三", "Z001", false, true));
        Outcome out = store.add(Form("张三", "Z001", c.questioner, c.recorder));
        EXPECT_EQ(out.messages, c.messages) << c.what;
        EXPECT_FALSE(out.failed) << c.what;
        EXPECT_EQ(rowsOf("张三", kQuestionerType), c.questioners) << c.what;
        EXPECT_EQ(rowsOf("张三", kRecorderType), c.recorders) << c.what;
    }
}

TEST_F(OfficerTest, AddedRowCarriesTheFormTheClockAndUtf8Text) {
    clock.set(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    store.add(Form("张三", "Z001", false, true, "队长"));
    CDBRecordSet set = db.query("select * from jyx_login");
    ASSERT_FALSE(set.IsEof());
    const TableDef& t = schema::jyx_login;
    EXPECT_EQ(ReadColumn(set, t, "login_id"), "");
    EXPECT_EQ(ReadColumn(set, t, "login_time"), "2026/03/04 05:06:07");
    EXPECT_EQ(ReadColumn(set, t, "person_type"), "记录人");
    EXPECT_EQ(ReadColumn(set, t, "person_zfzh"), "Z001");
    EXPECT_EQ(ReadColumn(set, t, "person_job"), "队长");
    EXPECT_EQ(ReadColumn(set, t, "login_ismanager"), "否");
    EXPECT_TRUE(set.FieldIsNull(t.indexOf("person_qname")));
    // The table keeps UTF-8: 张 is E5 BC A0.
    EXPECT_EQ(rawValue("select login_name from jyx_login"), "\xE5\xBC\xA0\xE4\xB8\x89");
}

TEST_F(OfficerTest, TabsListTheirTypeNewestFirst) {
    const char* adds[][2] = {
        {"甲", "询问人"}, {"乙", "记录人"}, {"丙", "询问人"}, {"丁", "记录人"}};
    for (auto& a : adds) {
        clock.advance(60);
        store.add(Form(a[0], "Z", a[1] == std::string(kQuestionerType),
                       a[1] == std::string(kRecorderType)));
    }
    auto names = [&](OfficerTab tab) {
        std::vector<std::string> out;
        for (const OfficerRow& r : store.list(tab))
            out.push_back(r.name);
        return out;
    };
    EXPECT_EQ(names(OfficerTab::Questioners), (std::vector<std::string>{"丙", "甲"}));
    EXPECT_EQ(names(OfficerTab::Recorders), (std::vector<std::string>{"丁", "乙"}));
    EXPECT_EQ(names(OfficerTab::Everyone), (std::vector<std::string>{"丁", "丙", "乙", "甲"}));
}

TEST_F(OfficerTest, NamesWithQuotesAddEditAndDelete) {
    const std::string name = "O'Brien \"老'王\"";
    EXPECT_EQ(store.add(Form(name.c_str(), "Z'1", true, false)).messages, L({"用户添加成功！"}));
    std::vector<OfficerRow> rows = store.list(OfficerTab::Questioners);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, name);
    EXPECT_EQ(rows[0].certificate, "Z'1");
    EXPECT_EQ(store.add(Form(name.c_str(), "Z'1", true, false)).messages, L({"该询问人已存在！"}));

    EXPECT_EQ(
        store.edit(rows[0], Form(name.c_str(), "Z'2", true, false, "it's"), std::nullopt).messages,
        L({"用户修改成功！"}));
    EXPECT_EQ(column("person_job", name, kQuestionerType), "it's");

    EXPECT_EQ(store.remove(rows[0]).messages, L({"已成功删除！"}));
    EXPECT_EQ(count("select * from jyx_login"), 0);
}

TEST_F(OfficerTest, FailedWritesSayFailureNeverSuccess) {
    store.add(Form("张三", "Z001", true, false));
    OfficerRow row = store.list(OfficerTab::Questioners).at(0);
    ASSERT_TRUE(db.exec("drop table jyx_login"));

    Outcome added = store.add(Form("李四", "Z002", true, true));
    Outcome edited = store.edit(row, Form("张三", "Z009", true, false), std::nullopt);
    Outcome removed = store.remove(row);
    for (const Outcome* out : {&added, &edited, &removed}) {
        EXPECT_TRUE(out->failed);
        ASSERT_EQ(out->messages.size(), 1) << out->messages.join('|').toStdString();
        EXPECT_TRUE(out->messages[0].contains("no such table")) << out->messages[0].toStdString();
    }
    EXPECT_TRUE(added.messages[0].startsWith(QString::fromUtf8("用户添加失败！")));
    EXPECT_TRUE(edited.messages[0].startsWith(QString::fromUtf8("用户修改失败！")));
    EXPECT_TRUE(removed.messages[0].startsWith(QString::fromUtf8("删除失败！")));
}

TEST_F(OfficerTest, EditOfAVanishedRowFails) {
    store.add(Form("张三", "Z001", true, false));
    OfficerRow row = store.list(OfficerTab::Questioners).at(0);
    ASSERT_TRUE(db.exec("delete from jyx_login"));
    Outcome out = store.edit(row, Form("张三", "Z001", true, false), std::nullopt);
    EXPECT_TRUE(out.failed);
    EXPECT_FALSE(out.messages.contains(QString::fromUtf8("用户修改成功！")));
    EXPECT_EQ(count("select * from jyx_login"), 0);
}

// The selected row is 张三 as 询问人; 张三 may also exist as 记录人.
TEST_F(OfficerTest, EditWritesTheTypesOfTheVisibleBoxes) {
    struct Case {
        const char* what;
        bool alsoRecorder; // 张三 also exists as 记录人 before the edit
        OfficerForm form;
        QStringList messages;
        int questioners, recorders; // rows of the form's name after the edit
    } cases[] = {
        {"keep the type", false, Form("张三", "Z002", true, false), L({"用户修改成功！"}), 1, 0},
        {"change the type", false, Form("张三", "Z002", false, true), L({"用户修改成功！"}), 0, 1},
        {"both types add the missing row", false, Form("张三", "Z002", true, true),
         L({"用户修改成功！"}), 1, 1},
        {"both types update both rows", true, Form("张三", "Z002", true, true),
         L({"用户修改成功！"}), 1, 1},
        {"a type change onto an existing row is refused", true, Form("张三", "Z002", false, true),
         L({"该用户记录人已存在！"}), 1, 1},
        {"rename", false, Form("张老三", "Z002", true, false), L({"用户修改成功！"}), 1, 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(db.exec("delete from jyx_login"));
        store.add(Form("张三", "Z001", true, false));
        if (c.alsoRecorder)
            store.add(Form("张三", "Z001", false, true));
        Outcome out = store.edit(Row("张三", kQuestionerType), c.form, std::nullopt);
        EXPECT_EQ(out.messages, c.messages) << c.what;
        EXPECT_EQ(rowsOf(c.form.name, kQuestionerType), c.questioners) << c.what;
        EXPECT_EQ(rowsOf(c.form.name, kRecorderType), c.recorders) << c.what;
        std::string expected = out.changed ? "Z002" : "Z001";
        if (c.questioners) {
            EXPECT_EQ(column("person_zfzh", c.form.name, kQuestionerType), expected) << c.what;
        }
        if (c.recorders) {
            EXPECT_EQ(column("person_zfzh", c.form.name, kRecorderType), expected) << c.what;
        }
    }
}

TEST_F(OfficerTest, EditOfOneTypeLeavesTheOtherTypesRowAlone) {
    store.add(Form("张三", "Z001", true, true, "科员"));
    store.edit(Row("张三", kQuestionerType), Form("张三", "Z001", true, false, "队长"),
               std::nullopt);
    EXPECT_EQ(column("person_job", "张三", kQuestionerType), "队长");
    EXPECT_EQ(column("person_job", "张三", kRecorderType), "科员");
}

TEST_F(OfficerTest, SignatureIsFoundByNameAndTypeAndKeptByteForByte) {
    const std::string mine("\x89PNG-mine\0", 10);
    const std::string other("\x89PNG-other\0", 11);
    store.add(Form("张三", "Z001", true, true));
    store.add(Form("李四", "Z002", true, false));
    // Every row has an empty login_id; the lookup must not hand out 李四's picture.
    store.edit(Row("李四", kQuestionerType), Form("李四", "Z002", true, false), other);
    store.edit(Row("张三", kRecorderType), Form("张三", "Z001", false, true), mine);

    EXPECT_EQ(store.signature("张三", kRecorderType), mine);
    EXPECT_EQ(store.signature("张三", kQuestionerType), "");
    EXPECT_EQ(store.signature("李四", kQuestionerType), other);

    // Saving the loaded picture again stores the same bytes (no extra zero byte).
    std::string loaded = store.signature("张三", kRecorderType);
    store.edit(Row("张三", kRecorderType), Form("张三", "Z001", false, true), loaded);
    EXPECT_EQ(store.signature("张三", kRecorderType), mine);
    // An edit without a picture clears it.
    store.edit(Row("张三", kRecorderType), Form("张三", "Z001", false, true), std::nullopt);
    EXPECT_EQ(store.signature("张三", kRecorderType), "");
}

TEST_F(OfficerTest, DeleteRefusesTheAccountHoldersOwnRow) {
    struct Case {
        const char* certificate;
        const char* idNumber;
        const char* account; // current account ID number
        bool refused;
    } cases[] = {
        {"", "", "", true}, // built-in administrator, empty certificate cell
        {"Z001", "", "", false},
        {"Z001", "", "Z001", true},
        {"Z001", "370200198001010011", "370200198001010011", true},
        {"Z001", "370200198001010011", "110101199001010022", false},
    };
    for (const Case& c : cases) {
        OfficerRow row = Row("张三", kQuestionerType);
        row.certificate = c.certificate;
        row.idNumber = c.idNumber;
        QString refusal = OfficerStore::deleteRefusal(row, c.account);
        EXPECT_EQ(refusal, c.refused ? QString::fromUtf8("不能删除管理员！") : QString())
            << c.certificate << "/" << c.idNumber << "/" << c.account;
    }
    EXPECT_EQ(OfficerStore::deleteQuestion(Row("张三", kRecorderType)),
              QString::fromUtf8("您确定要删除用户张三?"));
}

TEST_F(OfficerTest, DeleteRemovesTheSelectedRowOnly) {
    store.add(Form("张三", "Z001", true, true));
    store.add(Form("李四", "Z002", true, false));
    EXPECT_EQ(store.remove(Row("张三", kQuestionerType)).messages, L({"已成功删除！"}));
    EXPECT_EQ(rowsOf("张三", kQuestionerType), 0);
    EXPECT_EQ(rowsOf("张三", kRecorderType), 1);
    EXPECT_EQ(rowsOf("李四", kQuestionerType), 1);
}

class PasswordTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_TRUE(db.insert(schema::jyx_register, {{"jyx_username", "管理员"},
                                                     {"jyx_userxm", "王五"},
                                                     {"jyx_sfz", "370200198001010011"},
                                                     {"jyx_password", "Secret1"}}));
    }
    AccountStore account{db};
};

TEST_F(PasswordTest, EveryRuleHasItsMessage) {
    const QString s65(65, 'a'), s64(64, 'b');
    struct Case {
        const char* what;
        QString oldPw, newPw, repeat;
        const char* message;
        bool changed;
    } cases[] = {
        {"empty", "Secret1", "", "", "密码不能为空！", false},
        {"5 characters", "Secret1", "12345", "12345", "密码长度非法，请重新输入！", false},
        {"65 characters", "Secret1", s65, s65, "密码长度非法，请重新输入！", false},
        {"repeat differs", "Secret1", "123456", "123457", "两次密码输入不一致！", false},
        {"wrong old", "Secret2", "123456", "123456", "旧密码设置错误！", false},
        {"old in other case", "secret1", "123456", "123456", "旧密码设置错误！", false},
        {"6 characters", "Secret1", "123456", "123456", "密码设置成功！", true},
        {"64 characters", "Secret1", s64, s64, "密码设置成功！", true},
        {"6 Chinese characters", "Secret1", "一二三四五六", "一二三四五六", "密码设置成功！", true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(db.exec("update jyx_register set jyx_password='Secret1'"));
        Outcome out = account.changePassword("管理员", c.oldPw, c.newPw, c.repeat);
        EXPECT_EQ(out.messages, L({c.message})) << c.what;
        EXPECT_EQ(out.changed, c.changed) << c.what;
        EXPECT_EQ(account.password("管理员"), c.changed ? c.newPw.toStdString() : "Secret1")
            << c.what;
    }
}

TEST_F(PasswordTest, PasswordWithQuotesRoundTrips) {
    Outcome out = account.changePassword("管理员", "Secret1", "it's \"ok\"", "it's \"ok\"");
    EXPECT_EQ(out.messages, L({"密码设置成功！"}));
    EXPECT_EQ(account.password("管理员"), "it's \"ok\"");
}

TEST_F(PasswordTest, NoAccountRowIsAFailureNotASuccess) {
    // The built-in administrator has no row: the old password reads as empty.
    Outcome out = account.changePassword("admin", "", "123456", "123456");
    EXPECT_TRUE(out.failed);
    ASSERT_EQ(out.messages.size(), 1);
    EXPECT_TRUE(out.messages[0].startsWith(QString::fromUtf8("密码设置失败！")));
}

TEST_F(PasswordTest, FailedUpdateIsReported) {
    ASSERT_TRUE(db.exec("drop table jyx_register"));
    Outcome out = account.changePassword("管理员", "", "123456", "123456");
    EXPECT_TRUE(out.failed);
    ASSERT_EQ(out.messages.size(), 1);
    EXPECT_TRUE(out.messages[0].startsWith(QString::fromUtf8("密码设置失败！")));
    EXPECT_TRUE(out.messages[0].contains("no such table"));
}

} // namespace
