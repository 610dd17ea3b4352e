#include "ui/board_items.h"

#include <memory>

#include "ui/sprite_board.h"

std::vector<BoardItem> ShownItems(const SpriteBoardModel& board) {
  std::vector<BoardItem> shown;
  if (!board.describeItems) return shown;
  for (BoardItem& item : board.describeItems()) {
    const Sprite* s = board.Find(item.sprite);
    if (s && s->visible) shown.push_back(std::move(item));
  }
  return shown;
}

bool SpritePoint(const SpriteBoardModel& board, int sprite, int& x, int& y) {
  const Sprite* s = board.Find(sprite);
  if (!s) return false;
  const BoardRect r = s->Rect();
  const int midX = r.left + r.width / 2, midY = r.top + r.height / 2;
  if (!r.empty() && board.HitTest(midX, midY) == sprite) {
    x = midX, y = midY;
    return true;
  }
  // A picture with a hole in the middle, or partly covered: its first own pixel.
  for (int py = r.top; py < r.top + r.height; ++py)
    for (int px = r.left; px < r.left + r.width; ++px)
      if (board.HitTest(px, py) == sprite) {
        x = px, y = py;
        return true;
      }
  return false;
}

bool PressSprite(SpriteBoardModel& board, int sprite) {
  int x = 0, y = 0;
  if (board.disabled || !SpritePoint(board, sprite, x, y)) return false;
  // Every handler below may disable or destroy the board.
  const std::weak_ptr<void> alive = board.Liveness();
  if (!board.PointerAt(x, y) || alive.expired() || board.disabled) return false;
  board.LeftButtonDown(x, y);
  if (alive.expired()) return false;
  board.LeftButtonUp(x, y);
  return !alive.expired();
}
