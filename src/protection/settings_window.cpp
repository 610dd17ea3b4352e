#include "protection/settings_window.h"

#include "protection/password.h"
#include "storage/settings_table.h"
#include "ui/dialogs.h"

ProtectionSettings& SettingsWindowCopy() {
  static ProtectionSettings copy;
  return copy;
}

void SettingsWindowCreated(Program& program) {
  if (!program.settingsWindow) return;
  SettingsWindow& w = *program.settingsWindow;
  ProtectionSettings& copy = SettingsWindowCopy();
  // On failure the message has been shown. The login panel would take whatever the
  // copy last held (at first an empty password), so the window closes instead.
  if (!LoadProtectionSettings(copy, *program.services.messageBox)) {
    CloseSettingsWindow(program);
    return;
  }
  w.选择框_密码开关.SetTicked(copy.passwordCheck == 1);
  w.选择框_声音开关.SetTicked(copy.soundOn == 1);
  if (copy.passwordCheck == 1)
    w.选择夹1.SetDisabled(true);
  else
    w.选择夹2.SetVisible(false);
}

void SettingsLogin(Program& program) {
  if (!program.settingsWindow) return;
  SettingsWindow& w = *program.settingsWindow;
  if (!VerifyPassword(w.编辑框4.content(), SettingsWindowCopy().password)) {
    MessageBox(program.services, GBK("密码错误"), 0x10, GBK("提示"));
    w.编辑框4.SetContent(Text());
    return;
  }
  w.编辑框4.SetContent(Text());
  w.选择夹1.SetDisabled(false);
  w.选择夹2.SetVisible(false);
}

void ShowOrMaskPasswords(Program& program) {
  if (!program.settingsWindow) return;
  SettingsWindow& w = *program.settingsWindow;
  const int mode = w.选择框1.ticked() ? EditBox::kNormal : EditBox::kPassword;
  for (EditBox* box : {&w.编辑框1, &w.编辑框2, &w.编辑框3}) box->SetInputMode(mode);
}

void CloseSettings(Program& program) { CloseSettingsWindow(program); }
