#pragma once
// The whole program, headless, for scenario tests: the scripted services (dialogs
// answered from queues and logged, sounds and shell opens recorded, a fake clock and
// network), the scripted window backend, the real bindings and handlers. No Qt.
//
//   HeadlessProgram run(fixtureDir);            // SetRunDirectory(fixtureDir)
//   run.fake.network.online = 1;                // script the services first ...
//   run.fake.messageBox.answers.push_back(kMbOk);
//   run.Start();                                // ... then the main window is created:
//                                               // its creation-finished event has run
//   ASSERT_TRUE(UserClick(run.main(), "图形按钮_添加"));
//   ASSERT_TRUE(UserType(run.main(), "编辑框_添加_网站名称", GBK("新浪")));
//   ASSERT_TRUE(UserChoose(run.main(), "组合框_添加_分类", 2));
//   ASSERT_TRUE(UserPressSprite(run.main(), "动画框1", run.program.state.tiles[0].iconSprite));
//   EXPECT_EQ(run.messages().back().text, GBK("添加成功"));
//   EXPECT_TRUE(run.Ended());                   // the handler closed the main window
//
// Events no user action gives: `run.main().超文本浏览框1.PageLoaded()` (the web box
// has loaded its page), `run.fake.clock.Advance(ms)` (time passes for the balloon).
//
// The settings window is modal: set `run.windows.modalScript` before the click that
// opens it; the script acts on the window (cast it to SettingsWindow&) with the same
// User... functions of forms/user_actions.h, and the window is closed when it returns
// if its handlers did not close it. The User... functions refuse what a user could
// not do (a hidden, disabled, blocked or out-of-sight control): check their result.

#include <functional>
#include <vector>

#include "program/program.h"
#include "base/text.h"
#include "forms/scripted_backend.h"
#include "forms/user_actions.h"
#include "ui/scripted_services.h"

class HeadlessProgram {
 public:
  // An empty directory keeps the run directory as it is.
  explicit HeadlessProgram(const Text& runDirectory = {});
  ~HeadlessProgram();  // releases the state as the end of the program would
  HeadlessProgram(const HeadlessProgram&) = delete;
  HeadlessProgram& operator=(const HeadlessProgram&) = delete;

  // ProgramEntry up to the message loop: state, bindings, the main window shown and
  // its creation-finished event run. The loop is the test itself.
  void Start();

  MainWindow& main() { return program.mainWindow; }
  // The settings window while it is open (inside modalScript), else null.
  SettingsWindow* settings() { return program.settingsWindow.get(); }
  bool Ended() const { return program.mainWindow.destroyed(); }
  const std::vector<MessageBoxCall>& messages() const { return fake.messageBox.log; }

  ScriptedServices fake;
  ScriptedWindowBackend windows;
  Program program;
  // Called last by the destructor, with the program as the end of the run left it: the
  // only way to see the release, since the object is gone right after.
  std::function<void(const Program&)> onEnd;

 private:
  bool started_ = false;
};
