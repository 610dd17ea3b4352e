// Fuzzes the record-file engine: a mutated main file and memo file are written to disk,
// opened, and every read and write operation runs on them in an order the input picks.
//
// So that an empty corpus starts from sound files, the first byte chooses between the
// raw input as the files and a few well-formed files made here with the creation helper,
// patched at input-chosen positions. Nothing may crash, hang or read out of bounds; a
// fatal run-time error would mean the engine misjudged a field, and a table that opened
// but no longer opens after the operations would be lost to its user: both abort.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/fatal_error.h"
#include "base/paths.h"
#include "storage/record_file.h"
#include "storage/record_file_testing.h"

namespace {

using Blob = std::vector<unsigned char>;

std::string Dir() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/vk-fuzz-recfile-XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    return std::string(tmpl);
  }();
  return dir;
}

void Write(const std::string& path, const Blob& b) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Blob Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Blob(std::istreambuf_iterator<char>(in), {});
}

struct Template {
  Blob main, memo;
};

// Well-formed files to start from: built once, through the engine.
const std::vector<Template>& Templates() {
  static const std::vector<Template> t = [] {
    std::vector<Template> out;
    const std::vector<std::vector<FieldSpec>> layouts = {
        {{"name", kTypeText, 8}, {"value", kTypeInt}},
        {{"b", kTypeByte}, {"s", kTypeShort}, {"i", kTypeInt}, {"l", kTypeLong}, {"f", kTypeFloat},
         {"d", kTypeDouble}, {"o", kTypeBool}, {"t", kTypeDateTime}, {"u", kTypeSubroutine},
         {"x", kTypeText, 12}, {"y", kTypeBytes}, {"m", kTypeMemo}},
        {{"m", kTypeMemo}, {"n", kTypeInt}},
    };
    for (std::size_t k = 0; k < layouts.size(); ++k) {
      std::string host = Dir() + "/t" + std::to_string(k) + ".edb";
      std::string memo = Dir() + "/t" + std::to_string(k) + ".EDT";
      std::remove(host.c_str());
      std::remove(memo.c_str());
      if (!CreateRecordFile(ProgramPath(host), layouts[k]) || !OpenRecordFile(ProgramPath(host))) std::abort();
      for (int r = 0; r < 4; ++r) {
        AppendBlankRecord();
        std::vector<OptionalFieldValue> values;
        for (const FieldSpec& f : layouts[k]) {
          switch (f.type) {
            case kTypeText: values.push_back(FieldValue(Text(static_cast<std::size_t>(r * 3), 'a'))); break;
            case kTypeMemo: values.push_back(FieldValue(Text(static_cast<std::size_t>(r * 400), 'm'))); break;
            case kTypeBytes: values.push_back(FieldValue(Bytes(static_cast<std::size_t>(r * 300), 7))); break;
            case kTypeBool: values.push_back(FieldValue(r % 2 == 1)); break;
            case kTypeDateTime: values.push_back(FieldValue::Date(r * 1000.5)); break;
            case kTypeSubroutine: values.push_back(FieldValue::Subroutine(r)); break;
            default: values.push_back(FieldValue(r * 1000 + 1)); break;
          }
        }
        ModifyRecord(values);
      }
      FirstRecord();
      SkipRecords(1);
      DeleteRecord();
      CloseRecordFile();
      out.push_back({Read(host), Read(memo)});
    }
    return out;
  }();
  return t;
}

// A value of the kind a field of `type` takes (numbers of any numeric kind).
FieldValue ValueFor(std::int32_t type, FuzzedDataProvider& in) {
  switch (type) {
    case kTypeByte:
    case kTypeShort:
    case kTypeInt:
    case kTypeLong:
    case kTypeFloat:
    case kTypeDouble:
      switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return FieldValue::Byte(in.ConsumeIntegral<std::uint8_t>());
        case 1: return FieldValue::Int(in.ConsumeIntegral<std::int32_t>());
        case 2: return FieldValue::Long(in.ConsumeIntegral<std::int64_t>());
        default: return FieldValue::Double(in.ConsumeFloatingPoint<double>());
      }
    case kTypeBool: return FieldValue::Bool(in.ConsumeBool());
    case kTypeDateTime: return FieldValue::Date(in.ConsumeFloatingPoint<double>());
    case kTypeSubroutine: return FieldValue::Subroutine(in.ConsumeIntegral<std::int32_t>());
    case kTypeBytes: {
      std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 1600);
      return FieldValue::OfBytes(Bytes(n, in.ConsumeIntegral<std::uint8_t>()));
    }
    default: {  // text and memo text
      std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 1600);
      return FieldValue::OfText(Text(n, static_cast<char>(in.ConsumeIntegral<std::uint8_t>())));
    }
  }
}

