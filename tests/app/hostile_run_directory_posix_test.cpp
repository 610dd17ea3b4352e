// A run directory with planted files, started headless: a FIFO or a 64 GiB sparse file
// under the background picture's name, a FIFO as the settings table, and favorites whose
// icon and click sound climb out of the run directory. Start-up must finish at once,
// the planted files give nothing, and nothing from outside is shown or played.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "app/headless_program.h"
#include "browser/fixture_run_directory.h"
#include "protection/settings_window.h"

namespace {

using namespace std::chrono_literals;

struct HostileRun {
  explicit HostileRun(const std::string& name) : dir(name), run(dir.runDirectory()) {
    WriteSkin(dir);
    SettingsWindowCopy() = ProtectionSettings();
  }
  std::string Host(const char* utf8Relative) { return dir.host() + utf8Relative; }

  // Runs the start-up, giving it `limit`; a start that hangs on a FIFO is released by
  // opening the FIFO's other end, and fails the test.
  void StartWithin(std::chrono::seconds limit, const std::string& fifo) {
    auto started = std::async(std::launch::async, [this] { run.Start(); });
    if (started.wait_for(limit) == std::future_status::ready) return started.get();
    int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) close(fd);
    started.wait();
    FAIL() << "start-up waited on " << fifo;
  }

  FixtureRunDirectory dir;
  HeadlessProgram run;
};

TEST(HostileRunDirectory, AFifoAsTheBackgroundDoesNotHoldTheStart) {
  HostileRun t("hostile_fifo");
  ASSERT_TRUE(t.dir.WriteFavorites({Favorite("a", 0, 1)}));
  WriteIcons(t.dir, {Favorite("a", 0, 1)});
  ASSERT_TRUE(t.dir.WriteSettings(Text("pw"), 0, 0));
  const std::string fifo = t.Host("/配置图片/背景.JPG");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  t.StartWithin(10s, fifo);
  EXPECT_TRUE(t.run.main().backgroundPicture().empty());
  // The rest of the start ran: page 1 of the first list is on the board.
  EXPECT_EQ(t.run.program.state.tiles.size(), 1u);
  EXPECT_TRUE(t.run.messages().empty());
}

TEST(HostileRunDirectory, AHugeSparseBackgroundIsNotRead) {
  HostileRun t("hostile_sparse");
  ASSERT_TRUE(t.dir.WriteFavorites({Favorite("a", 0, 1)}));
  ASSERT_TRUE(t.dir.WriteSettings(Text("pw"), 0, 0));
  t.dir.WriteFile(GBK("\\配置图片\\背景.JPG"), SolidPicture(8, 8));
  std::error_code ec;
  std::filesystem::resize_file(t.Host("/配置图片/背景.JPG"), std::uintmax_t{64} << 30, ec);
  if (ec) GTEST_SKIP() << "this file system cannot hold a 64 GiB sparse file: " << ec.message();
  t.run.Start();  // an attempt to read it whole ends the test process
  EXPECT_TRUE(t.run.main().backgroundPicture().empty());
  EXPECT_EQ(t.run.program.state.tiles.size(), 1u);
}

TEST(HostileRunDirectory, AFifoAsTheSettingsTableIsAnUnreadableTable) {
  HostileRun t("hostile_fifo_table");
  ASSERT_TRUE(t.dir.WriteFavorites({Favorite("a", 0, 1)}));
  const std::string fifo = t.Host("/md5.edb");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  t.StartWithin(10s, fifo);
  ASSERT_EQ(t.run.messages().size(), 1u);
  EXPECT_EQ(t.run.messages()[0].text, GBK("获取验证密码失败!"));
  EXPECT_TRUE(t.run.program.state.settingsUnreadable);
}

TEST(HostileRunDirectory, IconsAndSoundsFromOutsideTheRunDirectoryGiveNothing) {
  HostileRun t("hostile_climb");
  // A picture and a sound beside the run directory, where `..` leads.
  const std::string outside = t.dir.host() + "_outside";
  std::filesystem::create_directories(outside);
  struct Cleanup {
    std::string dir;
    ~Cleanup() {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    }
  } cleanup{outside};
  const Text up = "\\..\\" + ProgramPath(std::filesystem::path(outside).filename().string());
  t.dir.WriteFile(up + "\\x.png", SolidPicture(32, 32));  // lands beside the run directory
  ASSERT_TRUE(std::filesystem::exists(outside + "/x.png"));

  FavoriteRecord climbsIcon = Favorite("a", 0, 1);
  climbsIcon.iconPath = up + "\\x.png";
  FavoriteRecord climbsSound = Favorite("b", 0, 1);
  climbsSound.clickSound = up + "\\x.wav";
  FavoriteRecord plain = Favorite("c", 0, 1);
  FavoriteRecord noLeadingSeparator = Favorite("d", 0, 1);
  // Glued to the run directory's own name, this would name a sibling folder.
  noLeadingSeparator.iconPath = "_outside\\x.png";
  WriteIcons(t.dir, {climbsSound, plain});
  ASSERT_TRUE(t.dir.WriteFavorites({climbsIcon, climbsSound, plain, noLeadingSeparator}));
  ASSERT_TRUE(t.dir.WriteSettings(Text("pw"), 0, 1));
  t.run.Start();

  AppState& s = t.run.program.state;
  ASSERT_EQ(s.tiles.size(), 4u);
  SpriteBoardModel& board = t.run.main().动画框1.model;
  EXPECT_EQ(board.Find(s.tiles[0].iconSprite)->picture.width, 0);
  EXPECT_GT(board.Find(s.tiles[1].iconSprite)->picture.width, 0);
  EXPECT_EQ(board.Find(s.tiles[3].iconSprite)->picture.width, 0);

  // Opening b: the site opens, its climbing sound does not play; c's plays.
  ASSERT_TRUE(UserPressSprite(t.run.main(), "动画框1", s.tiles[1].iconSprite));
  ASSERT_TRUE(UserPressSprite(t.run.main(), "动画框1", s.tiles[2].iconSprite));
  EXPECT_EQ(t.run.fake.shell.opened.size(), 2u);
  std::vector<Text> played;
  for (const auto& p : t.run.fake.sound.played) played.push_back(p.path);
  EXPECT_EQ(std::count(played.begin(), played.end(), t.dir.runDirectory() + climbsSound.clickSound), 0);
  EXPECT_EQ(std::count(played.begin(), played.end(), t.dir.runDirectory() + plain.clickSound), 1);

  // Leaving a's icon puts its own picture back: still nothing from outside.
  t.run.program.state.hoveredTile = 1;
  ASSERT_TRUE(board.events.pointerLeft);
  board.events.pointerLeft(s.tiles[0].iconSprite, 0);
  EXPECT_EQ(board.Find(s.tiles[0].iconSprite)->picture.width, 0);
}

}  // namespace
