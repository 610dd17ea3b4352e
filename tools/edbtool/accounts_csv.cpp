#include "accounts_csv.h"

#include "base/paths.h"
#include "base/text.h"
#include "favorites_layout.h"
#include "favorites_read.h"
#include "platform/private_file.h"
#include "storage/record_file.h"

namespace edbtool {

std::string CsvField(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

int ExportAccounts(const std::string& table, const std::string& file, std::ostream& out, std::ostream& err) {
  std::vector<StoredFavorite> favorites;
  if (!ReadFavoritesTable(table, "export-accounts", &favorites, err)) return 1;

  std::string csv = "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\r\n";
  int rows = 0;
  for (const StoredFavorite& f : favorites) {
    if (f.account.empty() && f.password.empty()) continue;
    const auto& names = CategoryNames();
    const std::string group =
        f.category >= 0 && f.category < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(f.category)] : "";
    csv += CsvField(group) + "," + CsvField(GbkToUtf8(f.siteName)) + "," + CsvField(GbkToUtf8(f.account)) + "," +
           CsvField(GbkToUtf8(f.password)) + "," + CsvField(GbkToUtf8(f.address)) + "," +
           CsvField(GbkToUtf8(f.description)) + "\r\n";
    ++rows;
  }
  std::string error;
  if (!WritePrivateFile(file, csv, &error)) {
    err << "edbtool: export-accounts: " << error << "\n";
    return 1;
  }
  err << "edbtool: warning: " << file << " holds " << rows << " password" << (rows == 1 ? "" : "s")
      << " in plain text; anyone who can read the file can use them. Delete it once your password manager "
         "has imported it.\n";
  out << "exported " << rows << " account" << (rows == 1 ? "" : "s") << " to " << file << "\n";
  return 0;
}

}  // namespace edbtool
