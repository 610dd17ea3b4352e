#include <gtest/gtest.h>

#include "storage/edit_tables_fixture.h"
#include "storage/record_file.h"
#include "storage/settings_save.h"

namespace {

using namespace edit_fixture;

class SettingsSave : public ::testing::Test {
 protected:
  FixtureRunDir dir;
};

TEST_F(SettingsSave, RewritesTheThreeFieldsOfTheFirstRecordOnly) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"old", 1, 0, 77}, {"second", 0, 1, 88}}));
  bool openWhenReported = false;
  SettingsSaveResult r = SaveSettings(Text(" new pw "), 0, 1, [&](const SettingsSaveResult& seen) {
    EXPECT_TRUE(seen.saved);
    openWhenReported = HasCurrentRecordFile();
  });
  EXPECT_TRUE(r.saved);
  EXPECT_TRUE(openWhenReported);
  EXPECT_FALSE(HasCurrentRecordFile());
  std::vector<StoredSettings> all = ReadSettings(dir);
  ASSERT_EQ(all.size(), 2u);
  // Blanks are part of the password.
  EXPECT_EQ(all[0].password, " new pw ");
  EXPECT_EQ(all[0].passwordCheck, 0);
  EXPECT_EQ(all[0].soundOn, 1);
  EXPECT_EQ(all[0].extra, 77);
  EXPECT_EQ(all[1].password, "second");
  EXPECT_EQ(all[1].extra, 88);
}

TEST_F(SettingsSave, AMissingTableIsAFailureAndStaysMissing) {
  Text seenError;
  SettingsSaveResult r = SaveSettings(Text("x"), 1, 1, [&](const SettingsSaveResult& seen) { seenError = seen.errorText; });
  EXPECT_FALSE(r.saved);
  EXPECT_EQ(r.errorText, RecordFileErrorTextOf(-3));
  EXPECT_EQ(seenError, r.errorText);
  EXPECT_FALSE(std::filesystem::exists(dir.HostOf("\\md5.edb")));
}

TEST_F(SettingsSave, ATableWithoutRecordIsAFailureAndStaysEmpty) {
  ASSERT_TRUE(CreateSettingsTable(dir, {}));
  const std::string before = FileBytes(dir.HostOf("\\md5.edb"));
  SettingsSaveResult r = SaveSettings(Text("x"), 1, 1);
  EXPECT_FALSE(r.saved);
  EXPECT_FALSE(r.errorText.empty());
  EXPECT_EQ(FileBytes(dir.HostOf("\\md5.edb")), before);
  EXPECT_FALSE(HasCurrentRecordFile());
}

TEST_F(SettingsSave, DoesNotWriteIntoAnotherOpenFile) {
  // The favorites table is current and the settings table is missing: nothing may land
  // in the favorites table.
  ASSERT_TRUE(CreateFavoritesTable(dir, {Favorite("a")}));
  const Text favorites = dir.Path("\\数据库.edb");
  ASSERT_TRUE(OpenRecordFile(favorites));
  const std::string before = FileBytes(dir.HostOf("\\数据库.edb"));
  EXPECT_FALSE(SaveSettings(Text("zzz"), 1, 1).saved);
  EXPECT_TRUE(HasCurrentRecordFile());
  CloseRecordFile(favorites);
  EXPECT_EQ(FileBytes(dir.HostOf("\\数据库.edb")), before);
}

}  // namespace
