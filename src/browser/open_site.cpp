#include "browser/open_site.h"

#include "base/address_rule.h"
#include "base/paths.h"
#include "browser/favorite_icon.h"
#include "browser/program_sound.h"
#include "browser/site_board.h"
#include "browser/tip_popup.h"
#include "ui/balloon_tip.h"

namespace {

bool IsIconSprite(const AppState& s, int sprite) {
  for (const SiteTile& t : s.tiles)
    if (t.iconSprite == sprite) return true;
  return false;
}

}  // namespace

const std::vector<BalloonSettingWrite>& DescriptionTipSettings() {
  // No fading, shown after 100 ms for 2500 ms, kept up while the pointer moves.
  static const std::vector<BalloonSettingWrite> writes = {
      {kBalloonFadeInStep, 0},
      {kBalloonFadeOutStep, 0},
      {kBalloonInitialDelay, 100},
      {kBalloonDisplayTime, 2500},
      {kBalloonKeepWhileMoving, 1},
  };
  return writes;
}

void IconHoverStep(Program& program, int sprite) {
  if (!IsIconSprite(program.state, sprite)) return;
  const Text description = HoveredRecord(program.state).description;
  WriteTipSettings(program, DescriptionTipSettings());
  program.mainWindow.动画框1.model.SetObjectPicture(sprite,
                                                 ReadFileBytes(RunDirectory() + GBK("\\网站图标\\点击打开.PNG")));
  PointerService* pointer = program.services.pointer;
  int px = pointer ? pointer->PointerX() : 0;
  int py = pointer ? pointer->PointerY() : 0;
  PopTip(program, px - 10, py - 10, description);
}

void IconLeaveStep(Program& program, int sprite) {
  if (!IsIconSprite(program.state, sprite)) return;
  // The scale FitIconToTemplate gave the icon stays; the tip closes by itself.
  const Text iconPath = HoveredRecord(program.state).iconPath;
  program.mainWindow.动画框1.model.SetObjectPicture(sprite, ReadFavoriteIcon(iconPath));
}

namespace {

// Favorites come from bookmark files and tables made by others, and the shell's "open"
// runs programs as readily as it shows pages: a web address opens at once, anything else
// only after the user has seen it whole, and options, control characters and network
// shares never.
bool MayOpen(Program& program, const Text& address) {
  MessageBoxService* box = program.services.messageBox;
  switch (JudgeAddress(address).kind) {
    case AddressKind::kWeb:
      return true;
    case AddressKind::kAskFirst:
      return box && box->Show(GBK("这个收藏的地址不是网页地址(http/https)，打开它可能会运行本机或别处的程序：\n\n") +
                                  ShownAddress(address) + GBK("\n\n确定要打开吗？"),
                              0x31, &GBK("打开收藏")) == kMbOk;
    case AddressKind::kRefused:
      if (box)
        box->Show(GBK("这个收藏的地址不安全，不能打开：\n\n") + ShownAddress(address), 0x10, &GBK("打开收藏"));
      return false;
  }
  return false;
}

}  // namespace

void OpenSiteOfTile(Program& program, int sprite) {
  if (!IsIconSprite(program.state, sprite)) return;
  const FavoriteRecord r = HoveredRecord(program.state);
  // The address goes on exactly as stored: no scheme is added.
  if (!MayOpen(program, r.address)) return;
  if (program.services.shell) program.services.shell->OpenAddress(r.address);
  PlayProgramSound(program, r.clickSound);
}
