#pragma once
// The Win32 peers of the control model: one native control per control at the layout's
// geometry, mirroring the model whenever it changes and handing user input back to the
// model as its User... actions. Page children are children of their page's window.

#include <windows.h>

#include "forms/controls.h"
#include "win32/fonts.h"
#include "win32/open_window.h"

class TabPeer;

class ControlPeer {
 public:
  ControlPeer(Control& model, OpenWindow& window, TabPeer* tab)
      : model_(model), window_(window), tab_(tab) {}
  virtual ~ControlPeer() = default;
  ControlPeer(const ControlPeer&) = delete;
  ControlPeer& operator=(const ControlPeer&) = delete;

  HWND hwnd() const { return hwnd_; }
  Control& model() const { return model_; }
  OpenWindow& window() const { return window_; }
  bool alive() const { return *window_.alive; }

  // Geometry, visibility, the disabled state and the kind's own settings.
  void Sync();

  // Messages the parent receives for this control.
  virtual void Command(int /*code*/) {}
  virtual LRESULT Notify(const NMHDR& /*header*/) { return 0; }
  virtual bool DrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // Colours of an edit box or a check box: null leaves the system's.
  virtual HBRUSH ControlColour(HDC /*dc*/) { return nullptr; }

 protected:
  virtual void SyncOwn() {}
  // The window height of the control (a combo box adds its drop-down list).
  virtual int WindowHeight() const { return model_.height(); }
  // Attaches the created HWND: this peer is found from it, and it takes `font`.
  void Attach(HWND hwnd, HFONT font);

  Control& model_;
  OpenWindow& window_;
  TabPeer* tab_;
  HWND hwnd_ = nullptr;
};

// A tab control: its row of titles (hidden under the pages in container mode), and one
// page window per page. A page child's left and top count from the tab control's own
// top-left corner, so children are placed by subtracting where the page area starts.
class TabPeer : public ControlPeer {
 public:
  TabPeer(TabControl& model, OpenWindow& window, HWND parent, FontCache& fonts);
  HWND page(int i) const { return pages_.at(i); }
  int pageCount() const { return static_cast<int>(pages_.size()); }
  int PageTop() const;  // where the page area begins, in the tab control
  bool Disabled() const { return model_.disabled(); }
  LRESULT Notify(const NMHDR& header) override;
  // Children re-place themselves when the page area moves or the tab is disabled.
  std::vector<ControlPeer*> children;

 protected:
  void SyncOwn() override;

 private:
  TabControl& tab() const { return static_cast<TabControl&>(model_); }
  std::vector<HWND> pages_;
  int lastPageTop_ = -1;
  bool lastDisabled_ = false;
};

// Creates the peers of every control of the window under its HWND, in stacking order,
// and connects them. Board windows take `rasterizer` for their sprite texts.
void CreateControlPeers(OpenWindow& window, FontCache& fonts, TextRasterizer* rasterizer);

// What a container window (top-level or tab page) does with the messages its children
// send it. True when handled, with the result in `result`.
bool HandleChildMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Registers the window classes of the peers drawn here (labels, graphic buttons, tab
// pages). Once per process.
void RegisterPeerClasses();

// Modifier keys as the program reads them: 1 Ctrl, 2 Shift, 4 Alt.
int ModifierKeys(WPARAM mouseKeys);

// The program's colour (0x00BBGGRR) as GDI's: the same packing.
inline COLORREF ToColorRef(Colour c) { return static_cast<COLORREF>(c & 0xFFFFFFu); }

// Paints a top to bottom gradient through three colours (kDefaultColour: white).
void FillGradient(HDC dc, const RECT& rect, const Colour colours[3]);
