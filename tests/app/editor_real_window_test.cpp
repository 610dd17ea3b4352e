// The editor in the real program under a real X server (Xvfb), as a new user would use
// it: add a favorite, start again, find it on its category, change its address, start
// again, delete it. The mouse and keyboard come from xdotool at the layout's places;
// the favorites table is read through the engine after each run. Skipped when Xvfb,
// xdotool or the program are missing (failed in CI). A stub xdg-open comes first on PATH and every
// proxy points at loopback, so nothing leaves the machine.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "browser/fixture_run_directory.h"
#include "storage/edit_tables_fixture.h"
#include "support/x_window.h"

namespace fs = std::filesystem;
using namespace x_session;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";
constexpr int kWindowLeft = 50, kWindowTop = 50;  // the main window's layout place
constexpr int kPanelLeft = 200, kPanelTop = 192;  // 选择夹1
constexpr int kBoardLeft = 25, kBoardTop = 155;   // 动画框1
constexpr int kBarTop = 107;                      // 动画框_分类

class EditorRealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path program = fs::path(VK_BINARY_DIR) / "run" / "vinkabo";
    X_SESSION_REQUIRE(OnPath("Xvfb") && OnPath("xdotool"), "needs Xvfb and xdotool");
    X_SESSION_REQUIRE(fs::exists(program), "the program is not built: " << program);
    dir_ = std::make_unique<FixtureRunDirectory>("editor_real_window");
    InstallProgram(program, dir_->host());

    WriteSkin(*dir_);
    for (const char* f : {"\\配置图片\\添加收藏1.gif", "\\配置图片\\添加收藏2.gif", "\\配置图片\\添加收藏3.gif"})
      dir_->WriteFile(Utf8ToGbk(f), SolidPicture(80, 30, 0x40));
    std::vector<FavoriteRecord> records = {Favorite("keep", 0, 1)};
    ASSERT_TRUE(dir_->WriteFavorites(records));
    WriteIcons(*dir_, records);
    // The icon the new favorite will name.
    dir_->WriteFile(GBK("\\网站图标\\new.png"), SolidPicture(32, 32, 0x20));
    ASSERT_TRUE(dir_->WriteSettings(Text(), 0, 0));

    display_ = x_.Start();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
  }

  void TearDown() override {
    Kill(app_, SIGKILL);
    dir_.reset();
  }

  std::vector<std::string> Env() const { return LoopbackEnv(display_, dir_->host() + "/bin"); }
  std::vector<std::string> Xdotool(std::vector<std::string> args) const {
    args.insert(args.begin(), "xdotool");
    return OutputLines(args, Env());
  }

  // Starts the program and waits for its main window.
  void Launch() {
    app_ = Spawn({dir_->host() + "/vinkabo"}, Env());
    size_t seen = 0;
    for (int i = 0; i < 800 && main_.empty(); ++i) {  // start-up may wait on the network test
      Pause(50);
      std::vector<std::string> found =
          Xdotool({"search", "--onlyvisible", "--name", std::string("^") + kTitle + "$"});
      seen = found.size();
      if (seen == 1) main_ = found[0];
    }
    int status = 0;
    ASSERT_NE(waitpid(app_, &status, WNOHANG), app_) << "the program ended at start, status " << status;
    ASSERT_FALSE(main_.empty()) << "no single main window: " << seen << " found";
    Pause(500);
  }
  // Windows on show besides the main window (message boxes, the balloon).
  std::vector<std::string> Others() {
    std::vector<std::string> out;
    for (const std::string& w : Xdotool({"search", "--onlyvisible", "--name", "."}))
      if (w != main_) out.push_back(w);
    return out;
  }
  // Waits for a message box, answers it with Return (its default button: OK).
  bool AnswerBox() {
    for (int i = 0; i < 100; ++i) {
      std::vector<std::string> boxes = Others();
      if (!boxes.empty()) {
        Xdotool({"windowactivate", "--sync", boxes.back()});
        Xdotool({"windowfocus", "--sync", boxes.back()});
        Pause(150);
        Xdotool({"key", "--clearmodifiers", "Return"});
        Pause(300);
        return true;
      }
      Pause(50);
    }
    return false;
  }
  // A click at a point of the main window's client area.
  void ClickAt(int x, int y) {
    Xdotool({"mousemove", "--sync", std::to_string(kWindowLeft + x), std::to_string(kWindowTop + y)});
    Pause(150);
    Xdotool({"click", "1"});
    Pause(300);
  }
  // The centre of a page child of 选择夹1 given by its layout rectangle.
  void ClickOnPanel(int left, int top, int width, int height) {
    ClickAt(kPanelLeft + left + width / 2, kPanelTop + top + height / 2);
  }
  void TypeText(const std::string& text) {
    Xdotool({"key", "--clearmodifiers", "ctrl+a"});
    Xdotool({"type", "--delay", "30", text});
    Pause(200);
  }
  // Category button k (1-8) of the bar: WriteSkin gives button k a picture 60 + 7k wide.
  void ClickCategory(int k) {
    int x = 10;
    for (int i = 1; i < k; ++i) x += 60 + 7 * i + 10;
    ClickAt(x + (60 + 7 * k) / 2, kBarTop + 6 + 15);
  }
  // The modify sprite (20 x 16) of tile slot 1.
  void ClickFirstModify() { ClickAt(kBoardLeft + 110 + 10, kBoardTop + 25 + 8); }

  // Waits for the program to end by itself.
  bool Ended() {
    int status = 0;
    for (int i = 0; i < 400; ++i) {
      if (waitpid(app_, &status, WNOHANG) == app_) {
        app_ = -1;
        main_.clear();
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
      }
      Pause(50);
    }
    return false;
  }
  std::vector<edit_fixture::StoredFavorite> Stored() { return edit_fixture::ReadFavoritesIn(dir_->runDirectory()); }

  std::unique_ptr<FixtureRunDirectory> dir_;
  std::string display_, main_;
  XServer x_;
  pid_t app_ = -1;
};

