#pragma once
// Puts favorites on "the page on show" without a board: tiles with made-up sprite ids,
// as the site board would have laid them out.

#include "editor/editor_harness.h"
#include "editor/manager_gate.h"

namespace editor_test {

inline constexpr int kModifySpriteBase = 4000;

// Page `page` of `records` on show, its tiles' modify sprites kModifySpriteBase + slot.
inline void ShowPageOf(Program& program, std::vector<FavoriteRecord> records, int page) {
  AppState& s = program.state;
  s.categoryRecords = std::move(records);
  s.currentPage = page;
  s.tiles.clear();
  const int first = (page - 1) * TilesPerPage;
  const int count = std::min<int>(TilesPerPage, static_cast<int>(s.categoryRecords.size()) - first);
  for (int slot = 1; slot <= count; ++slot)
    s.tiles.push_back({1000 + slot, 2000 + slot, 3000 + slot, kModifySpriteBase + slot});
}

// The pointer entered slot `slot`, then pressed its modify sprite.
inline void PressModify(Program& program, int slot) {
  program.state.hoveredTile = slot;
  ManagerLoginGate(program, kModifySpriteBase + slot);
}

}  // namespace editor_test
