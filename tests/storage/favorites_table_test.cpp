#include "storage/favorites_table.h"

#include <gtest/gtest.h>

#include "browser/fixture_run_directory.h"
#include "storage/record_file.h"
#include "storage/recording_message_box.h"

namespace {

TEST(LoadFavorites, FillsTheMembersFromFieldsOneToNineInFileOrder) {
  FixtureRunDirectory dir("favorites_members");
  FavoriteRecord first = Favorite("alpha", 3, 1);
  first.siteName = GBK("百度一下");
  first.clickSound = GBK("\\声音\\点击声音\\叮.wav");
  first.description = GBK("搜索");
  FavoriteRecord second = Favorite("beta", 6, 0);
  ASSERT_TRUE(dir.WriteFavorites({first, second}));

  RecordingMessageBox box;
  std::vector<FavoriteRecord> records;
  ASSERT_TRUE(LoadFavorites(records, box));
  EXPECT_TRUE(box.log.empty());
  ASSERT_EQ(records.size(), 2u);
  const FavoriteRecord& r = records[0];
  EXPECT_EQ(r.siteName, GBK("百度一下"));
  EXPECT_EQ(r.iconPath, first.iconPath);
  EXPECT_EQ(r.address, first.address);
  EXPECT_EQ(r.siteAccount, first.siteAccount);
  EXPECT_EQ(r.sitePassword, first.sitePassword);
  // Field 7 is the sound and field 8 the common flag: they must not swap.
  EXPECT_EQ(r.category, 3);
  EXPECT_EQ(r.common, 1);
  EXPECT_EQ(r.clickSound, GBK("\\声音\\点击声音\\叮.wav"));
  EXPECT_EQ(r.description, GBK("搜索"));
  EXPECT_EQ(records[1].siteName, "beta");
  EXPECT_EQ(records[1].category, 6);
  EXPECT_EQ(records[1].common, 0);
  // The table is closed again: it can be opened at once.
  ASSERT_TRUE(OpenRecordFile(FavoritesTablePath()));
  CloseRecordFile(FavoritesTablePath());
}

TEST(LoadFavorites, ReadsRealNumbersMemoTextAndAnEmptyTable) {
  FixtureRunDirectory dir("favorites_reals");
  ASSERT_TRUE(dir.WriteFavorites({Favorite("a", 2, 1)}, kTypeDouble));
  RecordingMessageBox box;
  std::vector<FavoriteRecord> records;
  ASSERT_TRUE(LoadFavorites(records, box));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].category, 2);
  EXPECT_EQ(records[0].common, 1);

  // A description kept as memo text reads like any other text.
  FixtureRunDirectory memo("favorites_memo");
  FavoriteRecord long_one = Favorite("memo", 1, 0);
  long_one.description = Text(3000, 'd') + GBK("完");
  ASSERT_TRUE(memo.WriteFavorites({long_one}, kTypeInt, kTypeMemo));
  records.clear();
  ASSERT_TRUE(LoadFavorites(records, box));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].description, long_one.description);

  FixtureRunDirectory empty("favorites_empty");
  ASSERT_TRUE(empty.WriteFavorites({}));
  records.clear();
  EXPECT_TRUE(LoadFavorites(records, box));
  EXPECT_TRUE(records.empty());
  EXPECT_TRUE(box.log.empty());
}

TEST(LoadFavorites, AMissingTableSaysSoAndLeavesTheListAlone) {
  FixtureRunDirectory dir("favorites_missing");
  RecordingMessageBox box;
  // A list that already holds something shows whether a failed load touches it.
  std::vector<FavoriteRecord> records = {Favorite("held", 2, 1)};
  EXPECT_FALSE(LoadFavorites(records, box));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].siteName, "held");
  EXPECT_EQ(records[0].category, 2);
  ASSERT_EQ(box.log.size(), 1u);
  EXPECT_EQ(box.log[0].text, GBK("打开数据库失败"));
  EXPECT_EQ(box.log[0].flags, 0x10);
  EXPECT_FALSE(box.log[0].captionGiven);

  // A file that is no record file counts as missing.
  dir.WriteFile(GBK("\\数据库.edb"), Bytes(200, 'x'));
  EXPECT_FALSE(LoadFavorites(records, box));
  EXPECT_EQ(box.log.size(), 2u);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].siteName, "held");
}

}  // namespace