TEST_F(EditorRealWindow, AddRestartFindModifyRestartDelete) {
  // Add: the add button, the three boxes that must be filled, category "第6分类".
  Launch();
  ClickAt(56 + 40, 595 + 15);  // 图形按钮_添加
  ClickOnPanel(69, 48, 161, 16);
  TypeText("newsite");
  ClickOnPanel(69, 153, 273, 16);
  TypeText("\\");  // a backslash, then the rest of the icon path
  Xdotool({"type", "--delay", "30", "new.png"});
  ClickOnPanel(69, 207, 345, 16);
  TypeText("http://127.0.0.1/new");
  ClickOnPanel(312, 36, 96, 20);  // opens the list; the keyboard chooses
  Xdotool({"key", "Escape"});
  Pause(200);
  for (int i = 0; i < 5; ++i) Xdotool({"key", "Down"});
  Pause(200);
  ClickOnPanel(64, 260, 80, 25);  // 确认添加
  ASSERT_TRUE(AnswerBox()) << "no success message";
  ASSERT_TRUE(Ended()) << "the program did not end after the add";
  std::vector<edit_fixture::StoredFavorite> all = Stored();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1].record.siteName, "newsite");
  EXPECT_EQ(all[1].record.iconPath, "\\new.png");
  EXPECT_EQ(all[1].record.address, "http://127.0.0.1/new");
  EXPECT_EQ(all[1].record.category, 4);

  // Restart, find it under category button 6 (category 4), change its address.
  Launch();
  ClickCategory(6);
  ClickFirstModify();
  ClickOnPanel(71, 200, 345, 16);  // 编辑框_修改_网址
  TypeText("http://127.0.0.1/changed");
  ClickOnPanel(32, 252, 80, 30);  // 确认修改
  ASSERT_TRUE(AnswerBox()) << "no message after the save";
  ASSERT_TRUE(Ended()) << "the program did not end after the save";
  all = Stored();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1].record.siteName, "newsite");
  EXPECT_EQ(all[1].record.address, "http://127.0.0.1/changed");

  // Restart, find it again, delete it: the question, then two messages.
  Launch();
  ClickCategory(6);
  ClickFirstModify();
  ClickOnPanel(148, 252, 80, 30);  // 删除
  for (int box = 0; box < 3; ++box) ASSERT_TRUE(AnswerBox()) << "message " << box << " missing";
  ASSERT_TRUE(Ended()) << "the program did not end after the delete";
  all = Stored();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].record.siteName, "keep");
}

}  // namespace
