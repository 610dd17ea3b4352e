#include "win32/control_peers.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "base/wide_text.h"
#include "win32/button_peers.h"
#include "win32/choice_peers.h"
#include "win32/peer_support.h"
#include "win32/text_peers.h"
#include "win32/window_class.h"

namespace {
const wchar_t kPageClass[] = L"VinkaboTabPage";

// Child ids start above IDOK and IDCANCEL, which the dialog keys send.
int nextChildId = 100;

// Our peers are found from their HWNDs by this property; the windows of the board and
// the web box, made elsewhere, have none, whatever their own user data holds.
const wchar_t kPeerProperty[] = L"VinkaboPeer";
}  // namespace

ControlPeer* PeerOf(HWND hwnd) {
  return hwnd ? static_cast<ControlPeer*>(GetPropW(hwnd, kPeerProperty)) : nullptr;
}

void ForgetPeer(HWND hwnd) { RemovePropW(hwnd, kPeerProperty); }

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
      ForgetPeer(hwnd);
      break;
    default:
      if (HandleChildMessage(message, wParam, lParam, result)) return result;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

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
      return MakeButtonPeer(static_cast<Button&>(c), window, tab, parent, fonts);
    case ControlKind::GraphicButton:
      return MakeGraphicButtonPeer(static_cast<GraphicButton&>(c), window, parent);
    case ControlKind::Label:
      return MakeLabelPeer(static_cast<Label&>(c), window, tab, parent, fonts);
    case ControlKind::EditBox:
      return MakeEditBoxPeer(static_cast<EditBox&>(c), window, tab, parent, fonts);
    case ControlKind::CheckBox:
      return MakeCheckBoxPeer(static_cast<CheckBox&>(c), window, tab, parent, fonts);
    case ControlKind::ComboBox:
      return MakeComboBoxPeer(static_cast<ComboBox&>(c), window, tab, parent, fonts);
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
  RegisterProgramClass(kPageClass, &PageProc);
  RegisterLabelClass();
  RegisterGraphicButtonClass();
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
      // A window of its own over everything, owned by this one; it only reads the model.
      if (auto balloon = CreateBalloonWindow(static_cast<BalloonTip&>(*c), window.hwnd))
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
