#include "host_files.h"

#include <fstream>
#include <system_error>

#include "platform/private_file.h"

namespace edbtool {

std::filesystem::path HostFsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool ReadWholeFile(const std::string& utf8Path, std::size_t maxBytes, std::string* out, std::string* error) {
  const std::filesystem::path path = HostFsPath(utf8Path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    *error = "cannot read " + utf8Path + ": no such file";
    return false;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    *error = "cannot read " + utf8Path + ": " + ec.message();
    return false;
  }
  if (size > maxBytes) {
    *error = utf8Path + " is " + std::to_string(size) + " bytes; files of more than " + std::to_string(maxBytes) +
             " bytes are not read";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open " + utf8Path;
    return false;
  }
  out->assign(static_cast<std::size_t>(size), '\0');
  in.read(out->data(), static_cast<std::streamsize>(size));
  // A file that grows meanwhile is read as it was measured; one that shrinks is an error.
  if (static_cast<std::uintmax_t>(in.gcount()) != size) {
    *error = "cannot read " + utf8Path + " whole";
    return false;
  }
  return true;
}

bool WriteWholeFile(const std::filesystem::path& path, const std::string& bytes, std::string* error, bool flush) {
  const std::u8string p = path.u8string();
  return WriteFileReplacing(std::string(p.begin(), p.end()), bytes, 0644, error, flush);
}

std::set<std::string> LowerCaseNames(const std::filesystem::path& dir) {
  std::set<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::u8string n = it->path().filename().u8string();
    std::string lower(n.begin(), n.end());
    for (char& c : lower)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    names.insert(lower);
  }
  return names;
}

}  // namespace edbtool
