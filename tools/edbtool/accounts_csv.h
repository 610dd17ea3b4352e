#pragma once
// edbtool export-accounts: the kept accounts and passwords as a CSV file that password
// managers import.

#include <ostream>
#include <string>
#include <vector>

namespace edbtool {

// True when a spreadsheet would read the cell as a formula: it starts with '=', '+', '-',
// '@', a tab or a carriage return.
bool StartsLikeFormula(const std::string& utf8);

// One CSV field as RFC 4180 quotes it: in double quotes, inner quotes doubled; a cell that
// starts like a formula gets a leading "'", so spreadsheets show it as text and never
// run it (a title "=HYPERLINK(...)" could otherwise send the passwords beside it away).
std::string CsvField(const std::string& utf8);

// The favorites that keep an account or a password, in KeePassXC's columns (Group,
// Title, Username, Password, URL, Notes), UTF-8, CRLF line ends, written readable by the
// owner only; a warning on `err` that the file holds passwords in plain text, and which
// cells were given a leading "'" (password managers keep it: the user mends those). 0 on
// success; 1 with a message on `err`.
int ExportAccounts(const std::string& table, const std::string& file, std::ostream& out, std::ostream& err);

}  // namespace edbtool
