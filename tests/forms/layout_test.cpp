// The two layouts against their tables: every control's name, kind, parent page,
// geometry and caption, and the stacking order the tables imply.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "forms/main_window.h"
#include "forms/settings_window.h"

namespace {

struct Row {
  const char* name;
  ControlKind kind;
  const char* tab;  // "" on the window
  int page;
  int left, top, width, height;
  const char* caption;  // "" when none
};

using K = ControlKind;

// Main window, in table order.
const std::vector<Row> kMain = {
    {"气球提示框1", K::BalloonTip, "", -1, 192, 0, 416, 104, ""},
    {"按钮2", K::Button, "", -1, 667, 3, 80, 20, "设置/改密码"},
    {"图形按钮_添加", K::GraphicButton, "", -1, 56, 595, 80, 30, ""},
    {"选择夹1", K::TabControl, "", -1, 200, 192, 432, 296, ""},
    {"动画物体_修改", K::SpriteTemplate, "", -1, 120, 192, 32, 24, ""},
    {"按钮1", K::Button, "", -1, 760, 3, 32, 20, "关闭"},
    {"按钮_关闭帐号密码显示", K::Button, "", -1, -488, 240, 40, 24, "关闭"},
    {"编辑框_密码", K::EditBox, "", -1, -320, 312, 200, 20, ""},
    {"编辑框_帐号", K::EditBox, "", -1, -320, 280, 180, 20, ""},
    {"标签_密码查看背景", K::Label, "", -1, -307, 234, 225, 118, "你要查看的"},
    {"动画物体_显示页数", K::SpriteTemplate, "", -1, 265, 611, 72, 16, "0/0"},
    {"动画物体_翻页", K::SpriteTemplate, "", -1, 345, 603, 72, 24, ""},
    {"动画物体_帐号", K::SpriteTemplate, "", -1, 120, 220, 35, 25, ""},
    {"动画物体_网站", K::SpriteTemplate, "", -1, 55, 245, 100, 20, ""},
    {"动画物体_图标", K::SpriteTemplate, "", -1, 55, 195, 50, 50, ""},
    {"动画框1", K::SpriteBoard, "", -1, 25, 155, 750, 475, ""},
    {"动画物体_分类", K::SpriteTemplate, "", -1, 10, 110, 119, 35, ""},
    {"动画框_分类", K::SpriteBoard, "", -1, 0, 107, 800, 41, ""},
    {"超文本浏览框1", K::WebBox, "", -1, -2, -2, 820, 128, ""},
    {"编辑框_修改_描述", K::EditBox, "选择夹1", 0, 71, 222, 344, 16, ""},
    {"标签_修改_描述", K::Label, "选择夹1", 0, 8, 224, 55, 15, "描述："},
    {"标签_修改_正在编辑", K::Label, "选择夹1", 0, 268, 27, 54, 16, "正在编辑:"},
    {"按钮_修改_选择声音", K::Button, "选择夹1", 0, 360, 168, 56, 20, "选择声音"},
    {"按钮_修改_选择图片", K::Button, "选择夹1", 0, 360, 141, 56, 20, "选择图片"},
    {"通用对话框1", K::FileDialog, "选择夹1", 0, 192, 24, 48, 32, ""},
    {"编辑框_修改_记录号", K::EditBox, "选择夹1", 0, 328, 27, 60, 16, ""},
    {"按钮_修改_取消修改", K::Button, "选择夹1", 0, 264, 252, 80, 30, "退出"},
    {"按钮_修改_删除", K::Button, "选择夹1", 0, 148, 252, 80, 30, "删除"},
    {"按钮_修改_确认修改", K::Button, "选择夹1", 0, 32, 252, 80, 30, "确认修改"},
    {"组合框_修改_分类", K::ComboBox, "选择夹1", 0, 288, 64, 120, 20, ""},
    {"标签_修改_网址", K::Label, "选择夹1", 0, 8, 201, 55, 15, "网址："},
    {"标签_修改_点击声音", K::Label, "选择夹1", 0, 8, 172, 55, 15, "点击声音："},
    {"标签_修改_网站图标", K::Label, "选择夹1", 0, 8, 145, 55, 15, "网站图标："},
    {"标签_修改_密码", K::Label, "选择夹1", 0, 8, 118, 55, 15, "密码："},
    {"标签_修改_帐号", K::Label, "选择夹1", 0, 8, 91, 55, 15, "帐号："},
    {"标签_修改_网站名称", K::Label, "选择夹1", 0, 8, 64, 55, 15, "网站名称："},
    {"选择框_修改_常用", K::CheckBox, "选择夹1", 0, 208, 64, 64, 16, "常用"},
    {"编辑框_修改_帐号", K::EditBox, "选择夹1", 0, 71, 91, 160, 16, ""},
    {"编辑框_修改_密码", K::EditBox, "选择夹1", 0, 71, 118, 193, 16, ""},
    {"编辑框_修改_网站图标", K::EditBox, "选择夹1", 0, 71, 145, 281, 16, ""},
    {"编辑框_修改_点击声音", K::EditBox, "选择夹1", 0, 71, 172, 281, 16, ""},
    {"编辑框_修改_网址", K::EditBox, "选择夹1", 0, 71, 200, 345, 16, ""},
    {"编辑框_修改_网站名称", K::EditBox, "选择夹1", 0, 71, 64, 112, 16, ""},
    {"标签1", K::Label, "选择夹1", 1, 8, 232, 55, 16, "描述:"},
    {"编辑框_添加_描述", K::EditBox, "选择夹1", 1, 70, 232, 346, 16, ""},
    {"标签_添加_分类", K::Label, "选择夹1", 1, 251, 40, 56, 16, "选择分类:"},
    {"标签_添加_添加网址收藏", K::Label, "选择夹1", 1, 5, 1, 120, 32, "添加网址收藏"},
    {"按钮_添加_选择声音", K::Button, "选择夹1", 1, 352, 184, 65, 20, "选择声音"},
    {"按钮_添加_选择图片", K::Button, "选择夹1", 1, 352, 149, 65, 20, "选择图片"},
    {"标签_添加_网址", K::Label, "选择夹1", 1, 8, 207, 55, 16, "网站地址:"},
    {"标签_添加_点击声音", K::Label, "选择夹1", 1, 8, 188, 55, 16, "点击声音:"},
    {"标签_添加_图标", K::Label, "选择夹1", 1, 8, 153, 55, 16, "网站图标:"},
    {"标签_添加_密码", K::Label, "选择夹1", 1, 8, 118, 55, 16, "密码:"},
    {"标签_添加_帐号", K::Label, "选择夹1", 1, 8, 83, 55, 16, "帐号:"},
    {"标签_添加_网站名称", K::Label, "选择夹1", 1, 8, 48, 55, 16, "网站名称:"},
    {"选择框_添加_常用", K::CheckBox, "选择夹1", 1, 264, 83, 48, 16, "常用"},
    {"组合框_添加_分类", K::ComboBox, "选择夹1", 1, 312, 36, 96, 20, ""},
    {"按钮_添加_取消添加", K::Button, "选择夹1", 1, 228, 260, 80, 25, "取消"},
    {"按钮_添加_确认添加", K::Button, "选择夹1", 1, 64, 260, 80, 25, "确认添加"},
    {"编辑框_添加_网址", K::EditBox, "选择夹1", 1, 69, 207, 345, 16, ""},
    {"编辑框_添加_点击声音", K::EditBox, "选择夹1", 1, 69, 188, 273, 16, ""},
    {"编辑框_添加_图标", K::EditBox, "选择夹1", 1, 69, 153, 273, 16, ""},
    {"编辑框_添加_密码", K::EditBox, "选择夹1", 1, 69, 118, 185, 16, ""},
    {"编辑框_添加_帐号", K::EditBox, "选择夹1", 1, 69, 83, 184, 16, ""},
    {"编辑框_添加_网站名称", K::EditBox, "选择夹1", 1, 69, 48, 161, 16, ""},
};

const std::vector<Row> kSettings = {
    {"选择夹2", K::TabControl, "", -1, 56, 23, 210, 112, ""},
    {"选择夹1", K::TabControl, "", -1, 0, 0, 296, 144, ""},
    {"按钮3", K::Button, "选择夹2", 0, 58, 75, 80, 25, "确认"},
    {"编辑框4", K::EditBox, "选择夹2", 0, 16, 44, 176, 24, ""},
    {"标签4", K::Label, "选择夹2", 0, 8, 22, 193, 85, "请输入密码"},
    {"选择框_密码开关", K::CheckBox, "选择夹1", 0, 16, 32, 128, 32, "是否开启密码验证"},
    {"选择框1", K::CheckBox, "选择夹1", 1, 88, 91, 88, 16, "显示密码"},
    {"按钮2", K::Button, "选择夹1", 1, 152, 112, 80, 25, "取消"},
    {"按钮1", K::Button, "选择夹1", 1, 40, 112, 80, 25, "确认"},
    {"编辑框3", K::EditBox, "选择夹1", 1, 88, 72, 180, 16, ""},
    {"编辑框2", K::EditBox, "选择夹1", 1, 88, 56, 180, 16, ""},
    {"编辑框1", K::EditBox, "选择夹1", 1, 88, 32, 180, 16, ""},
    {"标签3", K::Label, "选择夹1", 1, 16, 72, 70, 16, "确认新密码:"},
    {"标签2", K::Label, "选择夹1", 1, 16, 48, 70, 24, "新密码:"},
    {"标签1", K::Label, "选择夹1", 1, 16, 32, 70, 16, "原密码:"},
    {"选择框_声音开关", K::CheckBox, "选择夹1", 2, 32, 48, 104, 24, "是否开启声音"},
};

std::string CaptionOf(const Control& c) {
  switch (c.kind()) {
    case K::Button: return GbkToUtf8(static_cast<const Button&>(c).caption());
    case K::Label: return GbkToUtf8(static_cast<const Label&>(c).caption());
    case K::CheckBox: return GbkToUtf8(static_cast<const CheckBox&>(c).caption());
    case K::EditBox: return GbkToUtf8(static_cast<const EditBox&>(c).content());
    case K::SpriteTemplate: return GbkToUtf8(static_cast<const SpriteTemplate&>(c).settings.text);
    default: return "";
  }
}

void CheckLayout(const Window& w, const std::vector<Row>& table) {
  ASSERT_EQ(w.controls().size(), table.size()) << "a control too many or missing";
  std::set<std::string> names;
  for (size_t i = 0; i < table.size(); ++i) {
    const Row& row = table[i];
    SCOPED_TRACE(row.name);
    const Control* c = w.Find(row.name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(w.controls()[i], c) << "stacking order differs from the table";
    EXPECT_STREQ(c->name(), row.name);
    EXPECT_EQ(ControlKindName(c->kind()), std::string(ControlKindName(row.kind)));
    EXPECT_EQ(c->parentTab() ? std::string(c->parentTab()->name()) : std::string(), row.tab);
    EXPECT_EQ(c->page(), row.page);
    EXPECT_EQ(c->left(), row.left);
    EXPECT_EQ(c->top(), row.top);
    EXPECT_EQ(c->width(), row.width);
    EXPECT_EQ(c->height(), row.height);
    EXPECT_EQ(CaptionOf(*c), row.caption);
    EXPECT_TRUE(c->visible());
    EXPECT_FALSE(c->disabled());
    names.insert(row.name);
  }
  EXPECT_EQ(names.size(), table.size()) << "names must be unique in a window";
}

TEST(Layout, MainWindowControlsMatchTheTable) {
  MainWindow w;
  CheckLayout(w, kMain);
}

TEST(Layout, SettingsWindowControlsMatchTheTable) {
  SettingsWindow w;
  CheckLayout(w, kSettings);
}

TEST(Layout, Windows) {
  MainWindow m;
  EXPECT_EQ(GbkToUtf8(m.title()), "Vinkabo_Tamsor专用");
  EXPECT_EQ(m.left(), 50);
  EXPECT_EQ(m.top(), 50);
  EXPECT_EQ(m.width(), 800);
  EXPECT_EQ(m.height(), 650);
  EXPECT_EQ(m.border, WindowBorder::None);
  EXPECT_EQ(m.backColour(), RgbColour(192, 192, 192));
  SettingsWindow s;
  EXPECT_EQ(GbkToUtf8(s.title()), "收藏夹设置");
  EXPECT_EQ(s.left(), 50);
  EXPECT_EQ(s.top(), 50);
  EXPECT_EQ(s.width(), 300);
  EXPECT_EQ(s.height(), 172);
  EXPECT_EQ(s.border, WindowBorder::FixedDialog);
  EXPECT_EQ(s.backColour(), kDefaultColour);
}

std::vector<std::string> Utf8(const std::vector<Text>& texts) {
  std::vector<std::string> out;
  for (const Text& t : texts) out.push_back(GbkToUtf8(t));
  return out;
}

TEST(Layout, PagesItemsAndNotableSettings) {
  MainWindow m;
  EXPECT_EQ(Utf8(m.选择夹1.pages()), (std::vector<std::string>{"修改/删除", "添加"}));
  EXPECT_EQ(Utf8(m.组合框_添加_分类.items()),
            (std::vector<std::string>{"第2分类", "第3分类", "第4分类", "第5分类", "第6分类", "第7分类", "第8分类"}));
  EXPECT_EQ(Utf8(m.组合框_修改_分类.items()),
            (std::vector<std::string>{"第二分类", "第三分类", "第四分类", "第五分类", "第六分类", "第七分类", "第八分类"}));
  EXPECT_EQ(m.组合框_添加_分类.selection(), -1);
  EXPECT_EQ(m.组合框_修改_分类.selection(), -1);
  // Password boxes and only those.
  std::set<std::string> masked;
  for (Control* c : m.controls())
    if (c->kind() == K::EditBox && static_cast<EditBox*>(c)->masked()) masked.insert(c->name());
  EXPECT_EQ(masked, (std::set<std::string>{"编辑框_修改_密码", "编辑框_添加_密码"}));
  EXPECT_EQ(m.编辑框_密码.border, Border::None);
  EXPECT_EQ(m.编辑框_密码.font.height, 16);
  EXPECT_EQ(m.标签_密码查看背景.backColour, RgbColour(255, 128, 192));
  EXPECT_TRUE(m.标签_密码查看背景.font.bold);
  EXPECT_EQ(m.标签_添加_添加网址收藏.font.height, 19);
  EXPECT_EQ(m.动画框1.model.background, RgbColour(0, 96, 192));
  EXPECT_EQ(m.动画框_分类.model.background, RgbColour(128, 128, 255));
  EXPECT_EQ(m.动画框1.model.width, 750);
  EXPECT_EQ(m.动画框1.model.height, 475);
  EXPECT_EQ(m.动画物体_图标.settings.width, 50);
  EXPECT_EQ(m.动画物体_分类.settings.left, 10);
  EXPECT_EQ(m.动画物体_网站.settings.font.height, 12);
  EXPECT_EQ(m.超文本浏览框1.fontSize, 2);

  SettingsWindow s;
  EXPECT_EQ(Utf8(s.选择夹1.pages()), (std::vector<std::string>{"设置密码验证", "修改密码", "开/关声音"}));
  EXPECT_EQ(Utf8(s.选择夹2.pages()), (std::vector<std::string>{"密码验证开启时先验证密码是必须嘚"}));
  masked.clear();
  for (Control* c : s.controls())
    if (c->kind() == K::EditBox && static_cast<EditBox*>(c)->masked()) masked.insert(c->name());
  EXPECT_EQ(masked, (std::set<std::string>{"编辑框1", "编辑框2", "编辑框3", "编辑框4"}));
  EXPECT_EQ(s.标签4.gradient.mode, 1);
  EXPECT_EQ(s.标签4.gradient.colours[2], RgbColour(128, 128, 128));
  EXPECT_FALSE(s.选择框_密码开关.ticked());
  EXPECT_FALSE(s.选择框_声音开关.ticked());
}

TEST(Layout, LookUpByUtf8OrGbkName) {
  MainWindow m;
  EXPECT_EQ(m.Find("编辑框_添加_网站名称"), &m.编辑框_添加_网站名称);
  EXPECT_EQ(m.Find(GBK("编辑框_添加_网站名称")), &m.编辑框_添加_网站名称);
  EXPECT_EQ(m.Find("编辑框_添加_不存在"), nullptr);
  EXPECT_EQ(m.Find(""), nullptr);
  // Names the two windows share are different controls.
  SettingsWindow s;
  EXPECT_NE(static_cast<Control*>(&s.按钮2), static_cast<Control*>(&m.按钮2));
  EXPECT_EQ(GbkToUtf8(static_cast<Button*>(s.Find("按钮2"))->caption()), "取消");
  EXPECT_EQ(GbkToUtf8(static_cast<Button*>(m.Find("按钮2"))->caption()), "设置/改密码");
}

}  // namespace
