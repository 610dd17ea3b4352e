#include "forms/main_window.h"

#include "platform/advert_page.h"

MainWindow::MainWindow()
    : Window("Vinkabo_Tamsor专用", {kDesignLeft, kDesignTop, 800, 650}, WindowBorder::None, RgbColour(192, 192, 192)) {
  controls_ = {
      &气球提示框1, &按钮2, &图形按钮_添加, &选择夹1, &动画物体_修改, &按钮1,
      &按钮_关闭帐号密码显示, &编辑框_密码, &编辑框_帐号, &标签_密码查看背景,
      &动画物体_显示页数, &动画物体_翻页, &动画物体_帐号, &动画物体_网站, &动画物体_图标,
      &动画框1, &动画物体_分类, &动画框_分类, &超文本浏览框1,
      // page 0
      &编辑框_修改_描述, &标签_修改_描述, &标签_修改_正在编辑, &按钮_修改_选择声音,
      &按钮_修改_选择图片, &通用对话框1, &编辑框_修改_记录号, &按钮_修改_取消修改,
      &按钮_修改_删除, &按钮_修改_确认修改, &组合框_修改_分类, &标签_修改_网址,
      &标签_修改_点击声音, &标签_修改_网站图标, &标签_修改_密码, &标签_修改_帐号,
      &标签_修改_网站名称, &选择框_修改_常用, &编辑框_修改_帐号, &编辑框_修改_密码,
      &编辑框_修改_网站图标, &编辑框_修改_点击声音, &编辑框_修改_网址, &编辑框_修改_网站名称,
      // page 1
      &标签1, &编辑框_添加_描述, &标签_添加_分类, &标签_添加_添加网址收藏, &按钮_添加_选择声音,
      &按钮_添加_选择图片, &标签_添加_网址, &标签_添加_点击声音, &标签_添加_图标,
      &标签_添加_密码, &标签_添加_帐号, &标签_添加_网站名称, &选择框_添加_常用,
      &组合框_添加_分类, &按钮_添加_取消添加, &按钮_添加_确认添加, &编辑框_添加_网址,
      &编辑框_添加_点击声音, &编辑框_添加_图标, &编辑框_添加_密码, &编辑框_添加_帐号,
      &编辑框_添加_网站名称,
  };

  // The account viewer: borderless white boxes in a large 宋体 over a pink label.
  for (EditBox* box : {&编辑框_密码, &编辑框_帐号}) {
    box->border = Border::None;
    box->font = {GBK("宋体"), 16, false};
    box->backColour = RgbColour(255, 255, 255);
  }
  标签_密码查看背景.backColour = RgbColour(255, 128, 192);
  标签_密码查看背景.font = {GBK("宋体"), 12, true};

  动画物体_网站.settings.font.name = GBK("宋体");
  动画物体_网站.settings.font.height = 12;
  超文本浏览框1.fontSize = 2;
  超文本浏览框1.startAddress = AdvertPageAddress();

  编辑框_修改_记录号.border = Border::None;
  编辑框_修改_记录号.backColour = RgbColour(255, 255, 255);
  编辑框_修改_密码.SetInputMode(EditBox::kPassword);
  编辑框_添加_密码.SetInputMode(EditBox::kPassword);
  编辑框_添加_描述.border = Border::Single;
  标签_添加_添加网址收藏.font = {GBK("宋体"), 19, false};
}
