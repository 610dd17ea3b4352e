#include "browser/account_viewer.h"

#include "base/paths.h"
#include "browser/program_sound.h"
#include "browser/site_board.h"
#include "protection/password_gate.h"

namespace {

constexpr int kBackgroundLeft = 307;
constexpr int kLinesLeft = 320;
constexpr int kCloseLeft = 488;

bool IsAccountSprite(const AppState& s, int sprite) {
  for (const SiteTile& t : s.tiles)
    if (t.accountSprite == sprite) return true;
  return false;
}

void SetBoardsDisabled(MainWindow& w, bool disabled) {
  w.动画框1.SetDisabled(disabled);
  w.动画框_分类.SetDisabled(disabled);
}

}  // namespace

void AccountHoverStep(Program& program, int sprite) {
  if (!IsAccountSprite(program.state, sprite)) return;
  program.mainWindow.动画框1.model.SetObjectPicture(sprite,
                                                 ReadFileBytes(RunDirectory() + GBK("\\配置图片\\帐号查看.GIF")));
}

void AccountLeaveStep(Program& program, int sprite) {
  if (!IsAccountSprite(program.state, sprite)) return;
  program.mainWindow.动画框1.model.SetObjectPicture(sprite,
                                                 ReadFileBytes(RunDirectory() + GBK("\\配置图片\\帐号.gif")));
}

void ShowAccountViewer(Program& program, int sprite) {
  if (!IsAccountSprite(program.state, sprite)) return;
  const FavoriteRecord r = HoveredRecord(program.state);
  PlayProgramSound(program, GBK("\\声音\\查看帐号密码.wav"));
  if (!PasswordGate(program, GBK("请输入密码获取查看权限："), GBK("帐号密码查看登入"), GBK("想偷窥吗?"), 0))
    return;

  MainWindow& w = program.mainWindow;
  SetBoardsDisabled(w, true);
  w.编辑框_帐号.SetLeft(kLinesLeft);
  w.编辑框_密码.SetLeft(kLinesLeft);
  w.编辑框_帐号.SetContent(GBK("帐号:") + r.siteAccount);
  w.编辑框_密码.SetContent(GBK("密码:") + r.sitePassword);
  w.按钮_关闭帐号密码显示.SetLeft(kCloseLeft);
  w.标签_密码查看背景.SetLeft(kBackgroundLeft);
}

void HideAccountViewer(Program& program) {
  MainWindow& w = program.mainWindow;
  w.编辑框_帐号.SetLeft(-kLinesLeft);
  w.编辑框_密码.SetLeft(-kLinesLeft);
  w.编辑框_帐号.SetContent(GBK("帐号:"));
  w.编辑框_密码.SetContent(GBK("密码:"));
  w.按钮_关闭帐号密码显示.SetLeft(-kCloseLeft);
  w.标签_密码查看背景.SetLeft(-kBackgroundLeft);
  SetBoardsDisabled(w, false);
}
