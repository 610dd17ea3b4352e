#include "win32/board_accessible.h"

#include <oleacc.h>

#include <string>
#include <vector>

#include "base/wide_text.h"
#include "ui/sprite_board.h"

namespace {

// "按下": the press, as a screen reader names a button's default action.
const wchar_t kPress[] = L"\u6309\u4e0b";

class BoardAccessible final : public IAccessible {
 public:
  BoardAccessible(HWND hwnd, std::function<SpriteBoardModel*()> model) : hwnd_(hwnd), model_(std::move(model)) {}

  // --- IUnknown ---
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  // --- IDispatch: clients call the IAccessible methods directly ---
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // --- the tree ---
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    return AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<long>(Items().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    BoardItem item;
    return Child(child, item) ? S_FALSE : E_INVALIDARG;  // simple elements: no object of their own
  }

  // --- what each one is ---
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (IsSelf(child)) return S_FALSE;
    BoardItem item;
    if (!Child(child, item)) return E_INVALIDARG;
    return Give(item.name, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (!value) return E_POINTER;
    *value = nullptr;
    BoardItem item;
    if (IsSelf(child)) return DISP_E_MEMBERNOTFOUND;
    if (!Child(child, item)) return E_INVALIDARG;
    return item.role == BoardItemRole::Text ? Give(item.name, value) : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (!description) return E_POINTER;
    *description = nullptr;
    if (IsSelf(child)) return S_FALSE;
    BoardItem item;
    if (!Child(child, item)) return E_INVALIDARG;
    return item.description.empty() ? S_FALSE : Give(item.description, description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    VariantInit(role);
    long r = ROLE_SYSTEM_CLIENT;
    if (!IsSelf(child)) {
      BoardItem item;
      if (!Child(child, item)) return E_INVALIDARG;
      r = item.role == BoardItemRole::Text ? ROLE_SYSTEM_STATICTEXT : ROLE_SYSTEM_PUSHBUTTON;
    }
    role->vt = VT_I4;
    role->lVal = r;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    VariantInit(state);
    BoardItem item;
    if (!IsSelf(child) && !Child(child, item)) return E_INVALIDARG;
    long s = 0;
    if (!Takes()) s |= STATE_SYSTEM_UNAVAILABLE;
    if (!IsWindowVisible(hwnd_)) s |= STATE_SYSTEM_INVISIBLE;
    state->vt = VT_I4;
    state->lVal = s;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
    if (help) *help = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* keys) override {
    if (keys) *keys = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    VariantInit(focus);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!action) return E_POINTER;
    *action = nullptr;
    BoardItem item;
    if (IsSelf(child)) return S_FALSE;
    if (!Child(child, item)) return E_INVALIDARG;
    if (item.role != BoardItemRole::Button) return S_FALSE;
    *action = SysAllocString(kPress);
    return *action ? S_OK : E_OUTOFMEMORY;
  }

  // --- where, and doing ---
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    RECT r{};
    if (IsSelf(child)) {
      GetClientRect(hwnd_, &r);
    } else {
      BoardItem item;
      SpriteBoardModel* m = model_();
      const Sprite* s = m && Child(child, item) ? m->Find(item.sprite) : nullptr;
      if (!s) return E_INVALIDARG;
      const BoardRect b = s->Rect();
      r = {b.left, b.top, b.left + b.width, b.top + b.height};
    }
    POINT corner{r.left, r.top};
    ClientToScreen(hwnd_, &corner);
    *left = corner.x, *top = corner.y, *width = r.right - r.left, *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
    if (end) VariantInit(end);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    if (!child) return E_POINTER;
    VariantInit(child);
    POINT p{x, y};
    ScreenToClient(hwnd_, &p);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    if (SpriteBoardModel* m = model_()) {
      const int hit = m->HitTest(p.x, p.y);
      const std::vector<BoardItem> items = Items();
      for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].sprite == hit) child->lVal = static_cast<long>(i + 1);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    BoardItem item;
    if (IsSelf(child)) return DISP_E_MEMBERNOTFOUND;
    if (!Child(child, item)) return E_INVALIDARG;
    if (item.role != BoardItemRole::Button) return DISP_E_MEMBERNOTFOUND;
    // The press comes from the message loop, as a click does: its handler may open a
    // modal box, and the caller must have its answer first.
    return PostMessageW(hwnd_, kPressSpriteMessage, static_cast<WPARAM>(item.sprite), 0) ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  std::vector<BoardItem> Items() const {
    SpriteBoardModel* m = model_();
    return m ? ShownItems(*m) : std::vector<BoardItem>{};
  }
  static bool IsSelf(const VARIANT& v) { return v.vt == VT_I4 && v.lVal == CHILDID_SELF; }
  bool Child(const VARIANT& v, BoardItem& item) const {
    if (v.vt != VT_I4 || v.lVal < 1) return false;
    std::vector<BoardItem> items = Items();
    if (v.lVal > static_cast<long>(items.size())) return false;
    item = std::move(items[v.lVal - 1]);
    return true;
  }
  bool Takes() const {
    SpriteBoardModel* m = model_();
    return m && !m->disabled && IsWindowEnabled(hwnd_);
  }
  static HRESULT Give(const Text& gbk, BSTR* out) {
    const std::wstring wide = WideFromGbk(gbk);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  LONG refs_ = 1;
  HWND hwnd_;
  std::function<SpriteBoardModel*()> model_;
};

}  // namespace

LRESULT AnswerGetObject(HWND board, WPARAM wp, LPARAM lp, std::function<SpriteBoardModel*()> model) {
  if (static_cast<LONG>(lp) != static_cast<LONG>(OBJID_CLIENT)) return DefWindowProcW(board, WM_GETOBJECT, wp, lp);
  auto* object = new BoardAccessible(board, std::move(model));
  const LRESULT answer = LresultFromObject(IID_IAccessible, wp, object);
  object->Release();  // the answer holds its own reference
  return answer;
}