void RunOperations(FuzzedDataProvider& in) {
  RecordFileDescription d;
  if (!DescribeRecordFile(&d)) return;
  const int fields = static_cast<int>(d.fields.size());
  auto type_of = [&](int f) { return d.fields[static_cast<std::size_t>(f - 1)].type; };
  // A huge record length would make every append write that many bytes: valid, but slow.
  const bool big_records = d.recordLength > (1 << 20);
  for (int step = 0; step < 48 && in.remaining_bytes() > 0; ++step) {
    const int field = in.ConsumeIntegralInRange(1, fields);
    switch (in.ConsumeIntegralInRange(0, 13)) {
      case 0: RecordCount(); break;
      case 1: FirstRecord(); break;
      case 2: SkipRecords(in.ConsumeIntegralInRange(-3, 3)); break;
      case 3: ReadField(field); break;
      case 4: {
        std::int32_t t = type_of(field);
        if (t == kTypeText || t == kTypeMemo) ReadTextField(field);
        if (t >= kTypeByte && t <= kTypeDouble) ReadIntField(field);
        break;
      }
      case 5: WriteField(field, ValueFor(type_of(field), in)); break;
      case 6:
        if (!big_records) AppendBlankRecord();
        break;
      case 7: {
        std::vector<OptionalFieldValue> values;
        int n = in.ConsumeIntegralInRange(0, fields + 1);
        for (int i = 1; i <= n; ++i) {
          if (in.ConsumeBool()) {
            values.push_back(std::nullopt);
          } else if (i <= fields) {
            values.push_back(ValueFor(type_of(i), in));
          } else {
            values.push_back(FieldValue(1));
          }
        }
        // Now and then a value of the wrong kind: -72, nothing written.
        if (!values.empty() && in.ConsumeIntegralInRange(0, 7) == 0) values[0] = FieldValue(Bytes{1});
        ModifyRecord(values);
        break;
      }
      case 8: {
        const int stop_after = in.ConsumeIntegralInRange(0, 20);
        int tested = 0;
        FindRecord([&] {
          ReadField(field);
          return ++tested > stop_after;
        });
        break;
      }
      case 9: DeleteRecord(); break;
      case 10: PurgeDeletedRecords(); break;
      case 11: CurrentRecordId(); break;
      case 12: RecordFileErrorText(); break;
      default:
        // Reopen: the repairs of the open run on what the operations left. A table
        // that opened must keep opening, whatever was done to it since.
        CloseRecordFile();
        if (!OpenRecordFile(ProgramPath(Dir() + "/f.edb"))) {
          std::fprintf(stderr, "a table that opened no longer opens: error %d\n", RecordFileLastError());
          std::abort();
        }
        if (!DescribeRecordFile(&d) || static_cast<int>(d.fields.size()) != fields) return;
        break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool init = [] {
    SetFatalErrorPresenter([](const Text& message) {
      std::fprintf(stderr, "fatal run-time error: %s\n", GbkToUtf8(message).c_str());
      std::abort();
    });
    Templates();
    return true;
  }();
  (void)init;

  FuzzedDataProvider in(data, size);
  Blob main, memo;
  const std::size_t mode = in.ConsumeIntegral<std::uint8_t>() % (Templates().size() + 1);
  if (mode == Templates().size()) {
    main = in.ConsumeBytes<unsigned char>(in.ConsumeIntegralInRange<std::size_t>(0, 16384));
    memo = in.ConsumeBytes<unsigned char>(in.ConsumeIntegralInRange<std::size_t>(0, 16384));
  } else {
    main = Templates()[mode].main;
    memo = Templates()[mode].memo;
    const int patches = in.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < patches; ++i) {
      Blob& b = in.ConsumeBool() || memo.empty() ? main : memo;
      std::size_t at = in.ConsumeIntegralInRange<std::size_t>(0, b.size() + 64);
      std::uint8_t v = in.ConsumeIntegral<std::uint8_t>();
      if (at < b.size()) {
        b[at] = v;
      } else if (in.ConsumeBool()) {
        b.resize(at + 1, 0);  // grow
        b[at] = v;
      } else {
        b.resize(b.size() - std::min(b.size(), at - b.size()));  // cut
      }
    }
  }
  const std::string host = Dir() + "/f.edb";
  Write(host, main);
  if (!memo.empty()) {
    Write(Dir() + "/f.EDT", memo);
  } else {
    std::remove((Dir() + "/f.EDT").c_str());
  }
  if (OpenRecordFile(ProgramPath(host))) RunOperations(in);
  CloseAllRecordFilesForTesting();
  return 0;
}
