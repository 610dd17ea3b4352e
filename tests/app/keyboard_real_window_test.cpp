// The main window from the keyboard, as a user's hands press real keys (xdotool) on the
// real program under Xvfb, bare and under openbox: find by typing, the arrows, the page
// keys and Ctrl with a digit. What each Return opens reaches the stub browser.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "browser/fixture_run_directory.h"
#include "support/x_window.h"

namespace fs = std::filesystem;
using namespace x_session;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";
const std::string kSite = "http://127.0.0.1:9/";

FavoriteRecord Site(const char* nameUtf8, const std::string& path, int category, int common) {
  FavoriteRecord r = Favorite(Utf8ToGbk(nameUtf8), category, common);
  r.iconPath = GBK("\\网站图标\\") + path + ".png";
  r.address = kSite + path;
  return r;
}

class KeyboardRealWindow : public ::testing::TestWithParam<bool> {
 protected:
  bool UnderWindowManager() const { return GetParam(); }

  void SetUp() override {
    const fs::path program = fs::path(VK_BINARY_DIR) / "run" / "vinkabo";
    X_SESSION_REQUIRE(OnPath("Xvfb") && OnPath("xdotool"), "needs Xvfb and xdotool");
    X_SESSION_REQUIRE(!UnderWindowManager() || OnPath("openbox"), "needs openbox");
    X_SESSION_REQUIRE(fs::exists(program), "the program is not built: " << program);
    dir_ = std::make_unique<FixtureRunDirectory>(UnderWindowManager() ? "keys_wm" : "keys");
    opened_ = fs::path(dir_->host()) / "opened";
    InstallProgram(program, dir_->host(), opened_);
    WriteSkin(*dir_);
    // Two pages of common favorites, two in category 1 (button 3), two Chinese names in
    // category 2 and one with an odd address in category 5.
    std::vector<FavoriteRecord> records;
    for (int i = 1; i <= 40; ++i) {
      const std::string n = "c" + std::to_string(i);
      records.push_back(Site(n.c_str(), n, 0, 1));
    }
    records.push_back(Site("d1", "d1", 1, 0));
    records.push_back(Site("d2", "d2", 1, 0));
    records.push_back(Site("百度", "baidu", 2, 0));
    records.push_back(Site("淘宝网", "taobao", 2, 0));
    records.push_back(Site("Example Site", "some-unusual-path", 5, 0));
    ASSERT_TRUE(dir_->WriteFavorites(records));
    WriteIcons(*dir_, records);
    ASSERT_TRUE(dir_->WriteSettings(Text(), 0, 1));

    display_ = x_.Start();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
    if (UnderWindowManager()) {
      wm_ = StartOpenbox(display_);
      ASSERT_GT(wm_, 0) << "openbox did not start";
    }
  }

  void TearDown() override {
    Kill(app_, SIGKILL);
    Kill(wm_, SIGTERM);
    dir_.reset();
  }

  std::vector<std::string> Env() const { return LoopbackEnv(display_, dir_->host() + "/bin"); }
  std::vector<std::string> Xdotool(std::vector<std::string> args) const { return x_session::Xdotool(args, Env()); }

  void Launch() {
    app_ = Spawn({dir_->host() + "/vinkabo"}, Env());
    main_ = WaitWindow(std::string("^") + kTitle + "$", Env(), 60000);
    ASSERT_FALSE(main_.empty()) << "no main window";
    Pause(700);  // the offline tip and the first page settle
    // The pointer well away from the board: only the keys light tiles here.
    Xdotool({"mousemove", "--sync", "1270", "1010"});
    if (UnderWindowManager()) Xdotool({"windowactivate", "--sync", main_});
    Xdotool({"windowfocus", "--sync", main_});
    Pause(300);
  }

  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> args = {"key", "--delay", "60"};
    args.insert(args.end(), keys.begin(), keys.end());
    Xdotool(args);
    Pause(150);
  }
  void Type(const std::string& text) {
    Xdotool({"type", "--delay", "60", text});
    Pause(150);
  }
  // The next address the stub browser is handed, waited for.
  std::string NextOpened() {
    const std::vector<std::string> lines = WaitLines(opened_, seen_ + 1, 8000);
    if (lines.size() <= seen_) return "(nothing)";
    return lines[seen_++];
  }
  // Read once, without waiting for more.
  size_t OpenedSoFar() { return WaitLines(opened_, SIZE_MAX, 50).size(); }

  std::unique_ptr<FixtureRunDirectory> dir_;
  fs::path opened_;
  std::string display_, main_;
  XServer x_;
  pid_t app_ = -1, wm_ = -1;
  size_t seen_ = 0;
};

