// Places of interview in jyx_address, a GBK table.
#include "app/AddressStore.h"
#include "test_officers_fixture.h"

namespace {

using Names = std::vector<std::string>;

class PlaceTest : public StoreFixture {
protected:
    AddressStore store{db};
};

TEST_F(PlaceTest, AddTwiceListsTwiceAndDeleteRemovesBoth) {
    EXPECT_EQ(store.add("第一询问室", kDefaultUnitName).messages,
              QStringList{QString::fromUtf8("添加成功!")});
    store.add("大厅", kDefaultUnitName);
    store.add("第一询问室", kDefaultUnitName);
    EXPECT_EQ(store.names(), (Names{"第一询问室", "大厅", "第一询问室"}));

    const QStringList deleted{QString::fromUtf8("删除成功！")};
    EXPECT_EQ(store.remove("第一询问室").messages, deleted);
    EXPECT_EQ(store.names(), (Names{"大厅"}));
    // A second delete of the same text runs, deletes nothing and says so as before.
    EXPECT_EQ(store.remove("第一询问室").messages, deleted);
    EXPECT_EQ(store.names(), (Names{"大厅"}));
}

TEST_F(PlaceTest, EmptyTextAndNoSelectionAreRefused) {
    Outcome added = store.add("", kDefaultUnitName);
    EXPECT_EQ(added.messages, QStringList{QString::fromUtf8("地址不能为空！")});
    EXPECT_FALSE(added.changed);
    Outcome removed = store.remove("");
    EXPECT_EQ(removed.messages, QStringList{QString::fromUtf8("请选择笔录地址!")});
    EXPECT_EQ(count("select * from jyx_address"), 0);
}

TEST_F(PlaceTest, RowHoldsGbkBytesTheTimeAndTheUnit) {
    clock.set(QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9)));
    store.add("询问室", kDefaultUnitName);
    // 询问室 in GBK: D1 AF CE CA CA D2.
    EXPECT_EQ(rawValue("select jyx_name from jyx_address"), "\xD1\xAF\xCE\xCA\xCA\xD2");
    EXPECT_EQ(rawValue("select jyx_createtime from jyx_address"), "2026/05/06 07:08:09");
    CDBRecordSet set = db.query("select * from jyx_address");
    EXPECT_EQ(ReadColumn(set, schema::jyx_address, "jyx_username"), "青岚市烟草专卖局");
}

TEST_F(PlaceTest, AddingOrderFollowsTheCreationTime) {
    clock.set(QDateTime(QDate(2026, 1, 2), QTime(10, 0, 0)));
    store.add("乙", kDefaultUnitName);
    clock.set(QDateTime(QDate(2025, 12, 31), QTime(9, 0, 0)));
    store.add("甲", kDefaultUnitName);
    clock.set(QDateTime(QDate(2026, 1, 2), QTime(10, 0, 0)));
    store.add("丙", kDefaultUnitName);
    EXPECT_EQ(store.names(), (Names{"乙", "甲", "丙"}));
    EXPECT_EQ(store.namesInAddingOrder(), (Names{"甲", "乙", "丙"}));
}

TEST_F(PlaceTest, QuotesRoundTrip) {
    const std::string place = "O'Neil's \"房间\"";
    store.add(place, kDefaultUnitName);
    EXPECT_EQ(store.names(), (Names{place}));
    store.remove(place);
    EXPECT_TRUE(store.names().empty());
}

TEST_F(PlaceTest, FailedWritesSayFailureNeverSuccess) {
    ASSERT_TRUE(db.exec("drop table jyx_address"));
    Outcome added = store.add("大厅", kDefaultUnitName);
    Outcome removed = store.remove("大厅");
    EXPECT_TRUE(added.failed);
    EXPECT_TRUE(removed.failed);
    ASSERT_EQ(added.messages.size(), 1);
    ASSERT_EQ(removed.messages.size(), 1);
    EXPECT_TRUE(added.messages[0].startsWith(QString::fromUtf8("添加失败!")));
    EXPECT_TRUE(removed.messages[0].startsWith(QString::fromUtf8("删除失败！")));
    EXPECT_TRUE(store.names().empty());
}

} // namespace
