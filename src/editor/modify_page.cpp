#include "editor/modify_page.h"

#include "editor/editor_panel.h"
#include "storage/favorites_edit.h"
#include "ui/dialogs.h"

namespace {

FavoriteRecord ModifyPageValues(const MainWindow& w) {
  FavoriteRecord r;
  r.siteName = w.编辑框_修改_网站名称.content();
  r.iconPath = w.编辑框_修改_网站图标.content();
  r.address = w.编辑框_修改_网址.content();
  r.siteAccount = w.编辑框_修改_帐号.content();
  r.sitePassword = w.编辑框_修改_密码.content();
  r.category = w.组合框_修改_分类.selection();  // item i carries category i
  r.common = w.选择框_修改_常用.ticked() ? 1 : 0;
  r.clickSound = w.编辑框_修改_点击声音.content();
  r.description = w.编辑框_修改_描述.content();
  return r;
}

// Name, address, icon: not the add page's order.
bool ModifyPageComplete(Program& program) {
  const MainWindow& w = program.mainWindow;
  const Text* refusal = nullptr;
  if (w.编辑框_修改_网站名称.content().empty())
    refusal = &GBK("网站名不能为空");
  else if (w.编辑框_修改_网址.content().empty())
    refusal = &GBK("网址不能为空");
  else if (w.编辑框_修改_网站图标.content().empty())
    refusal = &GBK("请插入网站图标");
  else if (w.组合框_修改_分类.selection() < 0)
    refusal = &GBK("请选着分类");
  if (refusal) MessageBox(program.services, *refusal, 0x10);
  return refusal == nullptr;
}

}  // namespace

void SaveModifiedFavorite(Program& program) {
  if (!ModifyPageComplete(program)) return;
  const Text key = program.mainWindow.编辑框_修改_记录号.content();
  FavoriteEditResult result =
      ModifyFavorite(key, ModifyPageValues(program.mainWindow), [&](const FavoriteEditResult& r) {
        switch (r.outcome) {
          case FavoriteEditOutcome::kOpenFailed:
            MessageBox(program.services, GBK("打开数据库失败"), 0x10);
            break;
          case FavoriteEditOutcome::kModifyFailed:
            MessageBox(program.services, GBK("修改失败,") + r.errorText, 0x10);
            break;
          case FavoriteEditOutcome::kDone:
            MessageBox(program.services, GBK("修改成功!...但要重新打开收藏夹修改数据才生效。"), 0x40,
                       GBK("恭喜!!"));
            break;
          default:  // a key that names nothing says nothing
            break;
        }
      });
  if (result.outcome == FavoriteEditOutcome::kOpenFailed) return;

  // Found or not, rewritten or not: the program ends here.
  program.mainWindow.选择夹1.SetVisible(false);
  SetBoardsDisabled(program, false);
  ClearEditorPages(program);
  CloseMainWindow(program);
}

void DeleteShownFavorite(Program& program) {
  const Text key = program.mainWindow.编辑框_修改_记录号.content();
  auto confirm = [&] { return MessageBox(program.services, GBK("你确认删除此收藏?"), 0x31) == kMbOk; };
  FavoriteEditResult result = DeleteFavorite(key, confirm, [&](const FavoriteEditResult& r) {
    switch (r.outcome) {
      case FavoriteEditOutcome::kOpenFailed:
        MessageBox(program.services, GBK("打开数据库失败"), 0x10);
        break;
      case FavoriteEditOutcome::kDeleteFailed:
        MessageBox(program.services, GBK("删除失败,") + r.errorText, 0x10);
        break;
      case FavoriteEditOutcome::kDone:
        MessageBox(program.services, GBK("修改成功"), 0x40, GBK("恭喜!!"));
        break;
      default:  // Cancel, or a key that names nothing: the page stays as it is
        break;
    }
  });
  if (result.outcome != FavoriteEditOutcome::kDone) return;

  program.mainWindow.选择夹1.SetVisible(false);
  MessageBox(program.services, GBK("请选[确认]重新打开收藏夹"), 0);
  program.mainWindow.SetDisabled(true);
  CloseMainWindow(program);
}

void CancelModify(Program& program) { LeaveEditor(program); }
