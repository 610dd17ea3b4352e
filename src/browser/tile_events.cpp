#include "browser/tile_events.h"

#include "browser/account_viewer.h"
#include "browser/open_site.h"
#include "browser/page_turning.h"
#include "browser/site_board.h"

void TilePressed(Program& program, int sprite, TilePressStep modifyStep) {
  ShowAccountViewer(program, sprite);
  OpenSiteOfTile(program, sprite);
  TurnPage(program, sprite);
  if (modifyStep != nullptr) modifyStep(program, sprite);
}

void TileEntered(Program& program, int sprite, int) {
  int slot = TileSlotOf(program.state, sprite);
  if (slot != 0) program.state.hoveredTile = slot;
  IconHoverStep(program, sprite);
  AccountHoverStep(program, sprite);
}

void TileLeft(Program& program, int sprite, int) {
  IconLeaveStep(program, sprite);
  AccountLeaveStep(program, sprite);
}
