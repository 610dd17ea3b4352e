#pragma once
// Loading the settings table "\md5.edb" (program password, password check, sounds)
// into one copy of ProtectionSettings. (Rewriting it lives in settings_save.h.)

#include "storage/records.h"
#include "base/text.h"
#include "platform/message_box.h"

// Run directory + "\md5.edb".
Text SettingsTablePath();

// Reads every record in order, so the last record's values win; an empty table leaves
// the copy as it was. Field 1 is the password (text), fields 2 and 3 the switches (any
// numeric type, truncated to int32). When the table cannot be opened, shows
// "获取验证密码失败!" (stop icon, default caption), keeps the copy and returns false;
// the caller then ends its own handler.
bool LoadProtectionSettings(ProtectionSettings& copy, MessageBoxService& messageBox);
