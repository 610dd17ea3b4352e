#include "favorites_read.h"

#include "base/paths.h"
#include "favorites_layout.h"
#include "storage/record_file.h"

namespace edbtool {

bool ReadAllFavorites(std::vector<StoredFavorite>* out, std::string* error) {
  FavoritesLayout layout;
  if (!ReadFavoritesLayout(&layout, error)) return false;
  const int n = RecordCount();
  FirstRecord();
  for (int i = 0; i < n; ++i) {
    StoredFavorite f;
    f.siteName = ReadTextField(kSiteName);
    f.iconPath = ReadTextField(kIconPath);
    f.address = ReadTextField(kAddress);
    f.account = ReadTextField(kAccount);
    f.password = ReadTextField(kPassword);
    f.category = ReadIntField(kCategory);
    f.clickSound = ReadTextField(kClickSound);
    f.common = ReadIntField(kCommon);
    f.description = ReadTextField(kDescription);
    if (RecordFileLastError() != 0 || !SkipRecords(1)) {
      *error = "cannot read record " + std::to_string(i + 1) + ": " + GbkToUtf8(RecordFileErrorText());
      return false;
    }
    out->push_back(std::move(f));
  }
  return true;
}

bool ReadFavoritesTable(const std::string& table, const char* command, std::vector<StoredFavorite>* out,
                        std::ostream& err) {
  const Text path = ProgramPathFromUtf8(table);
  if (!OpenRecordFile(path)) {
    err << "edbtool: " << command << ": open " << table << " failed: error " << RecordFileLastError() << ": "
        << GbkToUtf8(RecordFileErrorText()) << "\n";
    return false;
  }
  std::string error;
  const bool read = ReadAllFavorites(out, &error);
  CloseRecordFile(path);
  if (!read) err << "edbtool: " << command << ": " << table << ": " << error << "\n";
  return read;
}

}  // namespace edbtool
