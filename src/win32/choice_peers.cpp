#include "win32/choice_peers.h"

#include <algorithm>

#include "base/wide_text.h"
#include "win32/peer_support.h"

namespace {

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
}  // namespace

std::unique_ptr<ControlPeer> MakeCheckBoxPeer(CheckBox& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                              FontCache& fonts) {
  return std::make_unique<CheckBoxPeer>(model, window, tab, parent, fonts);
}

std::unique_ptr<ControlPeer> MakeComboBoxPeer(ComboBox& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                              FontCache& fonts) {
  return std::make_unique<ComboBoxPeer>(model, window, tab, parent, fonts);
}
