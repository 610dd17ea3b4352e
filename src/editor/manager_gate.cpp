#include "editor/manager_gate.h"

#include "browser/program_sound.h"
#include "editor/editor_panel.h"
#include "protection/password_gate.h"

namespace {

void FillModifyPage(MainWindow& w, const FavoriteRecord& r) {
  w.编辑框_修改_网站名称.SetContent(r.siteName);
  w.编辑框_修改_记录号.SetContent(r.siteName);  // the key the save and the delete look for
  w.编辑框_修改_帐号.SetContent(r.siteAccount);
  w.编辑框_修改_密码.SetContent(r.sitePassword);
  w.编辑框_修改_网址.SetContent(r.address);
  w.编辑框_修改_网站图标.SetContent(r.iconPath);
  w.编辑框_修改_点击声音.SetContent(r.clickSound);
  w.编辑框_修改_描述.SetContent(r.description);
  w.选择框_修改_常用.SetTicked(r.common == 1);
  // Any other number keeps the selection as it was (none after the last clearing).
  if (r.category >= 0 && r.category <= 6) w.组合框_修改_分类.SetSelection(r.category);
}

}  // namespace

void ManagerLoginGate(Program& program, int sprite) {
  MainWindow& w = program.mainWindow;
  AppState& s = program.state;
  w.标签_添加_添加网址收藏.SetVisible(false);
  // Without the settings the modify page's title stays out of reach too: the gate
  // below refuses, and the add page must not become a way round it.
  if (!s.settingsUnreadable) w.选择夹1.SetContainerMode(0);

  bool ownSprite = false;
  for (const SiteTile& tile : s.tiles) {
    if (tile.modifySprite == sprite) {
      ownSprite = true;
      break;
    }
  }
  if (!ownSprite || sprite == 0) return;

  // The favorite comes from the slot the pointer last entered, not from the tile found.
  const long long element = static_cast<long long>(s.hoveredTile) + (s.currentPage - 1) * TilesPerPage;
  // Tiles left over from before an empty category have no record behind them.
  if (element < 1 || element > static_cast<long long>(s.categoryRecords.size())) return;
  const FavoriteRecord favorite = s.categoryRecords[element - 1];

  PlayProgramSound(program, GBK("\\声音\\修改.wav"));

  if (!PasswordGate(program, GBK("请输入密码获取修改和删除权限："), GBK("收藏夹管理登入"), GBK("你想做什么?"), 0))
    return;

  SetBoardsDisabled(program, true);
  w.选择夹1.SetVisible(true);
  w.选择夹1.SetCurrentPage(0);
  FillModifyPage(w, favorite);
}
