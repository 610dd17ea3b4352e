#pragma once
// The favorites table's nine fields as the benchmarks store them: seven texts and two
// integers (6 and 8).

#include <vector>

#include "storage/record_file.h"

inline const std::vector<FieldSpec>& FavoriteFields() {
  static const std::vector<FieldSpec> f = {
      {"name", kTypeText, 40},  {"icon", kTypeText, 100}, {"address", kTypeText, 200},
      {"account", kTypeText, 40}, {"password", kTypeText, 40}, {"category", kTypeInt, 0},
      {"sound", kTypeText, 100}, {"common", kTypeInt, 0},  {"description", kTypeText, 200},
  };
  return f;
}
