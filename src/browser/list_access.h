#pragma once
// Lists are reached by 1-based element number, as the handlers count. An element that
// does not exist is a programming error: it ends the program with the fatal run-time
// error instead of reading beside the list.

#include <vector>

#include "base/fatal_error.h"
#include "base/text.h"

[[noreturn]] inline void ElementOutOfRange() {
  FatalRunTimeError(0, GBK("数组成员引用下标超出定义范围"));
}

template <class T>
T& ElementAt(std::vector<T>& list, long long element) {
  if (element < 1 || element > static_cast<long long>(list.size())) ElementOutOfRange();
  return list[element - 1];
}

template <class T>
const T& ElementAt(const std::vector<T>& list, long long element) {
  if (element < 1 || element > static_cast<long long>(list.size())) ElementOutOfRange();
  return list[element - 1];
}
