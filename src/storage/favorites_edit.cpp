#include "storage/favorites_edit.h"

#include <vector>

#include "storage/favorites_table.h"
#include "storage/record_file.h"

namespace {

// Field order of the table: 1-6 as the record, then 7 the click sound, 8 the common flag.
std::vector<OptionalFieldValue> FieldValues(const FavoriteRecord& r) {
  return {FieldValue(r.siteName),    FieldValue(r.iconPath),   FieldValue(r.address),
          FieldValue(r.siteAccount), FieldValue(r.sitePassword), FieldValue(r.category),
          FieldValue(r.clickSound),  FieldValue(r.common),     FieldValue(r.description)};
}

FavoriteEditResult Finish(FavoriteEditOutcome outcome, Text errorText, const Text& path,
                          const FavoriteEditReport& report) {
  FavoriteEditResult result{outcome, std::move(errorText)};
  if (report) report(result);
  CloseRecordFile(path);
  return result;
}

// Makes the first record whose site name is `key` current.
bool FindByName(const Text& key) {
  FirstRecord();
  return FindRecord([&key] { return ReadTextField(1) == key; });
}

FavoriteEditResult OpenFailed(const FavoriteEditReport& report) {
  FavoriteEditResult result{FavoriteEditOutcome::kOpenFailed, RecordFileErrorText()};
  if (report) report(result);
  return result;
}

}  // namespace

FavoriteEditResult AddFavorite(const FavoriteRecord& values, const FavoriteEditReport& report) {
  const Text path = FavoritesTablePath();
  if (!OpenRecordFile(path)) return OpenFailed(report);
  // The record and its values in one step: nothing half-made is left by a failure or a kill.
  if (!AppendRecord(FieldValues(values)))
    return Finish(FavoriteEditOutcome::kAppendFailed, RecordFileErrorText(), path, report);
  return Finish(FavoriteEditOutcome::kDone, Text(), path, report);
}

FavoriteEditResult ModifyFavorite(const Text& key, const FavoriteRecord& values,
                                  const FavoriteEditReport& report) {
  const Text path = FavoritesTablePath();
  if (!OpenRecordFile(path)) return OpenFailed(report);
  if (!FindByName(key)) return Finish(FavoriteEditOutcome::kNotFound, Text(), path, report);
  if (!ModifyRecord(FieldValues(values)))
    return Finish(FavoriteEditOutcome::kModifyFailed, RecordFileErrorText(), path, report);
  return Finish(FavoriteEditOutcome::kDone, Text(), path, report);
}

FavoriteEditResult DeleteFavorite(const Text& key, const std::function<bool()>& confirm,
                                  const FavoriteEditReport& report) {
  const Text path = FavoritesTablePath();
  if (!OpenRecordFile(path)) return OpenFailed(report);
  if (confirm && !confirm()) return Finish(FavoriteEditOutcome::kCancelled, Text(), path, report);
  if (!FindByName(key)) return Finish(FavoriteEditOutcome::kNotFound, Text(), path, report);
  if (!DeleteRecord()) return Finish(FavoriteEditOutcome::kDeleteFailed, RecordFileErrorText(), path, report);
  if (!PurgeDeletedRecords()) {
    Text why = RecordFileErrorText();
    // The user is told the favorite is still there: left marked, it would vanish with
    // the next delete's purge. A failed purge leaves the current record where it was.
    UndeleteRecord();
    return Finish(FavoriteEditOutcome::kDeleteFailed, std::move(why), path, report);
  }
  return Finish(FavoriteEditOutcome::kDone, Text(), path, report);
}
