#include "win32/control_peers.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "base/wide_text.h"

namespace {
const wchar_t kLabelClass[] = L"VinkaboLabel";
const wchar_t kGraphicButtonClass[] = L"VinkaboGraphicButton";
const wchar_t kPageClass[] = L"VinkaboTabPage";

// Child ids start above IDOK and IDCANCEL, which the dialog keys send.
int nextChildId = 100;

// Our peers are found from their HWNDs by this property; the windows of the board and
// the web box, made elsewhere, have none, whatever their own user data holds.
const wchar_t kPeerProperty[] = L"VinkaboPeer";

ControlPeer* PeerOf(HWND hwnd) {
  return hwnd ? static_cast<ControlPeer*>(GetPropW(hwnd, kPeerProperty)) : nullptr;
}

std::wstring WindowTextOf(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(0, got)));
  return text;
}

HWND MakeChild(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle, HWND parent) {
  return CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextChildId++)),
                         GetModuleHandleW(nullptr), nullptr);
}
}  // namespace

int ModifierKeys(WPARAM keys) {
  return (keys & MK_CONTROL ? 1 : 0) | (keys & MK_SHIFT ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

void FillGradient(HDC dc, const RECT& rect, const Colour colours[3]) {
  const int height = rect.bottom - rect.top;
  if (height <= 0) return;
  auto channel = [](Colour c, int shift) {
    return c == kDefaultColour ? 255 : static_cast<int>((c >> shift) & 0xFF);
  };
  for (int y = 0; y < height; ++y) {
    // Position along the gradient, 0 at the top row and 2 at the bottom one.
    const double t = height > 1 ? 2.0 * y / (height - 1) : 0.0;
    const int seg = t < 1.0 ? 0 : 1;
    const double f = t - seg;
    int rgb[3];
    for (int k = 0; k < 3; ++k) {
      const int a = channel(colours[seg], 8 * k), b = channel(colours[seg + 1], 8 * k);
      rgb[k] = static_cast<int>(a + (b - a) * f + 0.5);
    }
    HBRUSH brush = CreateSolidBrush(RGB(rgb[0], rgb[1], rgb[2]));
    RECT row{rect.left, rect.top + y, rect.right, rect.top + y + 1};
    FillRect(dc, &row, brush);
    DeleteObject(brush);
  }
}

void PaintParentBackground(HWND child, HDC dc) {
  HWND parent = GetParent(child);
  if (!parent) return;
  POINT origin{0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  POINT old;
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
  SendMessageW(parent, kPaintBackgroundMessage, reinterpret_cast<WPARAM>(dc), 0);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

// ---- common ----

void ControlPeer::Attach(HWND hwnd, HFONT font) {
  hwnd_ = hwnd;
  if (!hwnd) return;
  SetPropW(hwnd, kPeerProperty, this);
  if (font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void ControlPeer::Sync() {
  if (!alive() || !hwnd_) return;
  const int top = model_.top() - (tab_ ? tab_->PageTop() : 0);
  SetWindowPos(hwnd_, nullptr, model_.left(), top, model_.width(), WindowHeight(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  // A disabled tab control also disables the controls on its pages.
  const bool enabled = !model_.disabled() && !(tab_ && tab_->Disabled());
  if (!IsWindowEnabled(hwnd_) != !enabled) EnableWindow(hwnd_, enabled);
  SyncOwn();
  const bool shown = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != model_.visible()) ShowWindow(hwnd_, model_.visible() ? SW_SHOWNA : SW_HIDE);
}

// ---- tab control ----

TabPeer::TabPeer(TabControl& model, OpenWindow& window, HWND parent, FontCache& fonts)
    : ControlPeer(model, window, nullptr) {
  HWND hwnd = MakeChild(WC_TABCONTROLW, L"", WS_CLIPCHILDREN | WS_TABSTOP, WS_EX_CONTROLPARENT, parent);
  Attach(hwnd, fonts.Default());
  for (size_t i = 0; i < model.pages().size(); ++i) {
    std::wstring title = WideFromGbk(model.pages()[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    SendMessageW(hwnd, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    HWND page = MakeChild(kPageClass, L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, hwnd);
    SetPropW(page, kPeerProperty, static_cast<ControlPeer*>(this));
    pages_.push_back(page);
  }
}

int TabPeer::PageTop() const {
  if (tab().containerMode() != 0 || pages_.empty() || !hwnd_) return 0;
  RECT item{};
  if (!SendMessageW(hwnd_, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.bottom;
}

void TabPeer::SyncOwn() {
  if (SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0) != tab().currentPage())
    SendMessageW(hwnd_, TCM_SETCURSEL, tab().currentPage(), 0);
  const int pageTop = PageTop();
  RECT client;
  GetClientRect(hwnd_, &client);
  for (int i = 0; i < pageCount(); ++i) {
    SetWindowPos(pages_[i], nullptr, 0, pageTop, client.right, std::max(0L, client.bottom - pageTop),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    EnableWindow(pages_[i], !model_.disabled());
    ShowWindow(pages_[i], i == tab().currentPage() ? SW_SHOWNA : SW_HIDE);
  }
  if (pageTop != lastPageTop_ || model_.disabled() != lastDisabled_) {
    lastPageTop_ = pageTop;
    lastDisabled_ = model_.disabled();
    for (ControlPeer* child : children) child->Sync();
  }
}

LRESULT TabPeer::Notify(const NMHDR& header) {
  if (header.code == static_cast<UINT>(TCN_SELCHANGE) && alive()) {
    const int i = static_cast<int>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0));
    // Refused (container mode): the control shows the model's page again.
    if (!tab().UserSelectPage(i) && alive()) Sync();
  }
  return 0;
}

namespace {

// A tab page: button face inside a raised frame, the parent of the page's children.
LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* tab = static_cast<TabPeer*>(PeerOf(hwnd));
  DepthGuard guard(tab ? &tab->window() : nullptr);
  LRESULT result = 0;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case kPaintBackgroundMessage:
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = message == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wParam);
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
      if (message == WM_PAINT) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      RemovePropW(hwnd, kPeerProperty);
      break;
    default:
      if (HandleChildMessage(message, wParam, lParam, result)) return result;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---- buttons ----

class ButtonPeer : public ControlPeer {
 public:
  ButtonPeer(Button& model, OpenWindow& window, TabPeer* tab, HWND parent, FontCache& fonts)
      : ControlPeer(model, window, tab) {
    Attach(MakeChild(L"BUTTON", L"", BS_PUSHBUTTON | WS_TABSTOP, 0, parent), fonts.Default());
    SetWindowSubclass(hwnd_, &ButtonPeer::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~ButtonPeer() override {
    if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, &ButtonPeer::SubclassProc, 1);
  }
  void Command(int code) override {
    if (code == BN_CLICKED && alive()) button().UserClick();
  }
  bool DrawItem(const DRAWITEMSTRUCT& item) override {
    // Only the picture, centred as Windows shows a bitmap button's; what it does not
    // cover shows the window behind.
    PaintParentBackground(hwnd_, item.hDC);
    RECT rc = item.rcItem;
    picture_.Draw(item.hDC, (rc.right - rc.left - picture_.width()) / 2,
                  (rc.bottom - rc.top - picture_.height()) / 2);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
      InflateRect(&rc, -2, -2);
      DrawFocusRect(item.hDC, &rc);
    }
    return true;
  }

 protected:
  void SyncOwn() override {
    if (pictureVersion_ != button().pictureVersion()) {
      pictureVersion_ = button().pictureVersion();
      picture_ = DibPicture::Decode(button().picture());
      // A picture takes the place of the caption.
      SendMessageW(hwnd_, BM_SETSTYLE, picture_.empty() ? BS_PUSHBUTTON : BS_OWNERDRAW, TRUE);
      InvalidateRect(hwnd_, nullptr, TRUE);
    }
    std::wstring caption = WideFromGbk(button().caption());
    if (WindowTextOf(hwnd_) != caption) SetWindowTextW(hwnd_, caption.c_str());
  }

 private:
  Button& button() const { return static_cast<Button&>(model_); }

  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<ButtonPeer*>(data);
    DepthGuard guard(&self->window());
    LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_MOUSEMOVE && self->alive())
      self->button().UserPointerMove(static_cast<short>(LOWORD(lParam)),
                                     static_cast<short>(HIWORD(lParam)), ModifierKeys(wParam));
    return result;
  }

  DibPicture picture_;
  int pictureVersion_ = -1;
};

// A button drawn from its three pictures: normal, the pointer over it, pressed.
class GraphicButtonPeer : public ControlPeer {
 public:
  GraphicButtonPeer(GraphicButton& model, OpenWindow& window, HWND parent)
      : ControlPeer(model, window, nullptr) {
    Attach(MakeChild(kGraphicButtonClass, L"", 0, 0, parent), nullptr);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<GraphicButtonPeer*>(PeerOf(hwnd));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    DepthGuard guard(&self->window());
    return self->Handle(message, wParam, lParam);
  }

 protected:
  void SyncOwn() override {
    GraphicButton& m = static_cast<GraphicButton&>(model_);
    if (pictureVersion_ == m.pictureVersion()) return;
    pictureVersion_ = m.pictureVersion();
    normal_ = DibPicture::Decode(m.normalPicture());
    hover_ = DibPicture::Decode(m.hoverPicture());
    pressed_ = DibPicture::Decode(m.pressedPicture());
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

 private:
  bool PointerInside(LPARAM lParam) const {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return PtInRect(&rc, p);
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        PaintParentBackground(hwnd_, dc);
        const DibPicture* picture = &normal_;
        if (captured_ && hover_state_ && !pressed_.empty()) picture = &pressed_;
        else if (hover_state_ && !hover_.empty()) picture = &hover_;
        picture->Draw(dc, 0, 0);
        EndPaint(hwnd_, &ps);
        return 0;
      }
      case WM_MOUSEMOVE: {
        const bool inside = PointerInside(lParam);
        if (inside != hover_state_) {
          hover_state_ = inside;
          InvalidateRect(hwnd_, nullptr, FALSE);
        }
        if (inside && !tracking_) {
          TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
          tracking_ = TrackMouseEvent(&track);
        }
        return 0;
      }
      case WM_MOUSELEAVE:
        tracking_ = false;
        if (!captured_ && hover_state_) {
          hover_state_ = false;
          InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        SetCapture(hwnd_);
        captured_ = true;
        hover_state_ = true;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_LBUTTONUP: {
        if (!captured_) return 0;
        const bool inside = PointerInside(lParam);
        captured_ = false;
        ReleaseCapture();
        hover_state_ = inside;
        InvalidateRect(hwnd_, nullptr, FALSE);
        // Last: the click may destroy the window.
        if (inside && alive()) static_cast<GraphicButton&>(model_).UserClick();
        return 0;
      }
      case WM_CAPTURECHANGED:
        if (captured_) {
          captured_ = false;
          InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
      case WM_NCDESTROY:
        RemovePropW(hwnd_, kPeerProperty);
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  DibPicture normal_, hover_, pressed_;
  int pictureVersion_ = -1;
  bool hover_state_ = false, captured_ = false, tracking_ = false;
};

// ---- labels ----

class LabelPeer : public ControlPeer {
 public:
  LabelPeer(Label& model, OpenWindow& window, TabPeer* tab, HWND parent, FontCache& fonts)
      : ControlPeer(model, window, tab), font_(fonts.Get(model.font)) {
    Attach(MakeChild(kLabelClass, L"", 0, 0, parent), nullptr);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<LabelPeer*>(PeerOf(hwnd));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    DepthGuard guard(&self->window());
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_NCDESTROY:
        RemovePropW(hwnd, kPeerProperty);
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

 protected:
  void SyncOwn() override {
    std::wstring caption = WideFromGbk(label().caption());
    if (caption != caption_) {
      caption_ = std::move(caption);
      InvalidateRect(hwnd_, nullptr, FALSE);
    }
  }

 private:
  Label& label() const { return static_cast<Label&>(model_); }

  void Paint(HDC dc) {
    const Label& m = label();
    RECT rc;
    GetClientRect(hwnd_, &rc);
    if (m.gradient.mode == 1) {
      FillGradient(dc, rc, m.gradient.colours);
    } else if (m.backColour != kDefaultColour) {
      HBRUSH brush = CreateSolidBrush(ToColorRef(m.backColour));
      FillRect(dc, &rc, brush);
      DeleteObject(brush);
    } else {
      PaintParentBackground(hwnd_, dc);  // transparent
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m.textColour != kDefaultColour ? ToColorRef(m.textColour)
                                                    : GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = SelectObject(dc, font_);
    // Only a label tall enough for two lines wraps; a one-line label cuts its text.
    const int lineHeight = m.font.height > 0 ? m.font.height : kDefaultFontHeight;
    UINT format = DT_LEFT | DT_TOP | DT_NOPREFIX;
    format |= m.height() >= 2 * lineHeight + 4 ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE;
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &rc, format);
    SelectObject(dc, old);
  }

  HFONT font_;
  std::wstring caption_;
};

// ---- edit boxes ----

class EditBoxPeer : public ControlPeer {
 public:
  EditBoxPeer(EditBox& model, OpenWindow& window, TabPeer* tab, HWND parent, FontCache& fonts)
      : ControlPeer(model, window, tab) {
    DWORD style = ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP;
    DWORD exStyle = 0;
    switch (model.border) {
      case Border::None: break;
      case Border::Single: style |= WS_BORDER; break;
      case Border::ShallowSunken: exStyle |= WS_EX_STATICEDGE; break;
      case Border::Default:
      case Border::Sunken: exStyle |= WS_EX_CLIENTEDGE; break;
    }
    Attach(MakeChild(L"EDIT", L"", style, exStyle, parent), fonts.Get(model.font));
    if (model.backColour != kDefaultColour) brush_ = CreateSolidBrush(ToColorRef(model.backColour));
  }
  ~EditBoxPeer() override {
    if (brush_) DeleteObject(brush_);
  }

  void Command(int code) override {
    // The user typed (not the program's own SetWindowText below).
    if (code == EN_CHANGE && !syncing_ && alive()) edit().UserType(GbkFromWide(WindowTextOf(hwnd_)));
  }

  HBRUSH ControlColour(HDC dc) override {
    const EditBox& m = edit();
    if (m.textColour == kDefaultColour && !brush_) return nullptr;
    SetTextColor(dc, m.textColour != kDefaultColour ? ToColorRef(m.textColour) : GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, brush_ ? ToColorRef(m.backColour) : GetSysColor(COLOR_WINDOW));
    return brush_ ? brush_ : GetSysColorBrush(COLOR_WINDOW);
  }

 protected:
  void SyncOwn() override {
    syncing_ = true;
    const wchar_t mask = edit().masked() ? L'*' : 0;
    if (SendMessageW(hwnd_, EM_GETPASSWORDCHAR, 0, 0) != static_cast<LRESULT>(mask)) {
      SendMessageW(hwnd_, EM_SETPASSWORDCHAR, mask, 0);
      InvalidateRect(hwnd_, nullptr, TRUE);
    }
    // Only when it differs: setting the same text would move the caret to the start.
    std::wstring text = WideFromGbk(edit().content());
    if (WindowTextOf(hwnd_) != text) SetWindowTextW(hwnd_, text.c_str());
    syncing_ = false;
  }

 private:
  EditBox& edit() const { return static_cast<EditBox&>(model_); }
  HBRUSH brush_ = nullptr;
  bool syncing_ = false;
};

// ---- check boxes ----

class CheckBoxPeer : public ControlPeer {
 public:
  CheckBoxPeer(CheckBox& model, OpenWindow& window, TabPeer* tab, HWND parent, FontCache& fonts)
      : ControlPeer(model, window, tab) {
    Attach(MakeChild(L"BUTTON", WideFromGbk(model.caption()), BS_AUTOCHECKBOX | WS_TABSTOP, 0, parent),
           fonts.Default());
  }
  void Command(int code) override {
    // The box has ticked itself; the model toggles too and the sync below agrees.
    if (code == BN_CLICKED && alive()) static_cast<CheckBox&>(model_).UserClick();
  }

 protected:
  void SyncOwn() override {
    const WPARAM state = static_cast<CheckBox&>(model_).ticked() ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0)) != state)
      SendMessageW(hwnd_, BM_SETCHECK, state, 0);
  }
};

// ---- combo boxes ----

class ComboBoxPeer : public ControlPeer {
 public:
  ComboBoxPeer(ComboBox& model, OpenWindow& window, TabPeer* tab, HWND parent, FontCache& fonts)
      : ControlPeer(model, window, tab) {
    Attach(MakeChild(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, parent),
           fonts.Default());
    for (size_t i = 0; i < model.items().size(); ++i) {
      std::wstring item = WideFromGbk(model.items()[i]);
      const LRESULT at = SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      if (at >= 0) SendMessageW(hwnd_, CB_SETITEMDATA, at, static_cast<LPARAM>(i));
    }
  }
  void Command(int code) override {
    if (code != CBN_SELCHANGE || !alive()) return;
    const LRESULT at = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    if (at == CB_ERR) return;
    static_cast<ComboBox&>(model_).UserChoose(static_cast<int>(SendMessageW(hwnd_, CB_GETITEMDATA, at, 0)));
  }

 protected:
  // The window's height includes the list that drops down: room for every item.
  int WindowHeight() const override {
    const int items = static_cast<int>(static_cast<ComboBox&>(model_).items().size());
    return model_.height() + std::max(1, items) * (kDefaultFontHeight + 4) + 4;
  }
  void SyncOwn() override {
    const int selection = static_cast<ComboBox&>(model_).selection();
    if (SendMessageW(hwnd_, CB_GETCURSEL, 0, 0) != selection) SendMessageW(hwnd_, CB_SETCURSEL, selection, 0);
  }
};

// ---- peers with windows made elsewhere ----

class BoardPeer : public ControlPeer {
 public:
  BoardPeer(SpriteBoard& model, OpenWindow& window, TabPeer* tab, HWND parent) : ControlPeer(model, window, tab) {
    hwnd_ = CreateBoardWindow(model, parent, window.alive);
  }

 protected:
  void SyncOwn() override {
    auto& m = static_cast<SpriteBoard&>(model_);
    m.model.disabled = m.disabled();
  }
};

class WebBoxPeer : public ControlPeer {
 public:
  WebBoxPeer(WebBox& model, OpenWindow& window, TabPeer* tab, HWND parent) : ControlPeer(model, window, tab) {
    // Without the system's web browser control the program runs on without the box.
    if (std::unique_ptr<WebBoxHost> host = CreateWebBoxHost(model, parent, window.alive)) {
      host_ = host.get();
      hwnd_ = host->window();
      window.webBoxes.push_back(std::move(host));
    }
  }

 protected:
  void SyncOwn() override {
    if (host_) host_->SetShown(model_.visible());
  }

 private:
  WebBoxHost* host_ = nullptr;
};

std::unique_ptr<ControlPeer> MakePeer(Control& c, OpenWindow& window, TabPeer* tab, HWND parent,
                                      FontCache& fonts, TextRasterizer* rasterizer) {
  switch (c.kind()) {
    case ControlKind::Button:
      return std::make_unique<ButtonPeer>(static_cast<Button&>(c), window, tab, parent, fonts);
    case ControlKind::GraphicButton:
      return std::make_unique<GraphicButtonPeer>(static_cast<GraphicButton&>(c), window, parent);
    case ControlKind::Label:
      return std::make_unique<LabelPeer>(static_cast<Label&>(c), window, tab, parent, fonts);
    case ControlKind::EditBox:
      return std::make_unique<EditBoxPeer>(static_cast<EditBox&>(c), window, tab, parent, fonts);
    case ControlKind::CheckBox:
      return std::make_unique<CheckBoxPeer>(static_cast<CheckBox&>(c), window, tab, parent, fonts);
    case ControlKind::ComboBox:
      return std::make_unique<ComboBoxPeer>(static_cast<ComboBox&>(c), window, tab, parent, fonts);
    case ControlKind::SpriteBoard: {
      auto& m = static_cast<SpriteBoard&>(c);
      m.model.rasterizer = rasterizer;
      return std::make_unique<BoardPeer>(m, window, tab, parent);
    }
    case ControlKind::WebBox:
      return std::make_unique<WebBoxPeer>(static_cast<WebBox&>(c), window, tab, parent);
    default:
      return nullptr;  // file dialog, balloon tip, sprite template: nothing on screen
  }
}

void Connect(ControlPeer* peer, Control& c, const Liveness& alive) {
  c.peerUpdate = [peer, alive] {
    if (*alive) peer->Sync();
  };
  peer->Sync();
}
}  // namespace

bool HandleChildMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      // lParam 0: a menu or the dialog keys' IDOK/IDCANCEL, which no control sent.
      ControlPeer* peer = PeerOf(reinterpret_cast<HWND>(lParam));
      if (!peer) return false;
      peer->Command(HIWORD(wParam));
      result = 0;
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      ControlPeer* peer = header ? PeerOf(header->hwndFrom) : nullptr;
      if (!peer) return false;
      result = peer->Notify(*header);
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      ControlPeer* peer = item ? PeerOf(item->hwndItem) : nullptr;
      if (!peer || !peer->DrawItem(*item)) return false;
      result = TRUE;
      return true;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      ControlPeer* peer = PeerOf(reinterpret_cast<HWND>(lParam));
      HBRUSH brush = peer ? peer->ControlColour(reinterpret_cast<HDC>(wParam)) : nullptr;
      if (!brush) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
  }
  return false;
}

void RegisterPeerClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpfnWndProc = &LabelPeer::Proc;
  wc.lpszClassName = kLabelClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = &GraphicButtonPeer::Proc;
  wc.lpszClassName = kGraphicButtonClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = &PageProc;
  wc.lpszClassName = kPageClass;
  RegisterClassExW(&wc);
}

void CreateControlPeers(OpenWindow& window, FontCache& fonts, TextRasterizer* rasterizer) {
  RegisterPeerClasses();
  const auto& controls = window.model->controls();
  std::vector<std::pair<Control*, ControlPeer*>> made;
  // Tab controls first: their pages are the parents of their children.
  for (Control* c : controls) {
    if (c->kind() != ControlKind::TabControl) continue;
    auto peer = std::make_unique<TabPeer>(static_cast<TabControl&>(*c), window, window.hwnd, fonts);
    made.emplace_back(c, peer.get());
    window.peers.push_back(std::move(peer));
  }
  auto tabOf = [&](const TabControl* t) -> TabPeer* {
    for (auto& [c, p] : made)
      if (c == t) return static_cast<TabPeer*>(p);
    return nullptr;
  };
  for (Control* c : controls) {
    if (c->kind() == ControlKind::TabControl) continue;
    if (c->kind() == ControlKind::BalloonTip) {
      // A window of its own over everything; it only reads the model.
      if (auto balloon = CreateBalloonWindow(static_cast<BalloonTip&>(*c)))
        window.balloons.push_back(std::move(balloon));
      continue;
    }
    TabPeer* tab = nullptr;
    HWND parent = window.hwnd;
    if (TabControl* t = c->parentTab()) {
      tab = tabOf(t);
      if (tab && c->page() >= 0 && c->page() < tab->pageCount()) parent = tab->page(c->page());
      else tab = nullptr;
    }
    auto peer = MakePeer(*c, window, tab, parent, fonts, rasterizer);
    if (!peer) continue;
    if (tab) tab->children.push_back(peer.get());
    made.emplace_back(c, peer.get());
    window.peers.push_back(std::move(peer));
  }
  for (auto& [c, peer] : made) {
    // Boards and web boxes come from elsewhere: they too must respect their siblings.
    if (HWND h = peer->hwnd())
      SetWindowLongPtrW(h, GWL_STYLE, GetWindowLongPtrW(h, GWL_STYLE) | WS_CLIPSIBLINGS);
    Connect(peer, *c, window.alive);
  }
  // Stacking: a control listed earlier lies above those listed after it.
  for (auto it = controls.rbegin(); it != controls.rend(); ++it)
    for (auto& [c, peer] : made)
      if (c == *it && peer->hwnd())
        SetWindowPos(peer->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