TEST_P(KeyboardRealWindow, TypingFindsAndReturnOpens) {
  Launch();
  Type("bd");
  Keys({"Return"});
  EXPECT_EQ(NextOpened(), kSite + "baidu") << "bd";
  Keys({"Escape"});
  Type("baidu");
  Keys({"Return"});
  EXPECT_EQ(NextOpened(), kSite + "baidu") << "baidu";
  Keys({"Escape"});
  Type("tbw");
  Keys({"Return"});
  EXPECT_EQ(NextOpened(), kSite + "taobao") << "tbw";
  Keys({"Escape"});
  Type("unusual-pa");  // part of an address
  Keys({"Return"});
  EXPECT_EQ(NextOpened(), kSite + "some-unusual-path") << "address";
  Keys({"Escape"});
  Type("example");  // a name in category 5, while the common list is shown
  Keys({"Return"});
  EXPECT_EQ(NextOpened(), kSite + "some-unusual-path") << "name";
  Keys({"Escape"});

  // A search that finds nothing opens nothing; Backspace takes it back letter by letter.
  Type("zzqx");
  Keys({"Return", "Down", "Return"});
  Pause(600);
  EXPECT_EQ(OpenedSoFar(), seen_) << "a search that found nothing opened something";
  Keys({"BackSpace", "BackSpace", "BackSpace", "BackSpace"});
  // The board is the common list again: its first tile.
  Keys({"Down", "Return"});
  EXPECT_EQ(NextOpened(), kSite + "c1") << "after the last Backspace";
}

TEST_P(KeyboardRealWindow, EscapeGivesBackTheCategoryAndPage) {
  Launch();
  Keys({"ctrl+3"});
  Keys({"Down", "Down"});  // lights d1 (there is no second row)
  Type("c2");
  Keys({"Escape"});
  Keys({"Right", "Right", "Return"});
  EXPECT_EQ(NextOpened(), kSite + "d2") << "category 1 is back";
  Keys({"ctrl+1", "Next"});
  Type("taob");
  Keys({"Escape", "Right", "Return"});
  EXPECT_EQ(NextOpened(), kSite + "c31") << "page 2 of the common list is back";
}

TEST_P(KeyboardRealWindow, ArrowsPagesAndCategoriesOpenTheExpectedTile) {
  Launch();
  Keys({"Right", "Right", "Return"});
  EXPECT_EQ(NextOpened(), kSite + "c2") << "Right Right Return";
  Keys({"ctrl+1", "Down", "Return"});
  EXPECT_EQ(NextOpened(), kSite + "c1") << "Down Return";
  Keys({"ctrl+1", "Next", "Return"});
  EXPECT_EQ(NextOpened(), kSite + "c31") << "Page Down Return";
  Keys({"ctrl+3", "Right", "Return"});
  EXPECT_EQ(NextOpened(), kSite + "d1") << "Ctrl+3 Right Return";
  Keys({"ctrl+1", "End", "Right", "Right", "Down", "Return"});
  EXPECT_EQ(NextOpened(), kSite + "c39") << "End Right Right Down Return";
  Keys({"Prior", "Up", "Left", "Return"});
  EXPECT_EQ(NextOpened(), kSite + "c1") << "Page Up lights the first tile";
}

INSTANTIATE_TEST_SUITE_P(BareAndManaged, KeyboardRealWindow, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("UnderOpenbox") : std::string("BareXvfb");
                         });

}  // namespace
