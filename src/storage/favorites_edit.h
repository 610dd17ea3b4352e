#pragma once
// Writing the favorites table "\数据库.edb": append one favorite, rewrite or delete the
// first favorite whose site name is the key. Each operation opens the table, works and
// closes it again before it returns.
//
// What the user is told belongs to the editor. `report` is called once, with the outcome,
// at the moment the editor's message belongs: while the table is still open (before it
// is closed), so a message box shows exactly where the user expects it.

#include <functional>

#include "storage/records.h"
#include "base/text.h"

enum class FavoriteEditOutcome {
  kOpenFailed,    // the table could not be opened; nothing was written
  kAppendFailed,  // the record could not be appended; nothing was written
  kCancelled,     // the delete question was answered with Cancel
  kNotFound,      // no record has the key as its site name
  kModifyFailed,  // the record was found but could not be rewritten
  kDeleteFailed,  // the record was found but could not be removed; the file is as it was
  kDone,          // added, rewritten or removed
};

struct FavoriteEditResult {
  FavoriteEditOutcome outcome = FavoriteEditOutcome::kOpenFailed;
  Text errorText;  // RecordFileErrorText of the step that failed
};

using FavoriteEditReport = std::function<void(const FavoriteEditResult&)>;

// Appends a record with the nine values in one engine step, so neither a failure nor a
// kill leaves a blank or half-filled favorite behind.
FavoriteEditResult AddFavorite(const FavoriteRecord& values, const FavoriteEditReport& report = {});

// Rewrites all nine fields of the first record (in file order) whose field 1 equals `key`
// byte for byte.
FavoriteEditResult ModifyFavorite(const Text& key, const FavoriteRecord& values,
                                  const FavoriteEditReport& report = {});

// Asks `confirm` (after opening, before searching); on true removes the first record whose
// field 1 equals `key`, then compacts the file.
FavoriteEditResult DeleteFavorite(const Text& key, const std::function<bool()>& confirm,
                                  const FavoriteEditReport& report = {});
