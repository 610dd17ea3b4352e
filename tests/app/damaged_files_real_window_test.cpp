// The real program under a real X server (Xvfb) on run directories full of damaged
// files, made here: pictures that declare huge chunks, sizes or entries, pictures cut
// short, pictures without their end marker, sounds with malformed blocks, and a
// favorites table cut inside its header. Each time the program must start, answer
// what it says about the damage, show what it can, and still answer the user's
// clicks (xdotool, as a user's hands). Skipped without Xvfb, xdotool or the program.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "browser/fixture_run_directory.h"
#include "support/encode_pictures.h"
#include "support/png_chunks.h"
#include "support/x_session.h"

namespace fs = std::filesystem;
using namespace x_session;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";
constexpr int kWindowLeft = 50, kWindowTop = 50;
constexpr int kBoardLeft = 25, kBoardTop = 155;  // 动画框1

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

Bytes GoodPng(int side, int seed) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(side) * side * 4);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(i * 7 + seed);
  return EncodePngRgba(side, side, px.data());
}
Bytes GoodJpeg(int w, int h) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<std::uint8_t>(i * 13);
  return EncodeJpeg(w, h, 3, px.data(), 85);
}

// One damaged picture of each kind, by number.
Bytes DamagedPicture(int i) {
  switch (i % 8) {
    case 0: {  // 57 bytes that declare a 2 GiB text chunk
      Bytes b = PngHead(1, 1);
      PngChunk(b, "tEXt", Bytes(12, 'a'), 0x7FFFFFF0);
      b.resize(57);
      return b;
    }
    case 1: {  // 16384 x 1024 from nine bytes of data
      Bytes b = PngHead(16384, 1024);
      PngChunk(b, "IDAT", {0x78, 0x9c, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
      return b;
    }
    case 2: {  // cut in its pixels
      Bytes b = GoodPng(32, i);
      return Bytes(b.begin(), b.begin() + b.size() / 2);
    }
    case 3: {  // a JPEG cut in its scan
      Bytes b = GoodJpeg(32, 32);
      return Bytes(b.begin(), b.begin() + b.size() / 2);
    }
    case 4: {  // a BMP that declares 16384 x 1024 and holds 100 bytes
      Bytes b(154, 0x55);
      b[0] = 'B', b[1] = 'M';
      Le32(b, 10, 54), Le32(b, 14, 40), Le32(b, 18, 16384), Le32(b, 22, 1024), Le32(b, 26, 1 | (24 << 16));
      return b;
    }
    case 5: {  // an icon of 3000 entries on one body that declares 4096 x 4096
      const int entries = 3000;
      Bytes b(6 + 16 * entries, 0);
      b[2] = 1, b[4] = entries & 255, b[5] = entries >> 8;
      Bytes body(40, 0);
      Le32(body, 0, 40), Le32(body, 4, 4096), Le32(body, 8, 8192), Le32(body, 12, 1 | (32 << 16));
      for (int e = 0; e < entries; ++e) {
        Le32(b, 6 + 16 * e + 8, 40);
        Le32(b, 6 + 16 * e + 12, static_cast<std::uint32_t>(b.size()));
      }
      b.insert(b.end(), body.begin(), body.end());
      return b;
    }
    case 6: return Bytes{'G', 'I', 'F', '8', '9', 'a', 0x00, 0x40, 0x00, 0x04, 0x80, 0, 0};  // huge screen
    default: return Bytes(300, 0);  // zeros
  }
}

// A wave file whose Microsoft ADPCM block names a predictor that does not exist.
Bytes BrokenAdpcmWave() {
  Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 18, 0, 0, 0,
             2, 0, 1, 0, 0x40, 0x1F, 0, 0, 0, 0, 0, 0, 32, 0, 4, 0, 0, 0,  // mono, 8000 Hz, 32-byte blocks
             'd', 'a', 't', 'a', 32, 0, 0, 0, 9, 16, 0, 100, 0, 50, 0};     // predictor 9 of 7
  b.resize(b.size() + 25, 0x12);
  Le32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
  return b;
}

class DamagedFilesRealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = fs::path(VK_BINARY_DIR) / "run" / "vinkabo";
    X_SESSION_REQUIRE(OnPath("Xvfb") && OnPath("xdotool"), "needs Xvfb and xdotool");
    if (!fs::exists(program_)) GTEST_SKIP() << "the program is not built: " << program_;
    display_ = x_.Start();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
  }
  void TearDown() override {
    Kill(app_, SIGKILL);
    dir_.reset();
  }

  // A run directory whose skin, icons and sounds are damaged; the stub xdg-open
  // writes the address it is given into "opened".
  void MakeRunDirectory(const std::string& name) {
    dir_ = std::make_unique<FixtureRunDirectory>(name);
    const fs::path run = dir_->host();
    fs::copy_file(program_, run / "vinkabo", fs::copy_options::overwrite_existing);
    fs::create_directories(run / "bin");
    std::ofstream(run / "bin" / "xdg-open") << "#!/bin/sh\necho \"$1\" >> '" << (run / "opened").string() << "'\n";
    fs::permissions(run / "bin" / "xdg-open", fs::perms::owner_all);
    WriteSkin(*dir_);
    int k = 0;
    for (const char* skin : {"\\配置图片\\背景.JPG", "\\配置图片\\关闭.jpg", "\\配置图片\\设置.gif",
                             "\\配置图片\\添加收藏1.gif", "\\配置图片\\添加收藏2.gif", "\\配置图片\\帐号查看.GIF",
                             "\\配置图片\\分类\\菜单22.png", "\\配置图片\\分类\\菜单31.png"})
      dir_->WriteFile(Utf8ToGbk(skin), DamagedPicture(k++));
    dir_->WriteFile(GBK("\\声音\\翻页.wav"), BrokenAdpcmWave());
    ASSERT_TRUE(dir_->WriteSettings(Text(), 0, 1));
  }

  std::vector<std::string> Env() const { return LoopbackEnv(display_, dir_->host() + "/bin"); }
  std::vector<std::string> Xdotool(std::vector<std::string> args) const {
    args.insert(args.begin(), "xdotool");
    return OutputLines(args, Env());
  }

  // Starts the program, waits for its main window and answers every box it shows.
  int LaunchAndAnswerBoxes() {
    app_ = Spawn({dir_->host() + "/vinkabo"}, Env());
    for (int i = 0; i < 800 && main_.empty(); ++i) {
      Pause(50);
      std::vector<std::string> found = Xdotool({"search", "--onlyvisible", "--name", std::string("^") + kTitle + "$"});
      if (found.size() == 1) main_ = found[0];
      int status = 0;
      if (waitpid(app_, &status, WNOHANG) == app_) {
        app_ = -1;
        ADD_FAILURE() << "the program ended at start, status " << status;
        return 0;
      }
    }
    EXPECT_FALSE(main_.empty()) << "no main window";
    int answered = 0;
    for (int round = 0; round < 20; ++round) {
      Pause(400);
      std::vector<std::string> others;
      for (const std::string& w : Xdotool({"search", "--onlyvisible", "--name", "."}))
        if (w != main_) others.push_back(w);
      if (others.empty()) break;
      Xdotool({"windowactivate", "--sync", others.back()});
      Xdotool({"windowfocus", "--sync", others.back()});
      Pause(150);
      Xdotool({"key", "--clearmodifiers", "Return"});
      ++answered;
    }
    return answered;
  }
  void ClickAt(int x, int y) {
    Xdotool({"mousemove", "--sync", std::to_string(kWindowLeft + x), std::to_string(kWindowTop + y)});
    Pause(200);
    Xdotool({"click", "1"});
    Pause(500);
  }
  // The close button 按钮1 (760, 3, 32 x 20): the program must end with 0.
  void CloseAndExpectZero() {
    ClickAt(760 + 16, 3 + 10);
    int status = -1;
    for (int i = 0; i < 400 && app_ > 0; ++i) {
      if (waitpid(app_, &status, WNOHANG) == app_) app_ = -1;
      Pause(50);
    }
    ASSERT_EQ(-1, app_) << "the program did not end on its close button";
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(0, WEXITSTATUS(status));
  }
  std::string Opened() const {
    std::ifstream in(dir_->host() + "/opened");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path program_;
  std::unique_ptr<FixtureRunDirectory> dir_;
  std::string display_, main_;
  XServer x_;
  pid_t app_ = -1;
};

