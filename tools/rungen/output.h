#pragma once
// Writing the run directory: names are UTF-8 on this disk, with '/' separators.

#include <sys/types.h>

#include <string>

#include "base/bytes.h"

class Output {
 public:
  explicit Output(std::string root) : root_(std::move(root)) {}
  const std::string& root() const { return root_; }
  std::string Host(const std::string& relative) const { return root_ + "/" + relative; }

  // Writes the file whole, creating its folders; exits with a message on failure.
  void Write(const std::string& relative, const Bytes& bytes, mode_t mode = 0644) const;
  void MakeDirs(const std::string& relative) const;

 private:
  std::string root_;
};
