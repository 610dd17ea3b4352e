#include "protection/password_gate.h"

#include <gtest/gtest.h>

#include "protection/password.h"
#include "ui/scripted_services.h"

namespace {

TEST(VerifyPassword, ComparesByteForByte) {
  EXPECT_TRUE(VerifyPassword("Secret", "Secret"));
  EXPECT_TRUE(VerifyPassword("", ""));
  EXPECT_TRUE(VerifyPassword(GBK("密码"), GBK("密码")));
  EXPECT_FALSE(VerifyPassword("secret", "Secret"));
  EXPECT_FALSE(VerifyPassword("Secret ", "Secret"));
  EXPECT_FALSE(VerifyPassword(" Secret", "Secret"));
  EXPECT_FALSE(VerifyPassword("", "Secret"));
  EXPECT_FALSE(VerifyPassword("Secret", ""));
  // The same letters in another code page are other bytes.
  EXPECT_FALSE(VerifyPassword("\xE5\xAF\x86\xE7\xA0\x81", GBK("密码")));
}

struct Gate {
  Gate(const Text& password, int check) {
    program.services = fake.bundle();
    program.state.protection = {password, check, 0};
  }
  bool Ask() { return PasswordGate(program, GBK("请输入："), "title", "caption", 0x30); }
  ScriptedServices fake;
  Program program;
};

TEST(PasswordGate, CheckOffGrantsWithoutAsking) {
  Gate g("pw", 0);
  EXPECT_TRUE(g.Ask());
  EXPECT_TRUE(g.fake.inputBox.log.empty());
  EXPECT_TRUE(g.fake.messageBox.log.empty());
}

TEST(PasswordGate, AnyOtherCheckValueAsksInPasswordMode) {
  for (int check : {1, 2, -1}) {
    Gate g("pw", check);
    g.fake.inputBox.answers.push_back({true, "pw"});
    EXPECT_TRUE(g.Ask()) << check;
    ASSERT_EQ(g.fake.inputBox.log.size(), 1u);
    EXPECT_TRUE(g.fake.inputBox.log[0].masked);
    EXPECT_EQ(g.fake.inputBox.log[0].prompt, GBK("请输入："));
    EXPECT_EQ(g.fake.inputBox.log[0].title, "title");
    EXPECT_EQ(g.fake.inputBox.log[0].initial, "");
    EXPECT_TRUE(g.fake.messageBox.log.empty());
  }
}

TEST(PasswordGate, AWrongPasswordIsRefusedWithTheCallersCaptionAndFlags) {
  Gate g("pw", 1);
  g.fake.inputBox.answers.push_back({true, "PW"});
  EXPECT_FALSE(g.Ask());
  ASSERT_EQ(g.fake.messageBox.log.size(), 1u);
  EXPECT_EQ(g.fake.messageBox.log[0].text, GBK("密码错误"));
  EXPECT_EQ(g.fake.messageBox.log[0].caption, "caption");
  EXPECT_EQ(g.fake.messageBox.log[0].flags, 0x30);
}

TEST(PasswordGate, CancelRefusesSilentlyEvenWithTheRightTextTyped) {
  Gate g("pw", 1);
  g.fake.inputBox.answers.push_back({false, "pw"});
  EXPECT_FALSE(g.Ask());
  EXPECT_TRUE(g.fake.messageBox.log.empty());
}

TEST(PasswordGate, AnEmptyEntryOpensOnlyAnEmptyPassword) {
  Gate empty("", 1);
  empty.fake.inputBox.answers.push_back({true, ""});
  EXPECT_TRUE(empty.Ask());
  Gate set("pw", 1);
  set.fake.inputBox.answers.push_back({true, ""});
  EXPECT_FALSE(set.Ask());
}

}  // namespace
