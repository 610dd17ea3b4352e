#include "storage/favorites_table.h"

#include "base/paths.h"
#include "storage/record_file.h"

Text FavoritesTablePath() { return RunDirectory() + GBK("\\数据库.edb"); }

bool LoadFavorites(std::vector<FavoriteRecord>& records, MessageBoxService& messageBox) {
  const Text path = FavoritesTablePath();
  if (!OpenRecordFile(path)) {
    messageBox.Show(GBK("打开数据库失败"), 0x10, nullptr);
    return false;
  }
  const int count = RecordCount();
  for (int i = 1; i <= count; ++i) {
    // Fields in field order; 7 and 8 land in the record the other way round.
    FavoriteRecord record;
    record.siteName = ReadTextField(1);
    record.iconPath = ReadTextField(2);
    record.address = ReadTextField(3);
    record.siteAccount = ReadTextField(4);
    record.sitePassword = ReadTextField(5);
    record.category = ReadIntField(6);
    record.clickSound = ReadTextField(7);
    record.common = ReadIntField(8);
    record.description = ReadTextField(9);
    records.push_back(record);
    SkipRecords(1);
  }
  CloseRecordFile(path);
  return true;
}
