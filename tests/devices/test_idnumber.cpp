// The ID-number rules and the two card texts (library JSON and the
// card-reader program's fields).
#include "app/test_officers_fixture.h"
#include "devices/IdCard.h"
#include "devices/IdNumberRules.h"
#include "text/TextCodec.h"

#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 6, 15);

struct IdCase {
    const char* label;
    const char* id;
    IdNumberFill::Result result;
    const char* sex;
    int year, month, day, age;
    const char* message;
};

const IdCase kIdCases[] = {
    {"seventeen characters", "11010119900307123", IdNumberFill::Result::NotChecked, "", 0, 0, 0, 0,
     ""},
    {"nineteen characters", "1101011990030712361", IdNumberFill::Result::NotChecked, "", 0, 0, 0, 0,
     ""},
    {"odd sex digit", "110101199003071236", IdNumberFill::Result::Derived, "男", 1990, 3, 7, 36,
     ""},
    {"X check character, even sex digit", "11010119900307122X", IdNumberFill::Result::Derived, "女",
     1990, 3, 7, 36, ""},
    {"zero is even", "110101199003071202", IdNumberFill::Result::Derived, "女", 1990, 3, 7, 36, ""},
    {"birthday later this year", "110101199012011236", IdNumberFill::Result::Derived, "男", 1990,
     12, 1, 35, ""},
    {"birthday tomorrow", "110101199006161236", IdNumberFill::Result::Derived, "男", 1990, 6, 16,
     35, ""},
    {"birthday today", "110101199006151236", IdNumberFill::Result::Derived, "男", 1990, 6, 15, 36,
     ""},
    {"born today", "110101202606151236", IdNumberFill::Result::Derived, "男", 2026, 6, 15, 0, ""},
    {"future birth date", "110101203001011236", IdNumberFill::Result::Derived, "男", 2030, 1, 1, -4,
     "身份证格式错误，年龄:-4，超出范围!请重新输入!"},
    {"born tomorrow", "110101202606161236", IdNumberFill::Result::Derived, "男", 2026, 6, 16, -1,
     "身份证格式错误，年龄:-1，超出范围!请重新输入!"},
    {"age 120 is in range", "110101190601011236", IdNumberFill::Result::Derived, "男", 1906, 1, 1,
     120, ""},
    {"age 121", "110101190501011236", IdNumberFill::Result::Derived, "男", 1905, 1, 1, 121,
     "身份证格式错误，年龄:121，超出范围!请重新输入!"},
    {"letter in position 5", "11010A199003071236", IdNumberFill::Result::IllegalCharacter, "", 0, 0,
     0, 0, "身份证中还有非法字符，请检查!"},
    {"letter in position 16", "1101011990030712X6", IdNumberFill::Result::IllegalCharacter, "", 0,
     0, 0, 0, "身份证中还有非法字符，请检查!"},
    {"letter in position 0", "x10101199003071236", IdNumberFill::Result::IllegalCharacter, "", 0, 0,
     0, 0, "身份证中还有非法字符，请检查!"},
    {"full-width digit", "１10101199003071236", IdNumberFill::Result::IllegalCharacter, "", 0, 0, 0,
     0, "身份证中还有非法字符，请检查!"},
    {"blank inside", "110101 99003071236", IdNumberFill::Result::IllegalCharacter, "", 0, 0, 0, 0,
     "身份证中还有非法字符，请检查!"},
};

TEST(IdNumberRules, InterpretsTheNumber) {
    for (const IdCase& c : kIdCases) {
        SCOPED_TRACE(c.label);
        const IdNumberFill fill = InterpretIdNumber(QString::fromUtf8(c.id), kToday);
        EXPECT_EQ(fill.result, c.result);
        EXPECT_EQ(fill.message, QString::fromUtf8(c.message));
        if (c.result != IdNumberFill::Result::Derived)
            continue;
        EXPECT_EQ(fill.sex, QString::fromUtf8(c.sex));
        EXPECT_EQ(fill.sexIndex, fill.sex == QStringLiteral("男") ? 0 : 1);
        EXPECT_EQ(fill.birthYear, c.year);
        EXPECT_EQ(fill.birthMonth, c.month);
        EXPECT_EQ(fill.birthDay, c.day);
        EXPECT_EQ(fill.age, c.age);
    }
}

