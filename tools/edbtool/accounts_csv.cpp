#include "accounts_csv.h"

#include <string_view>

#include "base/paths.h"
#include "base/text.h"
#include "favorites_layout.h"
#include "favorites_read.h"
#include "platform/private_file.h"
#include "storage/record_file.h"

namespace edbtool {

bool StartsLikeFormula(const std::string& utf8) {
  return !utf8.empty() && std::string_view("=+-@\t\r").find(utf8[0]) != std::string_view::npos;
}

std::string CsvField(const std::string& utf8) {
  std::string out = StartsLikeFormula(utf8) ? "\"'" : "\"";
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

int ExportAccounts(const std::string& table, const std::string& file, std::ostream& out, std::ostream& err) {
  std::vector<StoredFavorite> favorites;
  if (!ReadFavoritesTable(table, "export-accounts", &favorites, err)) return 1;

  static const char* const kColumns[] = {"Group", "Title", "Username", "Password", "URL", "Notes"};
  std::string csv = "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\r\n";
  std::string marked;  // "Title of entry 3, Password of entry 7" (the data lines, in order)
  int rows = 0;
  for (const StoredFavorite& f : favorites) {
    if (f.account.empty() && f.password.empty()) continue;
    const auto& names = CategoryNames();
    const std::string group =
        f.category >= 0 && f.category < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(f.category)] : "";
    const std::string cells[] = {group, GbkToUtf8(f.siteName), GbkToUtf8(f.account), GbkToUtf8(f.password),
                                 GbkToUtf8(f.address), GbkToUtf8(f.description)};
    ++rows;
    for (int c = 0; c < 6; ++c) {
      csv += (c ? "," : "") + CsvField(cells[c]);
      if (StartsLikeFormula(cells[c]))
        marked += (marked.empty() ? "" : ", ") + std::string(kColumns[c]) + " of entry " + std::to_string(rows);
    }
    csv += "\r\n";
  }
  std::string error;
  if (!WritePrivateFile(file, csv, &error)) {
    err << "edbtool: export-accounts: " << error << "\n";
    return 1;
  }
  err << "edbtool: warning: " << file << " holds " << rows << " password" << (rows == 1 ? "" : "s")
      << " in plain text; anyone who can read the file can use them. Delete it once your password manager "
         "has imported it.\n";
  if (!marked.empty())
    err << "edbtool: note: cells that begin with = + - @, a tab or a line break start with ' so that a "
           "spreadsheet shows them as text; a password manager keeps the ' in the field, so remove it there: "
        << marked << "\n";
  out << "exported " << rows << " account" << (rows == 1 ? "" : "s") << " to " << file << "\n";
  return 0;
}

}  // namespace edbtool
