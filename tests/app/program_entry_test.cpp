// ProgramEntry and the end of the program: the state is released exactly once
// however the main window went, the close button ends at once, the settings window
// comes and goes on demand. All headless, with the scripted backend and services.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/headless_program.h"
#include "app/program_entry.h"
#include "base/paths.h"

namespace {

// An empty run directory: no tables, no pictures.
class ProgramEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vk_entry_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    SetRunDirectory(ProgramPath(dir_.string()));
    program_.services = fake_.bundle();
    program_.windows = &windows_;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;
  ScriptedServices fake_;
  ScriptedWindowBackend windows_;
  Program program_;
};

TEST_F(ProgramEntryTest, CloseButtonEndsTheProgramAndReleasesOnce) {
  bool createdBeforeLoop = false;
  size_t boxesBefore = 0;
  windows_.mainScript = [&](Window& w) {
    boxesBefore = fake_.messageBox.log.size();
    // The creation-finished event has run before the loop hands over to the user: it
    // built the category bar and tried both tables of this empty run directory.
    createdBeforeLoop = program_.state.categoryButtons.size() == 8 && boxesBefore == 2 &&
                        fake_.messageBox.log[0].text == GBK("打开数据库失败") &&
                        fake_.messageBox.log[1].text == GBK("获取验证密码失败!");
    program_.state.allRecords.push_back({});
    program_.state.categoryButtons = {1, 2};
    EXPECT_TRUE(UserClick(w, "按钮1"));
    EXPECT_TRUE(w.destroyed()) << "at once, without a question";
    EXPECT_EQ(program_.releaseCount, 0) << "released only when the loop has returned";
  };
  EXPECT_EQ(ProgramEntry(program_), 0);
  EXPECT_TRUE(createdBeforeLoop);
  EXPECT_EQ(program_.releaseCount, 1);
  EXPECT_TRUE(program_.state.allRecords.empty());
  EXPECT_TRUE(program_.state.categoryButtons.empty());
  EXPECT_EQ(fake_.messageBox.log.size(), boxesBefore) << "the close button asks nothing";
}

TEST_F(ProgramEntryTest, ReleasedOnceWhenAHandlerDestroysTheMainWindowTwice) {
  windows_.mainScript = [&](Window&) {
    CloseMainWindow(program_);
    CloseMainWindow(program_);
  };
  EXPECT_EQ(ProgramEntry(program_), 0);
  EXPECT_EQ(program_.releaseCount, 1);
}

TEST_F(ProgramEntryTest, ReleasedOnceWhenTheSettingsWindowEndsTheProgram) {
  bool modalRan = false;
  windows_.modalScript = [&](Window& w) {
    modalRan = true;
    EXPECT_EQ(&w, program_.settingsWindow.get());
    EXPECT_FALSE(UserClick(program_.mainWindow, "按钮1")) << "the main window is blocked";
    // What a stored change does: the settings window, then the main window.
    CloseSettingsWindow(program_);
    CloseMainWindow(program_);
  };
  windows_.mainScript = [&](Window&) {
    // No settings table here: the window's own load would close it at once.
    program_.bindSettingsWindow = [](Program&, SettingsWindow&) {};
    OpenSettingsWindowModal(program_);
    EXPECT_EQ(program_.settingsWindow, nullptr) << "destroyed when closed";
  };
  EXPECT_EQ(ProgramEntry(program_), 0);
  EXPECT_TRUE(modalRan);
  EXPECT_TRUE(program_.mainWindow.destroyed());
  EXPECT_EQ(program_.releaseCount, 1);
}

TEST_F(ProgramEntryTest, ReleasedOnceWhenTheUserClosesTheWindowOtherwise) {
  // The script leaves the window open: the backend closes it as its frame would.
  windows_.mainScript = [&](Window&) {};
  EXPECT_EQ(ProgramEntry(program_), 0);
  EXPECT_TRUE(program_.mainWindow.destroyed());
  EXPECT_EQ(program_.releaseCount, 1);
}

TEST_F(ProgramEntryTest, SettingsWindowIsNewEachTimeAndItsCreationEventRunsEachTime) {
  int created = 0;
  windows_.modalScript = [&](Window& w) {
    auto& s = static_cast<SettingsWindow&>(w);
    // A fresh window: design-time state, whatever the last one was left in.
    EXPECT_FALSE(s.选择框1.ticked());
    s.选择夹1.SetCurrentPage(1);
    EXPECT_TRUE(UserClick(s, "选择框1"));
  };
  windows_.mainScript = [&](Window&) {
    for (int i = 0; i < 2; ++i) {
      program_.bindSettingsWindow = [&](Program&, SettingsWindow& s) {
        s.onCreated = [&] { ++created; };
      };
      OpenSettingsWindowModal(program_);
    }
    EXPECT_FALSE(program_.mainWindow.destroyed()) << "closing the settings window alone";
  };
  // ProgramEntry installs the real binder; replace it from inside the loop above.
  EXPECT_EQ(ProgramEntry(program_), 0);
  EXPECT_EQ(created, 2);
}

TEST_F(ProgramEntryTest, HeadlessStartRunsCreationAndReleasesAtTheEnd) {
  int releasesAtClose = -1, releasesAtEnd = -1;
  bool emptyAtEnd = false;
  {
    HeadlessProgram run(ProgramPath(dir_.string()));
    run.onEnd = [&](const Program& p) {
      releasesAtEnd = p.releaseCount;
      emptyAtEnd = p.state.allRecords.empty() && p.state.categoryButtons.empty() && p.state.pageButtons.empty();
    };
    run.Start();
    // Creation ran: the bar's eight buttons and the page controls are there.
    EXPECT_EQ(run.program.state.categoryButtons.size(), 8u);
    EXPECT_EQ(run.program.state.pageButtons.size(), 4u);
    run.program.state.allRecords.push_back({});
    EXPECT_FALSE(run.Ended());
    EXPECT_EQ(run.windows.shown.size(), 1u);
    EXPECT_TRUE(UserClick(run.main(), "按钮1"));
    EXPECT_TRUE(run.Ended());
    releasesAtClose = run.program.releaseCount;
  }
  EXPECT_EQ(releasesAtClose, 0) << "released by the end of the run, not before";
  EXPECT_EQ(releasesAtEnd, 1) << "released once at the end of the run";
  EXPECT_TRUE(emptyAtEnd);
}

}  // namespace