TEST(IdNumberRules, AgeRuleOnLeapDayAndAtYearEnds) {
    EXPECT_EQ(AgeOn(2000, 2, 29, QDate(2026, 2, 28)), 25);
    EXPECT_EQ(AgeOn(2000, 2, 29, QDate(2026, 3, 1)), 26);
    EXPECT_EQ(AgeOn(1990, 12, 31, QDate(2026, 12, 31)), 36);
    EXPECT_EQ(AgeOn(1990, 1, 1, QDate(2026, 1, 1)), 36);
    // Digits that are no calendar date still give an age.
    EXPECT_EQ(AgeOn(1990, 13, 40, QDate(2026, 12, 31)), 35);
}

TEST(IdNumberRules, NonDateDigitsLeaveTheBirthdayAlone) {
    const IdNumberFill fill = InterpretIdNumber("110101199013401236", kToday);
    ASSERT_TRUE(fill.derived());
    EXPECT_FALSE(fill.birthday().isValid());
    TranscriptRecord r;
    r.birthday = QDate(1980, 1, 1);
    fill.applyTo(r);
    EXPECT_EQ(r.birthday, QDate(1980, 1, 1));
    EXPECT_EQ(r.age, "35");
}

TEST(IdNumberRules, DocumentTypeListHoldsTheResidentCard) {
    EXPECT_EQ(DocumentTypes(), QStringList{QStringLiteral("居民身份证")});
    EXPECT_EQ(kIdNumberLength, 18);
    EXPECT_EQ(kDocumentNumberLength, 30);
}

class IdNumberLookup : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        for (const char* place :
             {"110101 北京市东城区", "110102 北京市西城区", "330106 浙江省杭州市西湖区"})
            ASSERT_TRUE(db.insert(schema::jyx_location,
                                  {{"jyx_place", place}, {"jyx_code", std::string(place, 6)}}));
    }
};

TEST_F(IdNumberLookup, RegisteredAddressFromTheDivisionCode) {
    const IdNumberFill known = IdNumberRules("330106198805051234", kToday, db);
    ASSERT_TRUE(known.birthAddress.has_value());
    EXPECT_EQ(*known.birthAddress, QStringLiteral("浙江省杭州市西湖区"));

    const IdNumberFill unknown = IdNumberRules("999999198805051234", kToday, db);
    EXPECT_TRUE(unknown.derived());
    EXPECT_FALSE(unknown.birthAddress.has_value());

    TranscriptRecord r;
    r.birthAddress = QStringLiteral("typed by hand");
    unknown.applyTo(r);
    EXPECT_EQ(r.birthAddress, QStringLiteral("typed by hand"));
    EXPECT_EQ(r.sex, QStringLiteral("男"));
    EXPECT_EQ(r.birthday, QDate(1988, 5, 5));
    EXPECT_EQ(r.age, "38");
}

TEST_F(IdNumberLookup, IllegalNumbersAskNothing) {
    int asked = 0;
    const PersonLookup lookup = [&](const QString&) -> std::optional<QStringList> {
        ++asked;
        return std::nullopt;
    };
    EXPECT_FALSE(IdNumberRules("11010A199003071236", kToday, db, lookup).birthAddress);
    EXPECT_FALSE(IdNumberRules("11010119900307123", kToday, db, lookup).birthAddress);
    EXPECT_EQ(asked, 0);
}

TEST_F(IdNumberLookup, PersonLibraryFillsTheNamedFields) {
    QStringList record;
    for (int i = 0; i < 21; ++i)
        record << QStringLiteral("f%1").arg(i);
    QString askedFor;
    const PersonLookup lookup = [&](const QString& id) -> std::optional<QStringList> {
        askedFor = id;
        return record;
    };
    const IdNumberFill fill = IdNumberRules("110101199003071236", kToday, db, lookup);
    EXPECT_EQ(askedFor, "110101199003071236");
    ASSERT_TRUE(fill.person.has_value());
    TranscriptRecord r;
    fill.applyTo(r);
    EXPECT_EQ(r.name, "f1");
    EXPECT_EQ(r.nation, "f5");
    EXPECT_EQ(r.education, "f8");
    EXPECT_EQ(r.political, "f9");
    EXPECT_EQ(r.nationality, "f10");
    EXPECT_EQ(r.telephone, "f11");
    EXPECT_EQ(r.nowAddress, "f13");
    EXPECT_EQ(r.workUnit, "f14");
    EXPECT_EQ(r.job, "f15");
    EXPECT_EQ(r.caseNumber, "f18");
    EXPECT_EQ(r.birthAddress, QStringLiteral("北京市东城区"));

    // A short record leaves the missing fields empty instead of failing.
    const PersonFill shortRecord = PersonFill::FromRecord({"a", "b"});
    EXPECT_EQ(shortRecord.name, "b");
    EXPECT_TRUE(shortRecord.caseNumber.isEmpty());
}

