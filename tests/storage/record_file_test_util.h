#pragma once
// Shared by the record-file tests: a scratch directory, raw file access to check bytes,
// and a fatal-error presenter that throws instead of ending the test program.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include "base/wide_text.h"
#endif
#include "base/fatal_error.h"
#include "base/paths.h"
#include "base/text.h"
#include "storage/record_file.h"
#include "storage/record_file_format.h"
#include "storage/record_file_testing.h"
#include "support/scratch_dir.h"

// Readable values in test failures.
inline void PrintTo(const FieldValue& v, std::ostream* os) {
  *os << "kind " << static_cast<int>(v.kind()) << ": ";
  switch (v.kind()) {
    case FieldKind::kText: *os << '"' << GbkToUtf8(v.AsText()) << '"'; break;
    case FieldKind::kBytes: *os << v.AsBytes().size() << " bytes"; break;
    case FieldKind::kFloat:
    case FieldKind::kDouble:
    case FieldKind::kDateTime: *os << v.AsReal(); break;
    default: *os << v.AsInteger(); break;
  }
}

namespace rftest {

struct FatalCaught {
  Text message;
};

// A host path as the C++ library takes it: on Windows host paths are GBK, as the program's.
inline std::filesystem::path FsPath(const std::string& host) {
#ifdef _WIN32
  return std::filesystem::path(WideFromGbk(host));
#else
  return std::filesystem::path(host);
#endif
}

inline std::vector<unsigned char> ReadAll(const std::string& host) {
  std::ifstream in(FsPath(host), std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& host, const std::vector<unsigned char>& bytes) {
  std::ofstream out(FsPath(host), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline bool Exists(const std::string& host) {
  std::error_code ec;
  return std::filesystem::exists(FsPath(host), ec);
}

inline std::int64_t SizeOf(const std::string& host) {
  std::error_code ec;
  auto n = std::filesystem::file_size(FsPath(host), ec);
  return ec ? -1 : static_cast<std::int64_t>(n);
}

inline std::int32_t I32At(const std::vector<unsigned char>& b, std::size_t off) {
  return off + 4 <= b.size() ? recfmt::GetI32(b.data() + off) : INT32_MIN;
}

inline void PutI32At(std::vector<unsigned char>& b, std::size_t off, std::int32_t v) {
  recfmt::PutI32(b.data() + off, v);
}

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("vk-recfile");
    ASSERT_FALSE(dir_.empty());
    CloseAllRecordFilesForTesting();
    SetFatalErrorPresenter([](const Text& message) { throw FatalCaught{message}; });
  }
  void TearDown() override {
    CloseAllRecordFilesForTesting();
    SetRecordFileSystemForTesting(nullptr);
    SetRecordFileJournalForTesting(true);
    SetFatalErrorPresenter(nullptr);
    RemoveScratchDir(dir_);
  }

  // Host path (UTF-8; GBK on Windows) and program path (GBK, backslashes) of a file in
  // the scratch dir.
  std::string Host(const std::string& utf8_name) const {
#ifdef _WIN32
    return dir_ + "/" + Utf8ToGbk(utf8_name);
#else
    return dir_ + "/" + utf8_name;
#endif
  }
  Text Path(const std::string& utf8_name) const { return ProgramPath(Host(utf8_name)); }

  // The example file: field 1 a text of width 8 at offset 4, field 2 an integer at 12.
  Text MakeExample(const std::string& name = "example.edb") {
    Text p = Path(name);
    EXPECT_TRUE(CreateRecordFile(p, {{"name", kTypeText, 8}, {"value", kTypeInt, 0}}));
    return p;
  }

  // Appends records with the given texts in field 1 and 0, 1, 2... in field 2.
  void AppendTexts(const std::vector<Text>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      ASSERT_TRUE(AppendBlankRecord()) << RecordFileLastError();
      ASSERT_TRUE(ModifyRecord({FieldValue(texts[i]), FieldValue(static_cast<std::int32_t>(i))}));
    }
  }

  std::string dir_;
};

}  // namespace rftest
