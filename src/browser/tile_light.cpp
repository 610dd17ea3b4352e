#include "browser/tile_light.h"

#include "base/paths.h"
#include "browser/favorite_icon.h"
#include "browser/list_access.h"
#include "browser/open_site.h"
#include "browser/tip_popup.h"

namespace {

constexpr int kColumns = 6;
constexpr int kIconHalf = 25;  // the icon template is 50 x 50

const FavoriteRecord& RecordOfSlot(const AppState& s, int slot) {
  return ElementAt(s.categoryRecords, static_cast<long long>(s.currentPage - 1) * TilesPerPage + slot);
}

}  // namespace

int LitSlot(const AppState& state) {
  const int lit = state.keyboard.litIcon;
  if (lit == 0) return 0;
  for (size_t i = 0; i < state.tiles.size(); ++i)
    if (state.tiles[i].iconSprite == lit) return static_cast<int>(i) + 1;
  return 0;
}

void PutLightOut(Program& program) {
  AppState& s = program.state;
  const int slot = LitSlot(s);
  s.keyboard.litIcon = 0;
  if (slot == 0) return;
  SpriteBoardModel& board = program.mainWindow.动画框1.model;
  const int icon = s.tiles[slot - 1].iconSprite;
  // The pointer has just come onto this very icon: it shows the hover picture for it.
  if (board.hovered == icon) return;
  board.SetObjectPicture(icon, ReadFavoriteIcon(RecordOfSlot(s, slot).iconPath));
}

void LightTile(Program& program, int slot) {
  AppState& s = program.state;
  if (slot < 1 || slot > static_cast<int>(s.tiles.size())) return;
  PutLightOut(program);
  SpriteBoardModel& board = program.mainWindow.动画框1.model;
  // The tile under the pointer gives its light up first, through its own leave step,
  // while hoveredTile still names it.
  if (board.hovered > 0) board.PointerLeftBoard();
  const int icon = s.tiles[slot - 1].iconSprite;
  s.hoveredTile = slot;
  s.keyboard.litIcon = icon;
  WriteTipSettings(program, DescriptionTipSettings());
  board.SetObjectPicture(icon, ReadFileBytes(RunDirectory() + GBK("\\网站图标\\点击打开.PNG")));
  // The tip stands where it would for a pointer in the middle of the icon.
  const MainWindow& w = program.mainWindow;
  const Sprite* sprite = board.Find(icon);
  const int px = w.left() + w.动画框1.left() + (sprite ? static_cast<int>(sprite->x) : 0) + kIconHalf;
  const int py = w.top() + w.动画框1.top() + (sprite ? static_cast<int>(sprite->y) : 0) + kIconHalf;
  PopTip(program, px - 10, py - 10, RecordOfSlot(s, slot).description);
}

bool MoveLight(Program& program, LightMove move) {
  const int n = static_cast<int>(program.state.tiles.size());
  if (n == 0) return false;
  const int slot = LitSlot(program.state);
  int next = 1;
  if (slot != 0) {
    next = slot;
    switch (move) {
      case LightMove::kLeft: if (slot > 1) next = slot - 1; break;
      case LightMove::kRight: if (slot < n) next = slot + 1; break;
      case LightMove::kUp: if (slot - kColumns >= 1) next = slot - kColumns; break;
      case LightMove::kDown: if (slot + kColumns <= n) next = slot + kColumns; break;
    }
  }
  if (next != slot) LightTile(program, next);
  return true;
}

bool PressTileIcon(Program& program, int slot) {
  AppState& s = program.state;
  if (slot < 1 || slot > static_cast<int>(s.tiles.size())) return false;
  SpriteBoardModel& board = program.mainWindow.动画框1.model;
  // The open step reads the record of the hovered tile, as after the pointer entered it.
  s.hoveredTile = slot;
  const int icon = s.tiles[slot - 1].iconSprite;
  if (board.events.leftPressed) board.events.leftPressed(icon);
  return true;
}

void BoardPointerMoved(Program& program, int, int, int) { PutLightOut(program); }
