// The scripted services other tests lean on: queues answered in order, empty queues
// answering like a user who closes the box, and everything logged as shown.

#include <gtest/gtest.h>

#include "ui/dialogs.h"
#include "ui/scripted_services.h"

namespace {

TEST(ScriptedServicesTest, MessageBoxesAnswerInOrderAndLogWhatWasShown) {
  ScriptedServices fake;
  Services s = fake.bundle();
  fake.messageBox.answers = {kMbCancel, kMbYes};
  const Text caption = GBK("请再次确认");
  EXPECT_EQ(MessageBox(s, GBK("a"), 0x31), kMbCancel);
  EXPECT_EQ(MessageBox(s, GBK("b"), 0x10, caption), kMbYes);
  EXPECT_EQ(MessageBox(s, GBK("c"), 0), kMbOk) << "an empty queue answers OK";
  ASSERT_EQ(fake.messageBox.log.size(), 3u);
  EXPECT_EQ(fake.messageBox.log[0].flags, 0x31);
  EXPECT_FALSE(fake.messageBox.log[0].captionGiven);
  EXPECT_EQ(fake.messageBox.log[0].caption, GBK("信息："));
  EXPECT_TRUE(fake.messageBox.log[1].captionGiven);
  EXPECT_EQ(fake.messageBox.log[1].caption, caption);
  EXPECT_EQ(fake.messageBox.log[2].text, GBK("c"));
}

TEST(ScriptedServicesTest, InputBoxesConfirmOrCancelAndLogTheirLook) {
  ScriptedServices fake;
  Services s = fake.bundle();
  const Text prompt = GBK("请输入密码");
  Text target = GBK("keep");
  fake.inputBox.answers = {{false, "x"}, {true, "typed"}};
  EXPECT_FALSE(InputBox(s, &prompt, nullptr, {}, target, 4));
  EXPECT_EQ(target, "keep");
  EXPECT_TRUE(InputBox(s, nullptr, nullptr, GBK("init"), target, 0));
  EXPECT_EQ(target, "typed");
  EXPECT_FALSE(InputBox(s, nullptr, nullptr, {}, target)) << "an empty queue cancels";
  EXPECT_EQ(target, "typed");
  ASSERT_EQ(fake.inputBox.log.size(), 3u);
  EXPECT_TRUE(fake.inputBox.log[0].promptGiven);
  EXPECT_EQ(fake.inputBox.log[0].prompt, prompt);
  EXPECT_EQ(fake.inputBox.log[0].title, GBK("请输入："));
  EXPECT_TRUE(fake.inputBox.log[0].masked);
  EXPECT_EQ(fake.inputBox.log[1].initial, GBK("init"));
  EXPECT_EQ(fake.inputBox.log[1].inputMode, 1) << "clamped before it reaches the box";
  EXPECT_FALSE(fake.inputBox.log[1].masked);
}

TEST(ScriptedServicesTest, SoundsShellNetworkPointerAndClockAreScripted) {
  ScriptedServices fake;
  Services s = fake.bundle();
  EXPECT_TRUE(s.sound->PlayFile(GBK("C:\\run\\声音\\翻页.wav")));
  fake.sound.result = false;
  EXPECT_FALSE(s.sound->PlayBytes({1, 2, 3}));
  ASSERT_EQ(fake.sound.played.size(), 2u);
  EXPECT_TRUE(fake.sound.played[0].fromFile);
  EXPECT_EQ(fake.sound.played[0].path, GBK("C:\\run\\声音\\翻页.wav"));
  EXPECT_EQ(fake.sound.played[1].data, (Bytes{1, 2, 3}));
  s.shell->OpenAddress("http://a/");
  EXPECT_EQ(fake.shell.opened, (std::vector<Text>{"http://a/"}));
  fake.network.online = 1;
  EXPECT_EQ(s.network->ConnectivityTest(), 1);
  EXPECT_EQ(fake.network.calls, 1);
  fake.pointer.x = 300;
  fake.pointer.y = 200;
  EXPECT_EQ(s.pointer->PointerX(), 300);
  EXPECT_EQ(s.pointer->PointerY(), 200);
  const auto t0 = s.clock->NowMs();
  fake.clock.Advance(2500);
  EXPECT_EQ(s.clock->NowMs() - t0, 2500);
}

}  // namespace
