#include "browser/board_keys.h"

#include "browser/find_by_typing.h"
#include "browser/site_board.h"
#include "browser/tile_light.h"

namespace {

constexpr int kFirstPage = 1, kPreviousPage = 2, kNextPage = 3, kLastPage = 4;

// Presses page button k as the pointer would, then lights the first tile of the page.
bool PressPageButton(Program& program, int k) {
  AppState& s = program.state;
  if (k < 1 || k > static_cast<int>(s.pageButtons.size())) return false;
  SpriteBoardModel& board = program.mainWindow.动画框1.model;
  PutLightOut(program);
  if (board.events.leftPressed) board.events.leftPressed(s.pageButtons[k - 1]);
  if (!program.mainWindow.destroyed()) LightTile(program, 1);
  return true;
}

// Presses category button k (1 to 8) as the pointer would; no tile stays lit.
bool PressCategoryButton(Program& program, int k) {
  AppState& s = program.state;
  if (k < 1 || k > static_cast<int>(s.categoryButtons.size())) return false;
  PutLightOut(program);
  SpriteBoardModel& bar = program.mainWindow.动画框_分类.model;
  if (bar.events.leftPressed) bar.events.leftPressed(s.categoryButtons[k - 1]);
  s.keyboard.litIcon = 0;
  return true;
}

bool Return(Program& program) {
  const int lit = LitSlot(program.state);
  if (lit != 0) return PressTileIcon(program, lit);
  // A search opens the first favorite it found, on page 1 of its list.
  if (Searching(program.state)) {
    if (program.state.currentPage > 1) ShowPage(program, 1);
    PressTileIcon(program, 1);
    return true;
  }
  return false;
}

}  // namespace

bool KeysReachBoard(const Program& program) {
  const MainWindow& w = program.mainWindow;
  return !w.destroyed() && !w.disabled() && w.modalBlocks == 0 && !program.settingsWindow &&
         !w.动画框1.disabled() && !w.动画框1.model.disabled && !w.选择夹1.visible();
}

bool BoardKeyPressed(Program& program, const BoardKey& key) {
  if (!KeysReachBoard(program)) return false;
  switch (key.code) {
    case BoardKeyCode::kText: {
      PutLightOut(program);
      return TypeSearchText(program, key.text);
    }
    case BoardKeyCode::kBackspace:
      PutLightOut(program);
      return EraseSearchCharacter(program);
    case BoardKeyCode::kEscape:
      PutLightOut(program);
      return EndSearch(program);
    case BoardKeyCode::kLeft: return MoveLight(program, LightMove::kLeft);
    case BoardKeyCode::kRight: return MoveLight(program, LightMove::kRight);
    case BoardKeyCode::kUp: return MoveLight(program, LightMove::kUp);
    case BoardKeyCode::kDown: return MoveLight(program, LightMove::kDown);
    case BoardKeyCode::kReturn: return Return(program);
    case BoardKeyCode::kPageUp: return PressPageButton(program, kPreviousPage);
    case BoardKeyCode::kPageDown: return PressPageButton(program, kNextPage);
    case BoardKeyCode::kHome: return PressPageButton(program, kFirstPage);
    case BoardKeyCode::kEnd: return PressPageButton(program, kLastPage);
    case BoardKeyCode::kCtrlDigit: return PressCategoryButton(program, key.digit);
    case BoardKeyCode::kNone: return false;
  }
  return false;
}
