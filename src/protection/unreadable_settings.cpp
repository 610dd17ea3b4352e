#include "protection/unreadable_settings.h"

#include "ui/dialogs.h"

bool RefusedWithoutSettings(Program& program) {
  if (!program.state.settingsUnreadable) return false;
  MessageBox(program.services, GBK("无法读取密码设置文件md5.edb，为安全起见此功能已停用。"), 0x10);
  return true;
}
