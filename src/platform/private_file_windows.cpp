#include "platform/private_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

bool WritePrivateFile(const std::string& path, const std::string& bytes, std::string* error) {
  const std::filesystem::path target(std::u8string(path.begin(), path.end()));
  std::filesystem::path temp = target;
  temp += u8".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      *error = "cannot write " + path;
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, target, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    *error = "cannot write " + path;
    return false;
  }
  return true;
}
