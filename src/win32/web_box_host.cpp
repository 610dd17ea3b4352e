// The web box: the system's web browser control, hosted in a child window through the
// few OLE interfaces a container must give it, and heard through its event interface.
//
// It shows the start address only. A link the user clicks is handed on (the program
// opens it in the user's browser) and the box stays on its page; any other navigation
// of the page itself (a script, a refresh) is cancelled, and so is every new window.

#include <windows.h>

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/wide_text.h"
#include "win32/parts.h"
#include "win32/web_box_navigation.h"
#include "win32/window_class.h"

namespace {

constexpr wchar_t kWebBoxClass[] = L"VinkaboWebBox";

bool IsButtonMessage(WPARAM msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

// The boxes of this thread, told of every press and release of a mouse button on this
// thread's windows (input elsewhere on the desktop never reaches this hook).
thread_local HHOOK mouseHook = nullptr;
class Win32WebBoxHost;
thread_local std::vector<Win32WebBoxHost*> hookedBoxes;
LRESULT CALLBACK MouseHook(int code, WPARAM wp, LPARAM lp);

std::wstring StringArg(const VARIANT& v) {
  const VARIANT* p = &v;
  if (p->vt == (VT_BYREF | VT_VARIANT) && p->pvarVal) p = p->pvarVal;
  if (p->vt == VT_BSTR && p->bstrVal) return std::wstring(p->bstrVal, SysStringLen(p->bstrVal));
  if (p->vt == (VT_BYREF | VT_BSTR) && p->pbstrVal && *p->pbstrVal)
    return std::wstring(*p->pbstrVal, SysStringLen(*p->pbstrVal));
  return std::wstring();
}

void Cancel(const VARIANT& v) {
  if (v.vt == (VT_BYREF | VT_BOOL) && v.pboolVal) *v.pboolVal = VARIANT_TRUE;
}

class Win32WebBoxHost;

// The container side the browser control talks to: client site, in-place site and
// frame, and the sink of its events. Reference-counted by COM; it outlives the host
// for as long as the control keeps it, and then only answers politely.
class Site : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame, public IDispatch {
 public:
  explicit Site(Win32WebBoxHost* host) : host_(host) {}
  void Forget() { host_ = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) *out = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) *out = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2) *out = static_cast<IDispatch*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
    if (m) *m = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** c) override {
    if (c) *c = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (of both the in-place site and the frame)
  STDMETHODIMP GetWindow(HWND* w) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow, IOleInPlaceFrame: the box has no menus, tools or status bar.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch, for DWebBrowserEvents2
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** t) override {
    if (t) *t = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

 private:
  virtual ~Site() = default;
  ULONG refs_ = 1;
  Win32WebBoxHost* host_;
};

class Win32WebBoxHost : public WebBoxHost {
 public:
  Win32WebBoxHost(WebBox& box, std::shared_ptr<bool> alive) : box_(box), alive_(std::move(alive)) {}
  ~Win32WebBoxHost() override;
  bool Create(HWND parent);

  HWND window() const override { return hwnd_; }
  void SetShown(bool shown) override {
    if (hwnd_ && IsWindow(hwnd_)) ShowWindow(hwnd_, shown ? SW_SHOWNA : SW_HIDE);
  }

  // From the site.
  HWND hwnd() const { return hwnd_; }
  // From the mouse hook: a button went down or up on `target`.
  void Pressed(HWND target) {
    if (hwnd_ && target && (target == hwnd_ || IsChild(hwnd_, target))) click_ = BoxClick{true, GetTickCount()};
  }
  bool BeforeNavigate(IDispatch* frame, const std::wstring& url);  // true: allow
  void NewWindow(const std::wstring& url);
  void DocumentComplete(IDispatch* frame);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool TopFrame(IDispatch* frame) const;
  bool BoxAlive() const { return !alive_ || *alive_; }
  void Fit();

