#pragma once
// A byte buffer: the whole content of a file. Pictures and sounds travel as these.

#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
