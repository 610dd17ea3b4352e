// Start-up while the connectivity test still waits on the network: the window is whole
// and usable at once, and the web box or the offline tip comes when the test ends, from
// where the window is then. A window backend that holds the work run aside plays the
// slow network; the test lets it end.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/headless_program.h"
#include "browser/fixture_run_directory.h"
#include "ui/balloon_tip.h"

namespace {

class HoldingBackend : public ScriptedWindowBackend {
 public:
  void RunAside(std::function<int()> work, std::function<void(int)> done) override {
    held.emplace_back(std::move(work), std::move(done));
  }
  // The oldest held work ends now.
  void EndOne() {
    auto [work, done] = std::move(held.front());
    held.erase(held.begin());
    done(work());
  }
  std::vector<std::pair<std::function<int()>, std::function<void(int)>>> held;
};

struct SlowStart {
  explicit SlowStart(const std::string& name) : dir(name), run(dir.runDirectory()) {
    WriteSkin(dir);
    records = {Favorite(Text("alpha"), 0, 1), Favorite(Text("beta"), 0, 1)};
    EXPECT_TRUE(dir.WriteFavorites(records));
    EXPECT_TRUE(dir.WriteSettings(Text(), 0, 0));
    run.program.windows = &windows;
  }
  MainWindow& w() { return run.main(); }
  BalloonTipModel& tip() { return w().气球提示框1.model; }
  BalloonView TipShown() { return BalloonTick(tip(), tip().showAtMs); }

  FixtureRunDirectory dir;
  HeadlessProgram run;
  HoldingBackend windows;
  std::vector<FavoriteRecord> records;
};

TEST(SlowNetworkStartUp, TheWindowIsWholeWhileTheTestWaitsAndTheOfflineTipComesWhenItEnds) {
  SlowStart s("slow_offline");
  s.run.fake.network.online = 0;
  s.run.Start();
  // The test has not run yet, but everything else of the start-up has.
  ASSERT_EQ(s.windows.held.size(), 1u);
  EXPECT_EQ(s.run.fake.network.calls, 0);
  EXPECT_EQ(s.run.program.state.tiles.size(), 2u) << "page 1 waits for the network";
  EXPECT_FALSE(s.w().超文本浏览框1.visible());
  EXPECT_EQ(s.tip().phase, BalloonTipModel::kIdle) << "a tip before the test said anything";

  // The user moves the window meanwhile; the tip comes where the window now is.
  s.w().UserMoved(300, 200);
  s.windows.EndOne();
  EXPECT_EQ(s.run.fake.network.calls, 1);
  EXPECT_EQ(BalloonSetting(s.tip(), kBalloonDisplayTime), 2500);
  const BalloonView tip = s.TipShown();
  EXPECT_TRUE(tip.visible);
  EXPECT_EQ(tip.text, GBK("阿哦,你好像断网了!!!"));
  EXPECT_EQ(tip.layout.tipX, 300 + 200);
  EXPECT_EQ(tip.layout.tipY, 200 + 40);
  EXPECT_FALSE(s.w().超文本浏览框1.visible());
}

TEST(SlowNetworkStartUp, OnlineTheAdvertWaitsForTheTestOfItsPageLoad) {
  SlowStart s("slow_online");
  s.run.fake.network.online = 1;
  s.run.Start();
  s.windows.EndOne();
  EXPECT_EQ(s.tip().phase, BalloonTipModel::kIdle) << "online: no offline tip";
  s.w().超文本浏览框1.PageLoaded();
  ASSERT_EQ(s.windows.held.size(), 1u);
  EXPECT_FALSE(s.w().超文本浏览框1.visible()) << "shown before the test said online";
  s.windows.EndOne();
  EXPECT_TRUE(s.w().超文本浏览框1.visible());
  const BalloonView tip = s.TipShown();
  EXPECT_EQ(tip.text, GBK("如果觉得软件好使,请点击广告给力作者!!谢谢"));
  EXPECT_EQ(tip.layout.tipX, s.w().left() + 280);
}

TEST(SlowNetworkStartUp, ATestThatEndsAfterTheWindowHasGoneChangesNothing) {
  SlowStart s("slow_closed");
  s.run.fake.network.online = 0;
  s.run.Start();
  ASSERT_EQ(s.windows.held.size(), 1u);
  s.w().Destroy();
  s.windows.EndOne();
  EXPECT_EQ(s.tip().phase, BalloonTipModel::kIdle);
}

}  // namespace
