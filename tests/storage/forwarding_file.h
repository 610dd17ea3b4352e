#pragma once
// A file that passes every call on to a real one: the base of the test file systems,
// which override only the calls they watch or cut short.

#include <memory>

#include "platform/locked_file.h"

namespace rftest {

class ForwardingFile : public LockedFile {
 public:
  explicit ForwardingFile(std::unique_ptr<LockedFile> real) : real_(std::move(real)) {}
  int Read(std::int64_t o, void* d, std::size_t n, std::size_t* got) override { return real_->Read(o, d, n, got); }
  int Write(std::int64_t o, const void* d, std::size_t n) override { return real_->Write(o, d, n); }
  int Length(std::int64_t* l) override { return real_->Length(l); }
  int Truncate(std::int64_t l) override { return real_->Truncate(l); }
  int Sync() override { return real_->Sync(); }
  int Permissions(unsigned* m) override { return real_->Permissions(m); }
  int Lock(std::int64_t o, std::int64_t l) override { return real_->Lock(o, l); }
  int Unlock(std::int64_t o, std::int64_t l) override { return real_->Unlock(o, l); }

 private:
  std::unique_ptr<LockedFile> real_;
};

}  // namespace rftest
