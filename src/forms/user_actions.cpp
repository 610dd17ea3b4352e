#include "forms/user_actions.h"

namespace {
Control* Reachable(Window& window, std::string_view name) {
  Control* c = window.Find(name);
  return c && UserCanReach(window, *c) ? c : nullptr;
}
}  // namespace

bool UserClick(Window& window, std::string_view name) {
  Control* c = Reachable(window, name);
  if (!c) return false;
  switch (c->kind()) {
    case ControlKind::Button: static_cast<Button*>(c)->UserClick(); return true;
    case ControlKind::GraphicButton: static_cast<GraphicButton*>(c)->UserClick(); return true;
    case ControlKind::CheckBox: static_cast<CheckBox*>(c)->UserClick(); return true;
    default: return false;
  }
}

bool UserType(Window& window, std::string_view name, const Text& text) {
  Control* c = Reachable(window, name);
  if (!c || c->kind() != ControlKind::EditBox) return false;
  static_cast<EditBox*>(c)->UserType(text);
  return true;
}

bool UserChoose(Window& window, std::string_view name, int item) {
  Control* c = Reachable(window, name);
  if (!c || c->kind() != ControlKind::ComboBox) return false;
  return static_cast<ComboBox*>(c)->UserChoose(item);
}

bool UserSelectPage(Window& window, std::string_view name, int page) {
  Control* c = Reachable(window, name);
  if (!c || c->kind() != ControlKind::TabControl) return false;
  return static_cast<TabControl*>(c)->UserSelectPage(page);
}

bool UserMovePointer(Window& window, std::string_view name, int x, int y, int keys) {
  Control* c = Reachable(window, name);
  if (!c || c->kind() != ControlKind::Button) return false;
  static_cast<Button*>(c)->UserPointerMove(x, y, keys);
  return true;
}

namespace {
SpriteBoard* ReachableBoard(Window& window, std::string_view name) {
  Control* c = Reachable(window, name);
  return c && c->kind() == ControlKind::SpriteBoard ? static_cast<SpriteBoard*>(c) : nullptr;
}

// A board point where the hit test answers `sprite`, scanning its drawn area.
bool PointOnSprite(const SpriteBoardModel& board, int sprite, int& x, int& y) {
  const Sprite* s = board.Find(sprite);
  if (!s || !s->visible) return false;
  BoardRect r = s->Rect();
  // Centre first: that is where a user aims.
  int cx = r.left + r.width / 2, cy = r.top + r.height / 2;
  if (board.HitTest(cx, cy) == sprite) {
    x = cx;
    y = cy;
    return true;
  }
  for (int py = r.top; py < r.top + r.height; ++py)
    for (int px = r.left; px < r.left + r.width; ++px)
      if (board.HitTest(px, py) == sprite) {
        x = px;
        y = py;
        return true;
      }
  return false;
}
}  // namespace

bool UserMoveOnBoard(Window& window, std::string_view board, int x, int y) {
  SpriteBoard* b = ReachableBoard(window, board);
  if (!b || x < 0 || y < 0 || x >= b->width() || y >= b->height()) return false;
  b->model.PointerMove(x, y, false);
  return true;
}

bool UserPressBoardAt(Window& window, std::string_view board, int x, int y) {
  SpriteBoard* b = ReachableBoard(window, board);
  if (!b || x < 0 || y < 0 || x >= b->width() || y >= b->height()) return false;
  auto alive = b->model.Liveness();
  b->model.PointerMove(x, y, false);
  if (alive.expired() || !UserCanReach(window, *b)) return true;
  b->model.LeftButtonDown(x, y);
  // A handler of the press may have hidden or disabled the board, or ended the window.
  if (alive.expired() || window.destroyed()) return true;
  b->model.LeftButtonUp(x, y);
  return true;
}

bool UserPressSprite(Window& window, std::string_view board, int sprite) {
  SpriteBoard* b = ReachableBoard(window, board);
  int x = 0, y = 0;
  if (!b || !PointOnSprite(b->model, sprite, x, y)) return false;
  return UserPressBoardAt(window, board, x, y);
}

bool UserMoveOntoSprite(Window& window, std::string_view board, int sprite) {
  SpriteBoard* b = ReachableBoard(window, board);
  int x = 0, y = 0;
  if (!b || !PointOnSprite(b->model, sprite, x, y)) return false;
  return UserMoveOnBoard(window, board, x, y);
}

bool UserLeaveBoard(Window& window, std::string_view board) {
  SpriteBoard* b = ReachableBoard(window, board);
  if (!b) return false;
  b->model.PointerLeftBoard();
  return true;
}
