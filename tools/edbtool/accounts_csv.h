#pragma once
// edbtool export-accounts: the kept accounts and passwords as a CSV file that password
// managers import.

#include <ostream>
#include <string>
#include <vector>

namespace edbtool {

// One CSV field as RFC 4180 quotes it: in double quotes, inner quotes doubled.
std::string CsvField(const std::string& utf8);

// The favorites that keep an account or a password, in KeePassXC's columns (Group,
// Title, Username, Password, URL, Notes), UTF-8, CRLF line ends, written readable by the
// owner only; a warning on `err` that the file holds passwords in plain text. 0 on
// success; 1 with a message on `err`.
int ExportAccounts(const std::string& table, const std::string& file, std::ostream& out, std::ostream& err);

}  // namespace edbtool
