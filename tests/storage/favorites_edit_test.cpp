#include <gtest/gtest.h>

#include "platform/locked_file.h"
#include "storage/edit_tables_fixture.h"
#include "storage/favorites_edit.h"
#include "storage/record_file.h"

namespace {

using namespace edit_fixture;

class FavoritesEdit : public ::testing::Test {
 protected:
  Text TablePath() const { return dir.Path("\\数据库.edb"); }
  std::string TableBytes() const { return FileBytes(dir.HostOf("\\数据库.edb")); }
  FixtureRunDir dir;
};

TEST_F(FavoritesEdit, AddAppendsTheNineValuesInFieldOrderAsTheLastRecord) {
  ASSERT_TRUE(CreateFavoritesTable(dir, {Favorite("one"), Favorite("two")}));
  const std::int32_t nextId = NextRecordId(TablePath());
  FavoriteRecord added = Favorite("新站", 6, 1);
  added.clickSound = GBK("\\声音\\点击声音\\b.wav");
  bool stillOpenWhenReported = false;
  FavoriteEditResult r = AddFavorite(added, [&](const FavoriteEditResult& seen) {
    EXPECT_EQ(seen.outcome, FavoriteEditOutcome::kDone);
    stillOpenWhenReported = !OpenRecordFile(TablePath()) && RecordFileLastError() == -38;
  });
  EXPECT_EQ(r.outcome, FavoriteEditOutcome::kDone);
  EXPECT_TRUE(stillOpenWhenReported);
  EXPECT_FALSE(HasCurrentRecordFile());

  std::vector<StoredFavorite> all = ReadFavorites(dir);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_TRUE(SameFavorite(all[2].record, added));
  EXPECT_EQ(all[2].id, nextId);
  EXPECT_EQ(NextRecordId(TablePath()), nextId + 1);
  EXPECT_EQ(all[0].record.siteName, "one");
}

TEST_F(FavoritesEdit, AValueThatDoesNotFitAddsNothingAtAll) {
  // Field 6 is a text here, so the integer category cannot be stored.
  ASSERT_TRUE(CreateFavoritesTable(dir, {Favorite("one")}, /*categoryAsText=*/true));
  const std::int32_t nextId = NextRecordId(TablePath());
  const std::string before = TableBytes();
  FavoriteEditResult r = AddFavorite(Favorite("two"));
  EXPECT_EQ(r.outcome, FavoriteEditOutcome::kAppendFailed);
  EXPECT_EQ(r.errorText, RecordFileErrorTextOf(-72));
  std::vector<StoredFavorite> all = ReadFavorites(dir);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].record.siteName, "one");
  // The values are checked before anything is written: not even an id is spent.
  EXPECT_EQ(NextRecordId(TablePath()), nextId);
  EXPECT_EQ(TableBytes(), before);
  EXPECT_FALSE(HasCurrentRecordFile());
}

TEST_F(FavoritesEdit, TheKeyComparesByteForByte) {
  ASSERT_TRUE(CreateFavoritesTable(dir, {Favorite("Site")}));
  const std::string before = TableBytes();
  EXPECT_EQ(ModifyFavorite(Text("site"), Favorite("x")).outcome, FavoriteEditOutcome::kNotFound);
  EXPECT_EQ(ModifyFavorite(Text("Site "), Favorite("x")).outcome, FavoriteEditOutcome::kNotFound);
  EXPECT_EQ(TableBytes(), before);
  EXPECT_FALSE(HasCurrentRecordFile());
}

TEST_F(FavoritesEdit, DeleteAsksAfterOpeningAndCancelKeepsTheFile) {
  ASSERT_TRUE(CreateFavoritesTable(dir, {Favorite("a"), Favorite("b")}));
  const std::string before = TableBytes();
  int asked = 0;
  FavoriteEditResult r = DeleteFavorite(Text("b"), [&] {
    ++asked;
    EXPECT_TRUE(HasCurrentRecordFile());
    return false;
  });
  EXPECT_EQ(r.outcome, FavoriteEditOutcome::kCancelled);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(TableBytes(), before);
  EXPECT_FALSE(HasCurrentRecordFile());
  // The question comes before the search: a key that names nothing is still asked about.
  EXPECT_EQ(DeleteFavorite(Text("none"), [&] { return ++asked, true; }).outcome, FavoriteEditOutcome::kNotFound);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(TableBytes(), before);
}

TEST_F(FavoritesEdit, DeleteRemovesOnlyTheFirstRecordWithTheKeyAndCompacts) {
  FavoriteRecord later = Favorite("dup", 3);
  ASSERT_TRUE(CreateFavoritesTable(dir, {Favorite("x"), Favorite("dup", 1), later}));
  const std::int32_t nextId = NextRecordId(TablePath());
  std::vector<StoredFavorite> before = ReadFavorites(dir);
  EXPECT_EQ(DeleteFavorite(Text("dup"), [] { return true; }).outcome, FavoriteEditOutcome::kDone);
  std::vector<StoredFavorite> all = ReadFavorites(dir);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].id, before[0].id);
  EXPECT_EQ(all[1].id, before[2].id);
  EXPECT_TRUE(SameFavorite(all[1].record, later));
  EXPECT_EQ(NextRecordId(TablePath()), nextId);
}

TEST_F(FavoritesEdit, DeletingTheOnlyRecordLeavesAnEmptyTable) {
  ASSERT_TRUE(CreateFavoritesTable(dir, {Favorite("only")}));
  const std::int32_t nextId = NextRecordId(TablePath());
  EXPECT_EQ(DeleteFavorite(Text("only"), [] { return true; }).outcome, FavoriteEditOutcome::kDone);
  EXPECT_TRUE(ReadFavorites(dir).empty());
  EXPECT_EQ(NextRecordId(TablePath()), nextId);
}

TEST_F(FavoritesEdit, ADeleteWhosePurgeFailsChangesNothing) {
  ASSERT_TRUE(CreateFavoritesTable(dir, {Favorite("a"), Favorite("b"), Favorite("c")}));
  const std::string before = TableBytes();
  {
    // While the question is asked, another program takes a byte of the last record:
    // the purge cannot lock the whole file.
    int error = 0;
    std::unique_ptr<LockedFile> other = SystemFileSystem().OpenExisting(dir.HostOf("\\数据库.edb"), &error);
    ASSERT_TRUE(other) << error;
    RecordFileDescription d;
    ASSERT_TRUE(OpenRecordFile(TablePath()) && DescribeRecordFile(&d));
    CloseRecordFile(TablePath());
    FavoriteEditResult r = DeleteFavorite(Text("b"), [&] {
      return other->Lock(d.dataStart + 2 * d.recordLength, 1) == kFileOk;
    });
    EXPECT_EQ(r.outcome, FavoriteEditOutcome::kDeleteFailed);
    EXPECT_EQ(r.errorText, RecordFileErrorTextOf(-13));
    EXPECT_TRUE(TableBytes() == before) << "the failed delete changed the file";
  }
  // The favorite the user was told is still there stays there after the next delete.
  EXPECT_EQ(DeleteFavorite(Text("c"), [] { return true; }).outcome, FavoriteEditOutcome::kDone);
  std::vector<StoredFavorite> all = ReadFavorites(dir);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].record.siteName, Text("a"));
  EXPECT_EQ(all[1].record.siteName, Text("b"));
  EXPECT_GT(all[1].id, 0);
}

}  // namespace
