#include "storage/settings_table.h"

#include "base/paths.h"
#include "storage/record_file.h"

Text SettingsTablePath() { return RunDirectory() + GBK("\\md5.edb"); }

bool LoadProtectionSettings(ProtectionSettings& copy, MessageBoxService& messageBox) {
  const Text path = SettingsTablePath();
  if (!OpenRecordFile(path)) {
    messageBox.Show(GBK("获取验证密码失败!"), 0x10, nullptr);
    return false;
  }
  const int count = RecordCount();
  for (int i = 1; i <= count; ++i) {
    copy.password = ReadTextField(1);
    copy.passwordCheck = ReadIntField(2);
    copy.soundOn = ReadIntField(3);
    SkipRecords(1);
  }
  CloseRecordFile(path);
  return true;
}
