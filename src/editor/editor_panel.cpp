#include "editor/editor_panel.h"

void ClearEditorPages(Program& program) {
  MainWindow& w = program.mainWindow;
  for (EditBox* box : {&w.编辑框_修改_网站名称, &w.编辑框_修改_网址, &w.编辑框_修改_网站图标,
                       &w.编辑框_修改_密码, &w.编辑框_修改_帐号, &w.编辑框_修改_点击声音})
    box->SetContent(Text());
  w.组合框_修改_分类.SetSelection(-1);
  w.选择框_修改_常用.SetTicked(false);
  for (EditBox* box : {&w.编辑框_添加_网站名称, &w.编辑框_添加_网址, &w.编辑框_添加_图标,
                       &w.编辑框_添加_密码, &w.编辑框_添加_帐号, &w.编辑框_添加_点击声音})
    box->SetContent(Text());
  w.组合框_添加_分类.SetSelection(-1);
  w.选择框_添加_常用.SetTicked(false);
}

void SetBoardsDisabled(Program& program, bool disabled) {
  program.mainWindow.动画框1.SetDisabled(disabled);
  program.mainWindow.动画框_分类.SetDisabled(disabled);
}

void LeaveEditor(Program& program) {
  SetBoardsDisabled(program, false);
  program.mainWindow.选择夹1.SetVisible(false);
  ClearEditorPages(program);
}
