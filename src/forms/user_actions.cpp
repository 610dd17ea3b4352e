#include "forms/user_actions.h"

namespace {
Control* Reachable(Window& window, std::string_view name) {
  Control* c = window.Find(name);
  return c && UserCanReach(window, *c) ? c : nullptr;
}
}  // namespace

bool UserClick(Window& window, std::string_view name) {
  Control* c = Reachable(window, name);
  if (!c) return false;
  switch (c->kind()) {
    case ControlKind::Button: static_cast<Button*>(c)->UserClick(); return true;
    case ControlKind::GraphicButton: static_cast<GraphicButton*>(c)->UserClick(); return true;
    case ControlKind::CheckBox: static_cast<CheckBox*>(c)->UserClick(); return true;
    default: return false;
  }
}

bool UserType(Window& window, std::string_view name, const Text& text) {
  Control* c = Reachable(window, name);
  if (!c || c->kind() != ControlKind::EditBox) return false;
  static_cast<EditBox*>(c)->UserType(text);
  return true;
}

bool UserChoose(Window& window, std::string_view name, int item) {
  Control* c = Reachable(window, name);
  if (!c || c->kind() != ControlKind::ComboBox) return false;
  return static_cast<ComboBox*>(c)->UserChoose(item);
}

bool UserSelectPage(Window& window, std::string_view name, int page) {
  Control* c = Reachable(window, name);
  if (!c || c->kind() != ControlKind::TabControl) return false;
  return static_cast<TabControl*>(c)->UserSelectPage(page);
}

bool UserMovePointer(Window& window, std::string_view name, int x, int y, int keys) {
  Control* c = Reachable(window, name);
  if (!c || c->kind() != ControlKind::Button) return false;
  static_cast<Button*>(c)->UserPointerMove(x, y, keys);
  return true;
}
