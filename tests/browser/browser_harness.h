#pragma once
// The program on a fixture run directory with scripted services, its main window shown
// and the category bar and page controls built, for driving the browser's handlers
// directly (no start-up sequence, no bindings but the board events set here).

#include <gtest/gtest.h>

#include "program/program.h"
#include "base/fatal_error.h"
#include "browser/account_viewer.h"
#include "browser/category_bar.h"
#include "browser/fixture_run_directory.h"
#include "browser/site_board.h"
#include "browser/tile_events.h"
#include "forms/scripted_backend.h"
#include "forms/user_actions.h"
#include "ui/scripted_services.h"

struct FatalErrorSeen {
  Text message;
};

struct BrowserHarness {
  explicit BrowserHarness(const std::string& name) : dir(name) {
    WriteSkin(dir);
    program.services = fake.bundle();
    program.windows = &windows;
    windows.ShowWindow(program.mainWindow, false);
    MainWindow& w = program.mainWindow;
    Program& p = program;
    w.动画框_分类.model.events.leftPressed = [&p](int s) { CategoryPressed(p, s); };
    w.动画框_分类.model.events.pointerEntered = [&p](int s, int pr) { CategoryEntered(p, s, pr); };
    w.动画框_分类.model.events.pointerLeft = [&p](int s, int pr) { CategoryLeft(p, s, pr); };
    w.动画框1.model.events.leftPressed = [this](int s) { TilePressed(program, s, ModifyStepSpy); };
    w.动画框1.model.events.pointerEntered = [&p](int s, int pr) { TileEntered(p, s, pr); };
    w.动画框1.model.events.pointerLeft = [&p](int s, int pr) { TileLeft(p, s, pr); };
    w.按钮_关闭帐号密码显示.onClicked = [&p] { HideAccountViewer(p); };
    SetFatalErrorPresenter([](const Text& message) { throw FatalErrorSeen{message}; });
    modifySteps().clear();
  }
  ~BrowserHarness() { SetFatalErrorPresenter(nullptr); }

  // The favorites in memory (as start-up would load them), their icons on disk, the
  // main copy of the settings, and the bar and page controls built.
  void Start(const std::vector<FavoriteRecord>& records, ProtectionSettings settings = {}, int iconSize = 32) {
    WriteIcons(dir, records, iconSize);
    program.state.allRecords = records;
    program.state.protection = settings;
    BuildCategoryButtons(program);
    BuildPageControls(program);
  }

  MainWindow& w() { return program.mainWindow; }
  SpriteBoardModel& board() { return program.mainWindow.动画框1.model; }
  SpriteBoardModel& bar() { return program.mainWindow.动画框_分类.model; }
  AppState& state() { return program.state; }
  const Sprite& SpriteOf(int id) {
    const Sprite* s = board().Find(id);
    if (!s) throw std::runtime_error("no sprite " + std::to_string(id));
    return *s;
  }
  Text Label() { return SpriteOf(state().pageLabel).text; }
  const Text& NameOnTile(int slot) { return SpriteOf(state().tiles.at(slot - 1).nameSprite).text; }
  bool PressPageButton(int k) { return UserPressSprite(w(), "动画框1", state().pageButtons.at(k - 1)); }
  bool PressCategory(int k) { return UserPressSprite(w(), "动画框_分类", state().categoryButtons.at(k - 1)); }
  std::vector<Text> SoundsPlayed() {
    std::vector<Text> paths;
    for (const auto& p : fake.sound.played) paths.push_back(p.path);
    return paths;
  }
  Text Run(const char* utf8Relative) { return dir.runDirectory() + Utf8ToGbk(utf8Relative); }

  // The modify step the editor hangs in: here it only notes what reached it, and how
  // many tiles were on show then.
  struct ModifyCall {
    int sprite;
    size_t tiles;
  };
  static std::vector<ModifyCall>& modifySteps() {
    static std::vector<ModifyCall> calls;
    return calls;
  }
  static void ModifyStepSpy(Program& p, int sprite) { modifySteps().push_back({sprite, p.state.tiles.size()}); }

  FixtureRunDirectory dir;
  ScriptedServices fake;
  ScriptedWindowBackend windows;
  Program program;
};

// `n` favorites named n1, n2, ... with the given category and common flag.
inline std::vector<FavoriteRecord> Favorites(int n, int category, int common, const std::string& prefix = "n") {
  std::vector<FavoriteRecord> records;
  for (int i = 1; i <= n; ++i) records.push_back(Favorite(prefix + std::to_string(i), category, common));
  return records;
}
