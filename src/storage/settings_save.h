#pragma once
// Rewriting the settings record of "\md5.edb": the password and both switches in one
// write into the first record; further fields and the record id stay as they are.

#include <cstdint>
#include <functional>

#include "base/text.h"

struct SettingsSaveResult {
  bool saved = false;
  Text errorText;  // RecordFileErrorText of the open or the write that failed
};

// Called once, after the write and before the table is closed (the switch messages show
// while the file is still open).
using SettingsSaveReport = std::function<void(const SettingsSaveResult&)>;

// Nothing is written when the table cannot be opened or has no record.
SettingsSaveResult SaveSettings(const Text& password, std::int32_t passwordCheck,
                                std::int32_t soundOn, const SettingsSaveReport& report = {});
