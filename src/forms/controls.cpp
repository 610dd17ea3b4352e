#include "forms/controls.h"

#include <cstring>

#include "ui/services.h"

const char* ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button: return "button";
    case ControlKind::GraphicButton: return "graphic button";
    case ControlKind::Label: return "label";
    case ControlKind::EditBox: return "edit box";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::ComboBox: return "combo box";
    case ControlKind::TabControl: return "tab control";
    case ControlKind::FileDialog: return "file dialog";
    case ControlKind::BalloonTip: return "balloon tip";
    case ControlKind::SpriteBoard: return "sprite board";
    case ControlKind::SpriteTemplate: return "sprite template";
    case ControlKind::WebBox: return "web box";
  }
  return "?";
}

bool FileDialog::Open(FileDialogService& service) {
  Text chosen = fileName_;
  if (!service.Open(initialDirectory_, chosen)) return false;
  fileName_ = chosen;
  return true;
}

Control* Window::Find(std::string_view name) const {
  for (Control* c : controls_) {
    if (name == c->name()) return c;
  }
  // Not UTF-8 of a layout name: try it as GBK bytes.
  const std::string utf8 = GbkToUtf8(name);
  for (Control* c : controls_) {
    if (utf8 == c->name()) return c;
  }
  return nullptr;
}

namespace {
bool IsInvisibleKind(ControlKind k) {
  return k == ControlKind::FileDialog || k == ControlKind::BalloonTip ||
         k == ControlKind::SpriteTemplate;
}
}  // namespace

bool UserCanReach(const Window& window, const Control& control) {
  if (window.destroyed() || window.disabled() || window.modalBlocks > 0 || IsInvisibleKind(control.kind())) return false;
  if (!control.visible() || control.disabled()) return false;
  int left = control.left(), top = control.top();
  int areaW = window.width(), areaH = window.height();
  if (TabControl* tab = control.parentTab()) {
    if (!tab->visible() || tab->disabled() || tab->currentPage() != control.page()) return false;
    // Clipped by the tab control first, then the tab control by the window.
    if (left >= tab->width() || top >= tab->height() || left + control.width() <= 0 ||
        top + control.height() <= 0)
      return false;
    left += tab->left();
    top += tab->top();
  }
  return left < areaW && top < areaH && left + control.width() > 0 && top + control.height() > 0;
}
