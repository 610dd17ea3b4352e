#pragma once
// The real dialogs: message box, input box, open-file dialog, pointer position.

#include <QSize>
#include <QWidget>
#include <functional>

#include "ui/services.h"

// Each dialog belongs to the window it blocks, which `owner` names when it is shown
// (the program's top window; unset or null: no owner). It stays above that window
// and the desktop places it over it.
using DialogOwner = std::function<QWidget*()>;

class QtMessageBox : public MessageBoxService {
 public:
  int Show(const Text& text, int flags, const Text* caption) override;
  DialogOwner owner;
};

class QtInputBox : public InputBoxService {
 public:
  bool Ask(const Text* prompt, const Text* title, const Text& initial, Text& target,
           int inputMode) override;
  // The dialog's size: 252 x 92 dialog units with a prompt, 214 x 56 without, in the
  // dialog font 宋体 9 point.
  static QSize DialogSize(bool withPrompt);
  DialogOwner owner;
};

class QtFileDialog : public FileDialogService {
 public:
  bool Open(const Text& initialDirectory, Text& fileName) override;
  DialogOwner owner;
};

class QtPointer : public PointerService {
 public:
  int PointerX() override;
  int PointerY() override;
};

// The object names the dialogs give their parts, for tests that drive them.
inline constexpr const char kInputBoxName[] = "inputBox";
inline constexpr const char kInputEditName[] = "inputEdit";
inline constexpr const char kInputPromptName[] = "inputPrompt";
inline constexpr const char kInputOkName[] = "inputOk";
inline constexpr const char kInputCancelName[] = "inputCancel";
