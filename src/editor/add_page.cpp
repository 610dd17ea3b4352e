#include "editor/add_page.h"

#include "editor/editor_panel.h"
#include "storage/favorites_edit.h"
#include "ui/dialogs.h"

namespace {

FavoriteRecord AddPageValues(const MainWindow& w) {
  FavoriteRecord r;
  r.siteName = w.编辑框_添加_网站名称.content();
  r.iconPath = w.编辑框_添加_图标.content();
  r.address = w.编辑框_添加_网址.content();
  r.siteAccount = w.编辑框_添加_帐号.content();
  r.sitePassword = w.编辑框_添加_密码.content();
  r.category = w.组合框_添加_分类.selection();  // item i carries category i
  r.common = w.选择框_添加_常用.ticked() ? 1 : 0;
  r.clickSound = w.编辑框_添加_点击声音.content();
  r.description = w.编辑框_添加_描述.content();
  return r;
}

// The first check that fails shows its message; blanks count as content.
bool AddPageComplete(Program& program) {
  const MainWindow& w = program.mainWindow;
  const Text* refusal = nullptr;
  if (w.编辑框_添加_网站名称.content().empty())
    refusal = &GBK("网站名称不能为空");
  else if (w.编辑框_添加_图标.content().empty())
    refusal = &GBK("网站图标不恩那个为空");
  else if (w.编辑框_添加_网址.content().empty())
    refusal = &GBK("网站地址不能为空");
  else if (w.组合框_添加_分类.selection() < 0)
    refusal = &GBK("请选择分类!!");
  if (refusal) MessageBox(program.services, *refusal, 0x10);
  return refusal == nullptr;
}

}  // namespace

void OpenAddPage(Program& program) {
  TabControl& panel = program.mainWindow.选择夹1;
  panel.SetContainerMode(1);
  panel.SetCurrentPage(2);  // beyond the last page: the panel shows its last, "添加"
  panel.SetVisible(true);
  SetBoardsDisabled(program, true);
  ClearEditorPages(program);
}

void ConfirmAdd(Program& program) {
  // First, so the boards stay usable when a check stops the add with the page shown.
  SetBoardsDisabled(program, false);
  if (!AddPageComplete(program)) return;

  FavoriteEditResult result = AddFavorite(AddPageValues(program.mainWindow), [&](const FavoriteEditResult& r) {
    switch (r.outcome) {
      case FavoriteEditOutcome::kOpenFailed:
        MessageBox(program.services, GBK("打开数据库失败"), 0x10);
        break;
      case FavoriteEditOutcome::kAppendFailed:
        MessageBox(program.services, GBK("哦,不,添加失败"), 0x10, GBK("错误"));
        break;
      case FavoriteEditOutcome::kDone:
        MessageBox(program.services, GBK("恭喜,添加成功!! 重启程序才能加载新添加的收藏。"), 0x40, GBK("恭喜"));
        break;
      default:
        break;
    }
  });
  // A failure leaves the page with everything typed, so the user can try again.
  if (result.outcome != FavoriteEditOutcome::kDone) return;

  program.mainWindow.选择夹1.SetVisible(false);
  ClearEditorPages(program);
  CloseMainWindow(program);
}

void CancelAdd(Program& program) { LeaveEditor(program); }
