#pragma once
// The control model: the toolkit-free state of every kind of control the two windows
// use. Handlers read and write these objects only; a backend peer (Qt in the program,
// none in tests) mirrors them on screen and turns user input back into their events.
//
// Settings are read with the lowerCamel accessor and written with Set...: every write
// tells the peer, so the screen never lags behind the model. User actions come in
// through the User... functions, which the peers and the headless tests call alike;
// they update the state first and then fire the event, as the toolkit would.

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "base/bytes.h"
#include "base/text.h"
#include "ui/balloon_tip.h"
#include "ui/sprite_board.h"
#include "ui/text_rasterizer.h"

enum class ControlKind {
  Button,
  GraphicButton,
  Label,
  EditBox,
  CheckBox,
  ComboBox,
  TabControl,
  FileDialog,
  BalloonTip,
  SpriteBoard,
  SpriteTemplate,
  WebBox,
};
const char* ControlKindName(ControlKind kind);  // "button", "edit box", ...

// Colours are packed as the Windows RGB macro does (Colour, RgbColour of
// ui/text_rasterizer.h); kDefaultColour stands for "the platform's own".
constexpr Colour kDefaultColour = 0xFFFFFFFFu;

struct ControlFont {
  Text face;       // empty: the window's default font
  int height = 0;  // character height in pixels, 0: default
  bool bold = false;
};

enum class Border { Default, None, Single, Sunken, ShallowSunken };

struct ControlRect {
  int left = 0, top = 0, width = 0, height = 0;
};

class TabControl;

// What every control has. Kind classes below add their own settings.
class Control {
 public:
  Control(ControlKind kind, const char* name, ControlRect rect, TabControl* parentTab = nullptr,
          int page = -1)
      : kind_(kind), name_(name), rect_(rect), parentTab_(parentTab), page_(page) {}
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind kind() const { return kind_; }
  const char* name() const { return name_; }  // UTF-8, as in the layout
  TabControl* parentTab() const { return parentTab_; }
  int page() const { return page_; }  // page of parentTab, -1 on the window

  // Relative to the parent: the window's client area, or the tab control's own
  // top-left corner for a page child.
  int left() const { return rect_.left; }
  int top() const { return rect_.top; }
  int width() const { return rect_.width; }
  int height() const { return rect_.height; }
  ControlRect rect() const { return rect_; }
  bool visible() const { return visible_; }
  bool disabled() const { return disabled_; }

  void SetLeft(int v) { rect_.left = v; Changed(); }
  void SetTop(int v) { rect_.top = v; Changed(); }
  void SetWidth(int v) { rect_.width = v; Changed(); }
  void SetHeight(int v) { rect_.height = v; Changed(); }
  void SetVisible(bool v) { visible_ = v; Changed(); }
  void SetDisabled(bool v) { disabled_ = v; Changed(); }

  // The backend's peer sets this to hear of every change.
  std::function<void()> peerUpdate;

 protected:
  void Changed() {
    if (peerUpdate) peerUpdate();
  }

 private:
  ControlKind kind_;
  const char* name_;
  ControlRect rect_;
  TabControl* parentTab_;
  int page_;
  bool visible_ = true;
  bool disabled_ = false;
};

class Button : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::Button;
  Button(const char* name, ControlRect r, Text caption, TabControl* tab = nullptr, int page = -1)
      : Control(ControlKind::Button, name, r, tab, page), caption_(std::move(caption)) {}
  const Text& caption() const { return caption_; }
  void SetCaption(Text t) { caption_ = std::move(t); Changed(); }
  // Picture file bytes shown on the button instead of its caption; empty: none.
  const Bytes& picture() const { return picture_; }
  void SetPicture(Bytes b) { picture_ = std::move(b); ++pictureVersion_; Changed(); }
  int pictureVersion() const { return pictureVersion_; }

  std::function<void()> onClicked;
  std::function<void(int x, int y, int keys)> onPointerMoved;  // client pixels

  void UserClick() { if (onClicked) onClicked(); }
  void UserPointerMove(int x, int y, int keys) { if (onPointerMoved) onPointerMoved(x, y, keys); }

 private:
  Text caption_;
  Bytes picture_;
  int pictureVersion_ = 0;
};

class GraphicButton : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::GraphicButton;
  // spokenName: what a screen reader says for a button that shows only pictures.
  GraphicButton(const char* name, ControlRect r, Text spokenName = {})
      : Control(ControlKind::GraphicButton, name, r), spokenName_(std::move(spokenName)) {}
  const Text& spokenName() const { return spokenName_; }
  const Bytes& normalPicture() const { return normal_; }
  const Bytes& hoverPicture() const { return hover_; }
  const Bytes& pressedPicture() const { return pressed_; }
  void SetNormalPicture(Bytes b) { normal_ = std::move(b); ++version_; Changed(); }
  void SetHoverPicture(Bytes b) { hover_ = std::move(b); ++version_; Changed(); }
  void SetPressedPicture(Bytes b) { pressed_ = std::move(b); ++version_; Changed(); }
  int pictureVersion() const { return version_; }

  std::function<void()> onClicked;
  void UserClick() { if (onClicked) onClicked(); }

 private:
  Bytes normal_, hover_, pressed_;
  int version_ = 0;
  Text spokenName_;
};

