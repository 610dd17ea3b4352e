#pragma once
// edbtool import-bookmarks: a browser's bookmarks file into the favorites table.

#include <ostream>
#include <string>

namespace edbtool {

struct ImportOptions {
  std::string table;  // host path of the favorites table (UTF-8)
  std::string file;   // host path of the bookmarks file (UTF-8)
  int category = 0;   // for links outside every folder named as a category
  bool common = false;  // mark every link common, not only those directly in the toolbar folder
  bool keepLocal = false;  // import addresses that are not web addresses (the program asks before opening them)
  bool dryRun = false;  // count and report, write nothing
};

// 0 when every usable link became a favorite (or, with dryRun, would have); 1 with a
// message on `err` when the file or the table cannot be used or a write fails. Each
// favorite is written in one step, so a failure leaves only whole ones, and says how
// many.
int ImportBookmarks(const ImportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace edbtool
