#include "storage/settings_table.h"

#include <gtest/gtest.h>

#include "browser/fixture_run_directory.h"
#include "storage/record_file.h"
#include "storage/recording_message_box.h"

namespace {

using Row = FixtureRunDirectory::SettingsRow;

ProtectionSettings Loaded(bool expectLoaded = true) {
  RecordingMessageBox box;
  ProtectionSettings copy;
  EXPECT_EQ(LoadProtectionSettings(copy, box), expectLoaded);
  EXPECT_EQ(box.log.empty(), expectLoaded);
  return copy;
}

TEST(LoadProtectionSettings, TheLastRecordWins) {
  FixtureRunDirectory dir("settings_two");
  ASSERT_TRUE(dir.WriteSettings({{GBK("第一"), FieldValue(1), FieldValue(1)},
                                 {"second", FieldValue(0), FieldValue(2)}}));
  ProtectionSettings copy = Loaded();
  EXPECT_EQ(copy.password, "second");
  EXPECT_EQ(copy.passwordCheck, 0);
  EXPECT_EQ(copy.soundOn, 2);
  ASSERT_TRUE(OpenRecordFile(SettingsTablePath()));  // closed again
  CloseRecordFile(SettingsTablePath());
}

TEST(LoadProtectionSettings, NoRecordLeavesTheCopyAsItWas) {
  FixtureRunDirectory dir("settings_none");
  ASSERT_TRUE(dir.WriteSettings(std::vector<Row>{}));
  RecordingMessageBox box;
  ProtectionSettings copy{"kept", 7, 1};
  EXPECT_TRUE(LoadProtectionSettings(copy, box));
  EXPECT_EQ(copy.password, "kept");
  EXPECT_EQ(copy.passwordCheck, 7);
  EXPECT_EQ(copy.soundOn, 1);
  EXPECT_TRUE(box.log.empty());
}

TEST(LoadProtectionSettings, AnyNumericTypeGivesTheSameSwitches) {
  struct Case {
    std::int32_t type;
    FieldValue check, sound;
    int wantCheck, wantSound;
  };
  const Case cases[] = {
      {kTypeByte, FieldValue::Byte(1), FieldValue::Byte(1), 1, 1},
      {kTypeShort, FieldValue::Short(-2), FieldValue::Short(1), -2, 1},
      {kTypeLong, FieldValue::Long((std::int64_t{5} << 32) | 1), FieldValue::Long(1), 1, 1},
      {kTypeFloat, FieldValue::Float(1.9f), FieldValue::Float(-0.7f), 1, 0},
      {kTypeDouble, FieldValue::Double(2.99), FieldValue::Double(1.5), 2, 1},
  };
  for (const Case& c : cases) {
    FixtureRunDirectory dir("settings_type" + std::to_string(c.type));
    ASSERT_TRUE(dir.WriteSettings({{"pw", c.check, c.sound}}, c.type)) << c.type;
    ProtectionSettings copy = Loaded();
    EXPECT_EQ(copy.password, "pw");
    EXPECT_EQ(copy.passwordCheck, c.wantCheck) << "type " << c.type;
    EXPECT_EQ(copy.soundOn, c.wantSound) << "type " << c.type;
  }
}

TEST(LoadProtectionSettings, AMissingTableIsReportedAndKeepsTheInitialValues) {
  FixtureRunDirectory dir("settings_missing");
  RecordingMessageBox box;
  // Values other than the defaults show whether a failed load touches the copy.
  ProtectionSettings copy{"before", 3, 1};
  EXPECT_FALSE(LoadProtectionSettings(copy, box));
  EXPECT_EQ(copy.password, "before");
  EXPECT_EQ(copy.passwordCheck, 3);
  EXPECT_EQ(copy.soundOn, 1);
  ASSERT_EQ(box.log.size(), 1u);
  EXPECT_EQ(box.log[0].text, GBK("获取验证密码失败!"));
  EXPECT_EQ(box.log[0].flags, 0x10);
  EXPECT_FALSE(box.log[0].captionGiven);
}

TEST(LoadProtectionSettings, ATableAlreadyOpenCannotBeLoaded) {
  FixtureRunDirectory dir("settings_open");
  ASSERT_TRUE(dir.WriteSettings("pw", 1, 1));
  ASSERT_TRUE(OpenRecordFile(SettingsTablePath()));
  Loaded(false);
  CloseRecordFile(SettingsTablePath());
  EXPECT_EQ(Loaded().password, "pw");
}

}  // namespace