TEST_F(DamagedFilesRealWindow, StartsShowsWhatItCanAndAnswersClicks) {
  // 1. Damaged pictures and sounds around a good table: 36 favorites whose icons are
  // damaged, but the first one's PNG only lacks its end chunk and so is shown.
  MakeRunDirectory("damaged_pictures");
  std::vector<FavoriteRecord> records;
  for (int i = 0; i < 36; ++i) {
    FavoriteRecord r = Favorite(GBK("site") + NumberText(i), i % 7, 1);
    r.address = "http://127.0.0.1:9/site" + std::to_string(i);
    r.iconPath = GBK("\\网站图标\\icon") + NumberText(i) + ".png";
    r.clickSound = GBK("\\声音\\点击声音\\broken.wav");
    const Bytes good = GoodPng(32, i);
    dir_->WriteFile(r.iconPath, i == 0 ? Bytes(good.begin(), good.end() - 12) : DamagedPicture(i));
    records.push_back(r);
  }
  dir_->WriteFile(GBK("\\声音\\点击声音\\broken.wav"), BrokenAdpcmWave());
  ASSERT_TRUE(dir_->WriteFavorites(records));
  LaunchAndAnswerBoxes();
  ASSERT_FALSE(main_.empty());
  // The icon of the first tile, 50 x 50 at (55, 25) of the board, opens its address.
  ClickAt(kBoardLeft + 55 + 25, kBoardTop + 25 + 25);
  for (int i = 0; i < 40 && Opened().empty(); ++i) Pause(100);
  EXPECT_EQ("http://127.0.0.1:9/site0\n", Opened());
  CloseAndExpectZero();
  Kill(app_, SIGKILL);

  // 2. A favorites table cut inside its header, which the engine refuses: the
  // program says so, shows its window, and its close button still works.
  main_.clear();
  MakeRunDirectory("damaged_table");
  ASSERT_TRUE(dir_->WriteFavorites({Favorite(GBK("keep"), 0, 1)}));
  fs::resize_file(dir_->host() + "/" + "数据库.edb", 20);
  EXPECT_GE(LaunchAndAnswerBoxes(), 1) << "the damaged table is reported";
  ASSERT_FALSE(main_.empty());
  CloseAndExpectZero();
}

}  // namespace