TEST(CardText, Utf8OrGbkUpToTheFirstZero) {
    EXPECT_EQ(CardText(std::string("李晓明\0junk", 14)), QStringLiteral("李晓明"));
    EXPECT_EQ(CardText(Utf8ToAnsi("北京市东城区")), QStringLiteral("北京市东城区"));
    EXPECT_EQ(CardText(""), QString());
}

TEST(CardJson, MembersOfTheDecodedText) {
    const auto card = ParseCardJson(
        R"({"name":"李晓明","sexDesc":"男","nationDesc":"汉","cardNo":"110101199003071236",)"
        R"("born":"19900307","address":"北京市东城区景山前街4号","extra":1})",
        kToday);
    ASSERT_TRUE(card);
    EXPECT_EQ(card->name, QStringLiteral("李晓明"));
    EXPECT_EQ(card->sexIndex, 0);
    EXPECT_EQ(card->nation, QStringLiteral("汉"));
    EXPECT_EQ(card->idNumber, QStringLiteral("110101199003071236"));
    EXPECT_EQ(card->birthday(), QDate(1990, 3, 7));
    EXPECT_EQ(card->address, QStringLiteral("北京市东城区景山前街4号"));
    EXPECT_EQ(card->age, 36);
}

TEST(CardJson, GbkMembersAndMissingOnes) {
    const std::string text = "{\"name\":\"" + Utf8ToAnsi("王芳") + "\",\"sexDesc\":\"" +
                             Utf8ToAnsi("女") + "\",\"born\":\"20001231\"}";
    const auto card = ParseCardJson(text, kToday);
    ASSERT_TRUE(card);
    EXPECT_EQ(card->name, QStringLiteral("王芳"));
    EXPECT_EQ(card->sexIndex, 1);
    EXPECT_EQ(card->idNumber, QString());
    EXPECT_EQ(card->age, 25);
    EXPECT_TRUE(card->address.isEmpty());
}

TEST(CardJson, TextsThatDoNotParseGiveNothing) {
    for (const char* text : {"", "not json", "[1,2]", "\"name\"", "{\"name\":"})
        EXPECT_FALSE(ParseCardJson(text, kToday)) << text;
}

TEST(CardProgramText, FieldRule) {
    const auto nine = ParseCardProgramText(
        QStringLiteral("李晓明;男;汉;1990;03;07;北京市东城区景山前街4号;;110101199003071236"),
        kToday);
    ASSERT_TRUE(nine);
    EXPECT_EQ(nine->name, QStringLiteral("李晓明"));
    EXPECT_EQ(nine->sex(), QStringLiteral("男"));
    EXPECT_EQ(nine->nation, QStringLiteral("汉"));
    EXPECT_EQ(nine->idNumber, QStringLiteral("110101199003071236"));
    EXPECT_EQ(nine->birthday(), QDate(1990, 3, 7));
    EXPECT_EQ(nine->address, QStringLiteral("北京市东城区景山前街4号"));
    EXPECT_EQ(nine->age, 36);

    // Six to eight fields: everything but the ID number, which stays as it is.
    const auto seven = ParseCardProgramText(QStringLiteral("王芳;女;回;2001;7;1;西安"), kToday);
    ASSERT_TRUE(seven);
    EXPECT_FALSE(seven->idNumber.has_value());
    EXPECT_EQ(seven->sexIndex, 1);
    EXPECT_EQ(seven->birthday(), QDate(2001, 7, 1));
    EXPECT_EQ(seven->age, 24);
    EXPECT_EQ(seven->address, QStringLiteral("西安"));

    const auto six = ParseCardProgramText(QStringLiteral("王芳;女;回;2001;7;1"), kToday);
    ASSERT_TRUE(six);
    EXPECT_TRUE(six->address.isEmpty());

    EXPECT_FALSE(ParseCardProgramText(QStringLiteral("王芳;女;回;2001;7"), kToday));
    EXPECT_FALSE(ParseCardProgramText(QString(), kToday));
}

} // namespace