struct Gradient {
  int mode = 0;  // 0: none, 1: top to bottom through the three colours
  Colour colours[3] = {kDefaultColour, kDefaultColour, kDefaultColour};
};

class Label : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::Label;
  Label(const char* name, ControlRect r, Text caption, TabControl* tab = nullptr, int page = -1)
      : Control(ControlKind::Label, name, r, tab, page), caption_(std::move(caption)) {}
  const Text& caption() const { return caption_; }
  void SetCaption(Text t) { caption_ = std::move(t); Changed(); }

  // Design-time looks, fixed by the layout.
  ControlFont font;
  Colour textColour = kDefaultColour;
  Colour backColour = kDefaultColour;
  Gradient gradient;

 private:
  Text caption_;
};

class EditBox : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::EditBox;
  enum InputMode { kNormal = 0, kPassword = 2 };
  EditBox(const char* name, ControlRect r, TabControl* tab = nullptr, int page = -1)
      : Control(ControlKind::EditBox, name, r, tab, page) {}
  const Text& content() const { return content_; }
  void SetContent(Text t) { content_ = std::move(t); Changed(); }
  int inputMode() const { return inputMode_; }
  void SetInputMode(int m) { inputMode_ = m; Changed(); }
  bool masked() const { return inputMode_ == kPassword; }

  ControlFont font;
  Colour textColour = kDefaultColour;
  Colour backColour = kDefaultColour;
  Border border = Border::Sunken;

  // The user typed: the content changes, no event (the program handles none).
  void UserType(Text t) { content_ = std::move(t); }

 private:
  Text content_;
  int inputMode_ = kNormal;
};

class CheckBox : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::CheckBox;
  CheckBox(const char* name, ControlRect r, Text caption, TabControl* tab = nullptr, int page = -1)
      : Control(ControlKind::CheckBox, name, r, tab, page), caption_(std::move(caption)) {}
  const Text& caption() const { return caption_; }
  bool ticked() const { return ticked_; }
  void SetTicked(bool t) { ticked_ = t; Changed(); }

  std::function<void()> onClicked;  // the tick state is already the new one

  void UserClick() {
    ticked_ = !ticked_;
    Changed();
    if (onClicked) onClicked();
  }

 private:
  Text caption_;
  bool ticked_ = false;
};

class ComboBox : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::ComboBox;
  ComboBox(const char* name, ControlRect r, std::vector<Text> items, TabControl* tab = nullptr,
           int page = -1)
      : Control(ControlKind::ComboBox, name, r, tab, page), items_(std::move(items)) {}
  const std::vector<Text>& items() const { return items_; }
  int selection() const { return selection_; }  // -1: none
  // Out of range counts as none.
  void SetSelection(int i) {
    selection_ = (i >= 0 && i < static_cast<int>(items_.size())) ? i : -1;
    Changed();
  }
  bool UserChoose(int i) {
    if (i < 0 || i >= static_cast<int>(items_.size())) return false;
    selection_ = i;
    return true;
  }

 private:
  std::vector<Text> items_;
  int selection_ = -1;
};

class TabControl : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::TabControl;
  TabControl(const char* name, ControlRect r, std::vector<Text> pages)
      : Control(ControlKind::TabControl, name, r), pages_(std::move(pages)) {}
  const std::vector<Text>& pages() const { return pages_; }
  int currentPage() const { return current_; }
  // Beyond the last page selects the last, negative the first.
  void SetCurrentPage(int i) { current_ = Clamp(i); Changed(); }
  // 1: the program alone switches pages (no titles to click); 0: ordinary tabs.
  int containerMode() const { return containerMode_; }
  void SetContainerMode(int m) { containerMode_ = m; Changed(); }

  // A click on a page title; refused in container mode, as there are no titles.
  bool UserSelectPage(int i) {
    if (containerMode_ != 0 || i < 0 || i >= static_cast<int>(pages_.size())) return false;
    current_ = i;
    Changed();
    return true;
  }

 private:
  int Clamp(int i) const {
    int last = static_cast<int>(pages_.size()) - 1;
    if (i > last) i = last;
    return i < 0 ? 0 : i;
  }
  std::vector<Text> pages_;
  int current_ = 0;
  int containerMode_ = 0;
};