  WebBox& box_;
  std::shared_ptr<bool> alive_;
  HWND hwnd_ = nullptr;
  bool oleInitialized_ = false;
  Site* site_ = nullptr;
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  IConnectionPoint* events_ = nullptr;
  DWORD cookie_ = 0;
  bool ownNavigationPending_ = false;
  BoxClick click_;  // the last click on the box's own windows
};

LRESULT CALLBACK MouseHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && IsButtonMessage(wp)) {
    const HWND target = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lp)->hwnd;
    for (Win32WebBoxHost* box : hookedBoxes) box->Pressed(target);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

STDMETHODIMP Site::GetWindow(HWND* w) {
  if (!w) return E_POINTER;
  *w = host_ ? host_->hwnd() : nullptr;
  return *w ? S_OK : E_FAIL;
}

STDMETHODIMP Site::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                    LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (frame) {
    *frame = this;
    AddRef();
  }
  if (doc) *doc = nullptr;
  RECT client{0, 0, 0, 0};
  if (host_ && host_->hwnd()) GetClientRect(host_->hwnd(), &client);
  if (pos) *pos = client;
  if (clip) *clip = client;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = host_ && host_->hwnd() ? GetAncestor(host_->hwnd(), GA_ROOT) : nullptr;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP Site::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) {
  // Asked by the control (the ambient property) what it may download and run.
  if (id == DISPID_AMBIENT_DLCONTROL) {
    if (!result) return E_POINTER;
    VariantInit(result);
    result->vt = VT_I4;
    result->lVal = static_cast<LONG>(WebBoxDownloadControl());
    return S_OK;
  }
  if (!host_ || !params) return S_OK;
  VARIANTARG* a = params->rgvarg;  // last argument first
  switch (id) {
    case DISPID_BEFORENAVIGATE2:
      // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
      if (params->cArgs >= 7 && !host_->BeforeNavigate(a[6].vt == VT_DISPATCH ? a[6].pdispVal : nullptr,
                                                       StringArg(a[5])))
        Cancel(a[0]);
      break;
    case DISPID_NEWWINDOW3:
      // (ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl)
      if (params->cArgs >= 5) {
        Cancel(a[3]);
        host_->NewWindow(StringArg(a[0]));
      }
      break;
    case DISPID_NEWWINDOW2:
      // (ppDisp, Cancel); the address comes with NewWindow3 where there is one.
      if (params->cArgs >= 2) Cancel(a[0]);
      break;
    case DISPID_DOCUMENTCOMPLETE:
      // (pDisp, URL). The program may end the window in its handler: nothing after.
      if (params->cArgs >= 2) host_->DocumentComplete(a[1].vt == VT_DISPATCH ? a[1].pdispVal : nullptr);
      break;
    default:
      break;
  }
  return S_OK;
}

bool Win32WebBoxHost::TopFrame(IDispatch* frame) const {
  if (!frame || !browser_) return false;
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  bool same = false;
  if (SUCCEEDED(frame->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a))) &&
      SUCCEEDED(browser_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b))))
    same = a == b;
  if (a) a->Release();
  if (b) b->Release();
  return same;
}

bool Win32WebBoxHost::BeforeNavigate(IDispatch* frame, const std::wstring& url) {
  const bool top = TopFrame(frame);
  const bool own = top && ownNavigationPending_;
  if (own) ownNavigationPending_ = false;
  const Navigation verdict = JudgeNavigation(top, own, url, top && !own && SpendClick(click_, GetTickCount()));
  if (verdict == Navigation::kHandOn && BoxAlive()) box_.LinkClicked(GbkFromWide(url));
  return verdict == Navigation::kAllow;
}

void Win32WebBoxHost::NewWindow(const std::wstring& url) {
  if (JudgeNewWindow(url, SpendClick(click_, GetTickCount())) == Navigation::kHandOn && BoxAlive())
    box_.LinkClicked(GbkFromWide(url));
}

