// The password gate when the settings table could not be read at start-up: the main
// copy's 0 in the check is no answer then, and the gate stays shut without a prompt.

#include <gtest/gtest.h>

#include "protection/password_gate.h"
#include "ui/scripted_services.h"

namespace {

struct UnreadGate {
  explicit UnreadGate(bool unreadable) {
    program.services = fake.bundle();
    program.state.settingsUnreadable = unreadable;  // the copy as a failed load left it
  }
  bool Ask() { return PasswordGate(program, GBK("请输入："), "title", "caption", 0); }
  ScriptedServices fake;
  Program program;
};

TEST(UnreadSettingsGate, RefusesWithItsReasonAndAsksNothing) {
  UnreadGate g(true);
  g.fake.inputBox.answers.push_back({true, Text()});  // an empty password would match
  EXPECT_FALSE(g.Ask());
  EXPECT_TRUE(g.fake.inputBox.log.empty());
  ASSERT_EQ(g.fake.messageBox.log.size(), 1u);
  EXPECT_EQ(g.fake.messageBox.log[0].text, GBK("无法读取密码设置文件md5.edb，为安全起见此功能已停用。"));
  EXPECT_EQ(g.fake.messageBox.log[0].flags, 0x10);
  // Every try says so again.
  EXPECT_FALSE(g.Ask());
  EXPECT_EQ(g.fake.messageBox.log.size(), 2u);
}

TEST(UnreadSettingsGate, ReadSettingsWithTheCheckOffStillGrantAtOnce) {
  UnreadGate g(false);
  EXPECT_TRUE(g.Ask());
  EXPECT_TRUE(g.fake.messageBox.log.empty());
}

}  // namespace