class FileDialogService;
class FileDialog : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::FileDialog;
  FileDialog(const char* name, ControlRect r, TabControl* tab = nullptr, int page = -1)
      : Control(ControlKind::FileDialog, name, r, tab, page) {}
  const Text& fileName() const { return fileName_; }
  void SetFileName(Text t) { fileName_ = std::move(t); }
  const Text& initialDirectory() const { return initialDirectory_; }
  void SetInitialDirectory(Text t) { initialDirectory_ = std::move(t); }
  // Shows the open-file dialog in the initial directory: true with the chosen file's
  // full path in fileName, false leaves fileName as it was.
  bool Open(FileDialogService& service);

 private:
  Text fileName_;
  Text initialDirectory_;
};

class BalloonTip : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::BalloonTip;
  BalloonTip(const char* name, ControlRect r) : Control(ControlKind::BalloonTip, name, r) {}
  BalloonTipModel model;  // settings 18, 44, 60-63, placement and timing
};

class SpriteBoard : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::SpriteBoard;
  SpriteBoard(const char* name, ControlRect r, Colour background)
      : Control(ControlKind::SpriteBoard, name, r), model(r.width, r.height, background, nullptr) {}
  Border border = Border::None;
  // Sprites, hit test and the pointer events (model.events) the program binds.
  SpriteBoardModel model;

  // A disabled board takes no pointer input and reports nothing.
  void SetDisabled(bool d) {
    model.disabled = d;
    Control::SetDisabled(d);
  }
};

class SpriteTemplate : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::SpriteTemplate;
  SpriteTemplate(const char* name, ControlRect r, Text text = {})
      : Control(ControlKind::SpriteTemplate, name, r) {
    settings.left = r.left;
    settings.top = r.top;
    settings.width = r.width;
    settings.height = r.height;
    settings.text = std::move(text);
  }
  // What sprites created from it copy (text, font, picture, ...).
  SpriteTemplateSettings settings;
};

class WebBox : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::WebBox;
  WebBox(const char* name, ControlRect r) : Control(ControlKind::WebBox, name, r) {}
  int fontSize = 2;  // 0 smallest .. 4 largest; 2 medium
  Text startAddress;  // set by the web box's owner before the window shows

  std::function<void()> onPageLoaded;
  void PageLoaded() { if (onPageLoaded) onPageLoaded(); }
  // The user clicked an http or https link on the page (its whole address).
  std::function<void(Text)> onLinkClicked;
  void LinkClicked(Text address) { if (onLinkClicked) onLinkClicked(std::move(address)); }
};

enum class WindowBorder {
  None,         // no sizing frame, no dialog frame, no title bar
  FixedDialog,  // a dialog frame that cannot be resized, with the title bar
};

// Common settings of both windows.
class Window {
 public:
  Window(const char* title, ControlRect rect, WindowBorder border, Colour back)
      : border(border), title_(title), rect_(rect), backColour_(back) {}
  const WindowBorder border;

  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const char* titleUtf8() const { return title_; }
  Text title() const { return Utf8ToGbk(title_); }
  // Screen position of the window (where it really is once shown) and its outer size.
  int left() const { return rect_.left; }
  int top() const { return rect_.top; }
  int width() const { return rect_.width; }
  int height() const { return rect_.height; }
  void SetPosition(int left, int top) { rect_.left = left; rect_.top = top; Changed(); }
  // The window is now here on the screen: the user dragged it or the window manager
  // placed it. Read back by left() and top(); the peer is already there.
  void UserMoved(int left, int top) { rect_.left = left; rect_.top = top; }
  Colour backColour() const { return backColour_; }
  bool disabled() const { return disabled_; }
  void SetDisabled(bool d) { disabled_ = d; Changed(); }
  const Bytes& backgroundPicture() const { return background_; }
  void SetBackgroundPicture(Bytes b) { background_ = std::move(b); ++backgroundVersion_; Changed(); }
  int backgroundVersion() const { return backgroundVersion_; }

  // Destroying ends the window for good: the backend closes its peer, and for the main
  // window the message loop returns. A second call does nothing.
  void Destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (onDestroyed) onDestroyed();
  }
  bool destroyed() const { return destroyed_; }

  // A modal window of the program is open over this one: it takes no input meanwhile.
  // Kept by the backend.
  int modalBlocks = 0;

  std::function<void()> onCreated;     // creation finished: bound to the program's handler
  std::function<void()> onDestroyed;   // set by the backend
  std::function<void()> peerUpdate;    // set by the backend

  // Every control in stacking order: the one listed earlier lies above.
  const std::vector<Control*>& controls() const { return controls_; }
  // By layout name, in UTF-8 or GBK; null when the window has none of that name.
  Control* Find(std::string_view name) const;

 protected:
  std::vector<Control*> controls_;

 private:
  void Changed() { if (peerUpdate) peerUpdate(); }
  const char* title_;
  ControlRect rect_;
  Colour backColour_;
  bool disabled_ = false;
  Bytes background_;
  int backgroundVersion_ = 0;
  bool destroyed_ = false;
};

// Could a user reach the control with the mouse now: visible, on the page on show,
// nothing on the way up disabled or hidden, and not entirely out of the window.
bool UserCanReach(const Window& window, const Control& control);