void Win32WebBoxHost::DocumentComplete(IDispatch* frame) {
  if (!TopFrame(frame) || !BoxAlive()) return;
  // The zoom applies to a loaded document only.
  VARIANT zoom;
  VariantInit(&zoom);
  zoom.vt = VT_I4;
  zoom.lVal = box_.fontSize < 0 ? 0 : box_.fontSize > 4 ? 4 : box_.fontSize;
  browser_->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &zoom, nullptr);
  box_.PageLoaded();
}

void Win32WebBoxHost::Fit() {
  if (!object_ || !hwnd_) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  IOleInPlaceObject* inPlace = nullptr;
  if (SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
    inPlace->SetObjectRects(&client, &client);
    inPlace->Release();
  }
}

LRESULT CALLBACK Win32WebBoxHost::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32WebBoxHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == WM_SIZE) self->Fit();
  if (self && msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;  // gone with its parent
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool Win32WebBoxHost::Create(HWND parent) {
  const HRESULT init = OleInitialize(nullptr);
  if (FAILED(init)) return false;
  oleInitialized_ = true;

  static const bool registered = RegisterProgramClass(kWebBoxClass, &Win32WebBoxHost::Proc, 0, nullptr,
                                                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  if (!registered) return false;
  DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (box_.visible()) style |= WS_VISIBLE;
  hwnd_ = CreateWindowExW(0, kWebBoxClass, L"", style, box_.left(), box_.top(), box_.width(), box_.height(),
                          parent, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;

  site_ = new Site(this);
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object_))))
    return false;
  if (FAILED(object_->SetClientSite(static_cast<IOleClientSite*>(site_)))) return false;
  // The control reads the download control from its site now, before any page.
  IOleControl* control = nullptr;
  if (SUCCEEDED(object_->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(&control)))) {
    control->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);
    control->Release();
  }
  if (!mouseHook) mouseHook = SetWindowsHookExW(WH_MOUSE, MouseHook, nullptr, GetCurrentThreadId());
  hookedBoxes.push_back(this);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_), 0, hwnd_,
                             &client)))
    return false;
  if (FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_)))) return false;

  IConnectionPointContainer* points = nullptr;
  if (FAILED(browser_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points))))
    return false;
  const HRESULT found = points->FindConnectionPoint(DIID_DWebBrowserEvents2, &events_);
  points->Release();
  if (FAILED(found) || FAILED(events_->Advise(static_cast<IDispatch*>(site_), &cookie_))) return false;

  // The browser's own dialogs (script errors and the like) would stop the whole window
  // until answered: the box keeps quiet.
  browser_->put_Silent(VARIANT_TRUE);
  browser_->put_RegisterAsBrowser(VARIANT_FALSE);
  browser_->put_RegisterAsDropTarget(VARIANT_FALSE);
  Fit();
  if (!box_.startAddress.empty()) {
    BSTR address = SysAllocString(WideFromGbk(box_.startAddress).c_str());
    ownNavigationPending_ = true;
    const HRESULT navigated = browser_->Navigate(address, nullptr, nullptr, nullptr, nullptr);
    SysFreeString(address);
    if (FAILED(navigated)) ownNavigationPending_ = false;
  }
  return true;
}

Win32WebBoxHost::~Win32WebBoxHost() {
  hookedBoxes.erase(std::remove(hookedBoxes.begin(), hookedBoxes.end(), this), hookedBoxes.end());
  if (hookedBoxes.empty() && mouseHook) {
    UnhookWindowsHookEx(mouseHook);
    mouseHook = nullptr;
  }
  if (site_) site_->Forget();
  if (events_) {
    if (cookie_) events_->Unadvise(cookie_);
    events_->Release();
  }
  if (browser_) {
    browser_->Stop();
    browser_->Release();
  }
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_->Release();
  }
  if (site_) site_->Release();
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (oleInitialized_) OleUninitialize();
}

}  // namespace

std::unique_ptr<WebBoxHost> CreateWebBoxHost(WebBox& box, HWND parent, std::shared_ptr<bool> alive) {
  auto host = std::make_unique<Win32WebBoxHost>(box, std::move(alive));
  if (!host->Create(parent)) return nullptr;  // the program runs on without the box
  return host;
}
