#pragma once
// edbtool export-bookmarks: the favorites table as a bookmarks file browsers import.

#include <ostream>
#include <string>

namespace edbtool {

// Writes every favorite once: the common ones in the toolbar folder, the others at the
// top (a browser's other bookmarks), each inside a folder named as its category button;
// icons as PNG data URIs, descriptions as <DD>. Accounts and passwords stay out, and so
// does any picture whose stored path leaves the run directory (counted on `out`).
// 0 on success; 1 with a message on `err`.
int ExportBookmarks(const std::string& table, const std::string& file, std::ostream& out, std::ostream& err);

}  // namespace edbtool
