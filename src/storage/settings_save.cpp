#include "storage/settings_save.h"

#include <vector>

#include "storage/settings_table.h"
#include "storage/record_file.h"

SettingsSaveResult SaveSettings(const Text& password, std::int32_t passwordCheck,
                                std::int32_t soundOn, const SettingsSaveReport& report) {
  const Text path = SettingsTablePath();
  SettingsSaveResult result;
  if (!OpenRecordFile(path)) {
    // Never write into whatever other file happens to be current.
    result.errorText = RecordFileErrorText();
    if (report) report(result);
    return result;
  }
  // Right after opening, record 1 is current. The fourth value is left out on purpose:
  // a field beyond the three stays as it was.
  std::vector<OptionalFieldValue> values = {FieldValue(password), FieldValue(passwordCheck),
                                            FieldValue(soundOn), std::nullopt};
  result.saved = ModifyRecord(values);
  if (!result.saved) result.errorText = RecordFileErrorText();
  if (report) report(result);
  CloseRecordFile(path);
  return result;
}
