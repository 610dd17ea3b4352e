#include "win32/button_peers.h"

#include <commctrl.h>

#include "base/wide_text.h"
#include "win32/peer_support.h"
#include "win32/window_class.h"

namespace {
const wchar_t kGraphicButtonClass[] = L"VinkaboGraphicButton";

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
    // The text is never painted; it is the name a screen reader reads.
    Attach(MakeChild(kGraphicButtonClass, WideFromGbk(model.spokenName()).c_str(), 0, 0, parent), nullptr);
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
        ForgetPeer(hwnd_);
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  DibPicture normal_, hover_, pressed_;
  int pictureVersion_ = -1;
  bool hover_state_ = false, captured_ = false, tracking_ = false;
};
}  // namespace

std::unique_ptr<ControlPeer> MakeButtonPeer(Button& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                            FontCache& fonts) {
  return std::make_unique<ButtonPeer>(model, window, tab, parent, fonts);
}

std::unique_ptr<ControlPeer> MakeGraphicButtonPeer(GraphicButton& model, OpenWindow& window, HWND parent) {
  return std::make_unique<GraphicButtonPeer>(model, window, parent);
}

void RegisterGraphicButtonClass() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterProgramClass(kGraphicButtonClass, &GraphicButtonPeer::Proc);
}
