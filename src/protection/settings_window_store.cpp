// The settings window's stored changes: the password change and the two switches.
#include "protection/password.h"
#include "protection/settings_window.h"
#include "storage/settings_save.h"
#include "ui/dialogs.h"

namespace {

// A failed save says so and leaves both windows open; nothing was stored.
void SaveFailed(Program& program, const SettingsSaveResult& r) {
  MessageBox(program.services, GBK("修改失败,") + r.errorText, 0x10);
}

// The first failing check shows its message; the boxes keep what was typed.
bool PasswordChangeAcceptable(Program& program, const SettingsWindow& w) {
  Services& s = program.services;
  // With no password stored yet, the empty old password is the right one: without
  // this the first password could never be set.
  if (w.编辑框1.content().empty() && !SettingsWindowCopy().password.empty()) {
    MessageBox(s, GBK("原密码不能为空!"), 0x40);
    return false;
  }
  if (w.编辑框2.content().empty()) {
    MessageBox(s, GBK("新密码不能为空!"), 0x40);
    return false;
  }
  if (w.编辑框3.content().empty()) {
    MessageBox(s, GBK("新密码确认不能为空"), 0x40);
    return false;
  }
  if (!VerifyPassword(w.编辑框1.content(), SettingsWindowCopy().password)) {
    MessageBox(s, GBK("原密码错误!!"), 0x10, GBK("请重新输入"));
    return false;
  }
  if (w.编辑框2.content() != w.编辑框3.content()) {
    MessageBox(s, GBK("新密码两次输入不一样!"), 0x10, GBK("请再次确认"));
    return false;
  }
  return true;
}

// Stores (password, check, sound) with the switch message shown while the table is
// open; on success closes the settings window, says when it takes effect, and ends.
void StoreSwitch(Program& program, CheckBox& box, bool wasTicked, std::int32_t check, std::int32_t sound,
                 const Text& stored, const Text& takesEffect) {
  const ProtectionSettings& copy = SettingsWindowCopy();
  bool saved = false;
  SaveSettings(copy.password, check, sound, [&](const SettingsSaveResult& r) {
    saved = r.saved;
    if (saved)
      MessageBox(program.services, stored, 0x40, GBK("操作成功"));
    else
      SaveFailed(program, r);
  });
  if (!saved) {
    // The box shows what the file holds.
    box.SetTicked(wasTicked);
    return;
  }
  CloseSettingsWindow(program);
  MessageBox(program.services, takesEffect, 0x40, GBK("提示!!"));
  CloseMainWindow(program);
}

}  // namespace

void ChangePassword(Program& program) {
  if (!program.settingsWindow) return;
  SettingsWindow& w = *program.settingsWindow;
  if (!PasswordChangeAcceptable(program, w)) return;
  const ProtectionSettings& copy = SettingsWindowCopy();
  SettingsSaveResult r = SaveSettings(w.编辑框3.content(), copy.passwordCheck, copy.soundOn);
  if (!r.saved) {
    SaveFailed(program, r);
    return;
  }
  MessageBox(program.services, GBK("密码修改成功!!"), 0x40, GBK("恭喜!"));
  CloseSettingsWindow(program);
  MessageBox(program.services, GBK("需要重新运行程序才能使用新密码"), 0x40, GBK("提示!!"));
  CloseMainWindow(program);
}

void StorePasswordCheckSwitch(Program& program) {
  if (!program.settingsWindow) return;
  CheckBox& box = program.settingsWindow->选择框_密码开关;
  const bool on = box.ticked();
  StoreSwitch(program, box, !on, on ? 1 : 0, SettingsWindowCopy().soundOn,
              on ? GBK("密码验证功能已开启") : GBK("密码验证功能已关闭"),
              GBK("需要重新运行程序密码验证设置才能生效"));
}

void StoreSoundSwitch(Program& program) {
  if (!program.settingsWindow) return;
  CheckBox& box = program.settingsWindow->选择框_声音开关;
  const bool on = box.ticked();
  StoreSwitch(program, box, !on, SettingsWindowCopy().passwordCheck, on ? 1 : 0,
              on ? GBK("声音功能已开启") : GBK("声音功能已关闭"), GBK("需要重新运行程序声音设置才能生效"));
}
