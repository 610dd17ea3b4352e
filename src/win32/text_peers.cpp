#include "win32/text_peers.h"

#include "base/wide_text.h"
#include "win32/peer_support.h"
#include "win32/window_class.h"

namespace {
const wchar_t kLabelClass[] = L"VinkaboLabel";

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
        ForgetPeer(hwnd);
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
}  // namespace

std::unique_ptr<ControlPeer> MakeLabelPeer(Label& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                           FontCache& fonts) {
  return std::make_unique<LabelPeer>(model, window, tab, parent, fonts);
}

std::unique_ptr<ControlPeer> MakeEditBoxPeer(EditBox& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                             FontCache& fonts) {
  return std::make_unique<EditBoxPeer>(model, window, tab, parent, fonts);
}

void RegisterLabelClass() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterProgramClass(kLabelClass, &LabelPeer::Proc);
}
