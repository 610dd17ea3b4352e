// Writes the starting corpus of fuzz_record_file: tables made through the engine's
// creation helper (memo fields, every field type, wide texts, files long enough for
// several purge chunks), some of them damaged the ways users' files are (offsets and
// widths at the int32 limits, memo files cut short, ids at their end), each followed
// by a run of operations that reaches the engine's paths for that table.
//
// usage: record_file_seeds DIR    (the committed seeds are fuzz/corpus/record_file)
//
// The input format is fuzz/record_file_fuzz.cpp's: FuzzedDataProvider takes the files'
// bytes from the front and every number from the back, so a seed is
//   main file ++ memo file ++ (the numbers, last-taken first).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/paths.h"
#include "storage/record_file.h"
#include "storage/record_file_format.h"
#include "storage/record_file_testing.h"

namespace {

using Blob = std::vector<unsigned char>;

// The fuzz target's mode for "the input is the files" (after its three templates).
constexpr int kRawMode = 3;
constexpr std::size_t kMaxFile = 16384;

Blob Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Blob(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, const Blob& b) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// The numbers of one input, in the order the target takes them.
class Numbers {
 public:
  // ConsumeIntegralInRange(lo, hi) giving v: the offset from lo, as many bytes as the
  // range needs, most significant first.
  Numbers& In(std::int64_t lo, std::int64_t hi, std::int64_t v) {
    const std::uint64_t range = static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo);
    const std::uint64_t r = static_cast<std::uint64_t>(v) - static_cast<std::uint64_t>(lo);
    int bytes = 0;
    while (bytes < 8 && (range >> (8 * bytes)) > 0) ++bytes;
    for (int i = bytes - 1; i >= 0; --i) taken_.push_back(static_cast<unsigned char>(r >> (8 * i)));
    return *this;
  }
  Numbers& Byte(unsigned v) { return In(0, 255, v); }
  Numbers& Bool(bool v) { return Byte(v ? 1 : 0); }
  Numbers& I32(std::int32_t v) { return In(INT32_MIN, INT32_MAX, v); }

  const Blob& taken() const { return taken_; }

 private:
  Blob taken_;
};

// The target's operations on a table of `fields` fields, numbered as its switch.
class Ops {
 public:
  Ops(Numbers& n, std::vector<std::int32_t> types) : n_(n), types_(std::move(types)) {}

  Ops& Count() { return Op(1, 0); }
  Ops& First() { return Op(1, 1); }
  Ops& Skip(int by) {
    Op(1, 2);
    n_.In(-3, 3, by);
    return *this;
  }
  Ops& Read(int field) { return Op(field, 3); }
  Ops& ReadAs(int field) { return Op(field, 4); }
  // WriteField with a value the target makes for the field's type: a number, or a
  // text / byte set of `len` bytes `fill`.
  Ops& Write(int field, std::int64_t number, std::size_t len = 0, unsigned fill = 'x') {
    Op(field, 5);
    Value(field, number, len, fill);
    return *this;
  }
  Ops& Append() { return Op(1, 6); }
  // ModifyRecord of every field: texts of `len` bytes, numbers `number`.
  Ops& Modify(std::int64_t number, std::size_t len, unsigned fill = 'm') {
    Op(1, 7);
    const int fields = static_cast<int>(types_.size());
    n_.In(0, fields + 1, fields);
    for (int i = 1; i <= fields; ++i) {
      n_.Bool(false);  // a value, not an omitted one
      Value(i, number, len, fill);
    }
    n_.In(0, 7, 1);  // no value of the wrong kind
    return *this;
  }
  Ops& Find(int field, int stop_after) {
    Op(field, 8);
    n_.In(0, 20, stop_after);
    return *this;
  }
  Ops& Delete() { return Op(1, 9); }
  Ops& Purge() { return Op(1, 10); }
  Ops& Id() { return Op(1, 11); }
  Ops& ErrorText() { return Op(1, 12); }
  Ops& Reopen() { return Op(1, 13); }

 private:
  Ops& Op(int field, int code) {
    n_.In(1, static_cast<std::int64_t>(types_.size()), field);
    n_.In(0, 13, code);
    return *this;
  }
  void Value(int field, std::int64_t number, std::size_t len, unsigned fill) {
    switch (types_[static_cast<std::size_t>(field - 1)]) {
      case kTypeByte:
      case kTypeShort:
      case kTypeInt:
      case kTypeLong:
      case kTypeFloat:
      case kTypeDouble:
        n_.In(0, 3, 2);
        n_.In(INT64_MIN, INT64_MAX, number);
        break;
      case kTypeBool: n_.Bool(number != 0); break;
      case kTypeDateTime:
        // ConsumeFloatingPoint: a half of the range, then a 64-bit fraction of it.
        n_.Bool(false);
        n_.In(INT64_MIN, INT64_MAX, number);
        break;
      case kTypeSubroutine: n_.I32(static_cast<std::int32_t>(number)); break;
      default:  // text, byte set, memo text
        n_.In(0, 1600, static_cast<std::int64_t>(len));
        n_.Byte(fill);
        break;
    }
  }

  Numbers& n_;
  std::vector<std::int32_t> types_;
};

struct Table {
  Blob main, memo;
  std::vector<std::int32_t> types;
};

// A table made through the engine: `rows` records filled by `fill` (current record set).
template <typename Fill>
Table Make(const std::string& dir, const std::vector<FieldSpec>& fields, int rows, Fill fill) {
  static int made = 0;
  const std::string host = dir + "/t" + std::to_string(made++) + ".edb";
  const std::string memo = host.substr(0, host.size() - 3) + "EDT";
  if (!CreateRecordFile(ProgramPath(host), fields) || !OpenRecordFile(ProgramPath(host))) {
    std::fprintf(stderr, "cannot make %s: error %d\n", host.c_str(), RecordFileLastError());
    std::exit(1);
  }
  for (int r = 0; r < rows; ++r) {
    if (!AppendBlankRecord()) std::exit(1);
    fill(r);
  }
  CloseRecordFile();
  Table t{Read(host), Read(memo), {}};
  for (const FieldSpec& f : fields) t.types.push_back(f.type);
  std::remove(host.c_str());
  std::remove(memo.c_str());
  return t;
}

Table Make(const std::string& dir, const std::vector<FieldSpec>& fields) {
  return Make(dir, fields, 0, [](int) {});
}

void PatchI32(Blob& b, std::size_t at, std::int32_t v) {
  if (b.size() < at + 4) b.resize(at + 4, 0);
  recfmt::PutI32(b.data() + at, v);
}

std::size_t DefAt(int field, int word) {
  return recfmt::kHeaderSize + recfmt::kFieldCountSize + recfmt::kFieldDefSize * (field - 1) + word;
}

// One seed: the table's files, then the operations.
void Seed(const std::string& out_dir, const std::string& name, const Table& t, const Numbers& ops) {
  if (t.main.size() > kMaxFile || t.memo.size() > kMaxFile) {
    std::fprintf(stderr, "%s: a file is longer than the target reads\n", name.c_str());
    std::exit(1);
  }
  Numbers head;
  head.Byte(kRawMode);
  head.In(0, kMaxFile, static_cast<std::int64_t>(t.main.size()));
  head.In(0, kMaxFile, static_cast<std::int64_t>(t.memo.size()));
  Blob taken = head.taken();
  taken.insert(taken.end(), ops.taken().begin(), ops.taken().end());
  Blob input = t.main;
  input.insert(input.end(), t.memo.begin(), t.memo.end());
  input.insert(input.end(), taken.rbegin(), taken.rend());
  Write(out_dir + "/" + name, input);
}

const std::vector<FieldSpec> kFavorites = {
    {"name", kTypeText, 80}, {"icon", kTypeText, 80},  {"address", kTypeText, 80},
    {"account", kTypeText, 40}, {"password", kTypeText, 40}, {"category", kTypeInt},
    {"sound", kTypeText, 80}, {"common", kTypeInt},    {"description", kTypeText, 120}};

const std::vector<FieldSpec> kEveryType = {
    {"b", kTypeByte},     {"s", kTypeShort},       {"i", kTypeInt},          {"l", kTypeLong},
    {"f", kTypeFloat},    {"d", kTypeDouble},      {"o", kTypeBool},         {"t", kTypeDateTime},
    {"u", kTypeSubroutine}, {"x", kTypeText, 12}, {"y", kTypeBytes},        {"m", kTypeMemo}};

const std::vector<FieldSpec> kMemo = {{"m", kTypeMemo}, {"y", kTypeBytes}, {"n", kTypeInt}};

void EveryRecordFilled(int r, const std::vector<FieldSpec>& fields) {
  std::vector<OptionalFieldValue> values;
  for (const FieldSpec& f : fields) {
    switch (f.type) {
      case kTypeText: values.push_back(FieldValue(Text(static_cast<std::size_t>(r % 5 + 1), static_cast<char>('a' + r % 26)))); break;
      case kTypeMemo: values.push_back(FieldValue(Text(static_cast<std::size_t>(r * 450), 'm'))); break;
      case kTypeBytes: values.push_back(FieldValue(Bytes(static_cast<std::size_t>(r * 260), 7))); break;
      case kTypeBool: values.push_back(FieldValue(r % 2 == 1)); break;
      case kTypeDateTime: values.push_back(FieldValue::Date(r * 1000.5)); break;
      case kTypeSubroutine: values.push_back(FieldValue::Subroutine(r)); break;
      default: values.push_back(FieldValue(r * 1000 + 1)); break;
    }
  }
  if (!ModifyRecord(values)) std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: record_file_seeds DIR\n");
    return 2;
  }
  const std::string out = argv[1];
  char tmpl[] = "/tmp/vk-seeds-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const std::string work = tmpl;

  // The favorites table: find by name, delete, purge, add, modify, read back.
  {
    Table t = Make(work, kFavorites, 5, [](int r) { EveryRecordFilled(r, kFavorites); });
    Numbers n;
    Ops(n, t.types).First().Find(1, 2).Delete().Purge().Count().Append().Modify(3, 20).Reopen().First()
        .Skip(3).ReadAs(1).ReadAs(6).ReadAs(9).Skip(-3).Id();
    Seed(out, "favorites", t, n);
  }
  // Every field type, memo values of one to three blocks: each field read, written, kept.
  {
    Table t = Make(work, kEveryType, 4, [](int r) { EveryRecordFilled(r, kEveryType); });
    Numbers n;
    Ops ops(n, t.types);
    ops.First();
    for (int f = 1; f <= 12; ++f) ops.Read(f).ReadAs(f);
    ops.Skip(2);
    for (int f = 1; f <= 12; ++f) ops.Write(f, -5, 1200, 'w');
    ops.Skip(-1).Modify(70000, 40).Find(12, 3).Delete().Purge().Reopen().Skip(3).Read(11).Read(12);
    Seed(out, "every_type", t, n);
  }
  // Memo values freed, kept and grown: the free list in use, blocks cut off the end.
  {
    Table t = Make(work, kMemo, 5, [](int r) { EveryRecordFilled(r, kMemo); });
    Numbers n;
    Ops(n, t.types).First().Skip(1).Write(1, 0, 0).Write(2, 0, 0).Skip(2).Write(1, 0, 1600).Delete().Skip(-1)
        .Delete().Purge().Append().Write(2, 0, 1300, 0xEE).Reopen().Skip(2).Read(1).Read(2);
    Seed(out, "memo_free_list", t, n);
  }
  // One wide text field: every record is its own purge chunk.
  {
    Table t = Make(work, {{"wide", kTypeText, 200000}, {"n", kTypeInt}});
    Numbers n;
    Ops ops(n, t.types);
    for (int i = 0; i < 4; ++i) ops.Append().Write(1, 0, 1500, 'a' + i).Write(2, i);
    ops.First().Skip(1).Delete().Skip(2).Delete().Purge().Count().First().Find(1, 5).Read(1).Reopen().Read(1);
    Seed(out, "wide_text_chunks", t, n);
  }
  // Records of 40000 bytes, four to a purge chunk, with memo values: deletes in every chunk.
  {
    Table t = Make(work, {{"text", kTypeText, 39988}, {"m", kTypeMemo}, {"n", kTypeInt}});
    Numbers n;
    Ops ops(n, t.types);
    for (int i = 0; i < 11; ++i) ops.Append().Write(2, 0, 100 + 180 * i, 'k').Write(3, i);
    ops.First();
    for (int i = 0; i < 5; ++i) ops.Delete().Skip(2);
    ops.Purge().Count().Reopen().First().Skip(3).Read(2);
    Seed(out, "purge_chunks", t, n);
  }
  // Offsets and widths at the int32 limits; each of these tables is refused or read
  // without touching anything outside its records.
  {
    const Table base = Make(work, kMemo, 3, [](int r) { EveryRecordFilled(r, kMemo); });
    struct Damage {
      const char* name;
      int field, word;
      std::int32_t value;
    };
    for (const Damage& d : {Damage{"memo_offset_near_limit", 1, recfmt::kDefOffOffset, 0x7FFFFFFD},
                            Damage{"memo_offset_past_record", 1, recfmt::kDefOffOffset, 0x7FFFFFF0},
                            Damage{"int_offset_at_limit", 3, recfmt::kDefOffOffset, 0x7FFFFFFF},
                            Damage{"int_offset_in_next_record", 3, recfmt::kDefOffOffset, 14},
                            Damage{"memo_as_wide_text", 1, recfmt::kDefOffType, kTypeText}}) {
      Table t = base;
      PatchI32(t.main, DefAt(d.field, d.word), d.value);
      if (d.word == recfmt::kDefOffType) PatchI32(t.main, DefAt(d.field, recfmt::kDefOffWidth), 0x7FFFFFF0);
      Numbers n;
      Ops(n, t.types).First().Read(1).Read(3).Modify(1, 10).Find(1, 9).Skip(1).Delete().Purge().Append()
          .Write(1, 0, 600).Reopen().Read(1);
      Seed(out, d.name, t, n);
    }
  }
  // A text of 2,000,000,000 bytes in a table without records.
  {
    Table t = Make(work, {{"huge", kTypeText, 2000000000}});
    Numbers n;
    Ops(n, t.types).First().Read(1).ReadAs(1).Find(1, 0).Purge().Append().Count().Skip(1).Reopen();
    Seed(out, "huge_text_no_records", t, n);
  }
  // Memo files cut short: under one block, and below the free list.
  {
    const Table base = Make(work, kMemo, 4, [](int r) { EveryRecordFilled(r, kMemo); });
    Table t = base;
    t.memo.resize(100);
    Numbers n;
    Ops(n, t.types).Reopen().First().Skip(3).Read(1).Write(1, 0, 900).Reopen().Skip(3).Read(1);
    Seed(out, "memo_cut_under_a_block", t, n);

    // Free the first values (lists their blocks), then lose the end of the file.
    const std::string host = work + "/cut.edb";
    Write(host, base.main);
    Write(work + "/cut.EDT", base.memo);
    if (!OpenRecordFile(ProgramPath(host))) return 1;
    FirstRecord();
    SkipRecords(2);
    WriteField(1, Text());
    WriteField(2, Bytes());
    FirstRecord();
    SkipRecords(1);
    WriteField(1, Text());
    CloseRecordFile();
    t = base;
    t.memo = Read(work + "/cut.EDT");
    t.memo.resize(t.memo.size() - 3 * 512 - 20);
    t.main = Read(host);
    Numbers m;
    Ops(m, t.types).Reopen().First().Write(1, 0, 1500).Write(2, 0, 1600).Reopen().Read(1);
    Seed(out, "memo_cut_below_free_list", t, m);

    // A free list that runs in a circle, and one whose head is a block in use.
    t = base;
    PatchI32(t.memo, recfmt::kMemoOffFreeCount, 2);
    PatchI32(t.memo, recfmt::kMemoOffFirstFree, 1);
    PatchI32(t.memo, 1 * 512 + 4, 1);
    Numbers c;
    Ops(c, t.types).First().Write(1, 0, 1600).Write(2, 0, 1600).Reopen().Read(1);
    Seed(out, "memo_free_list_in_use", t, c);
  }
  // Ids and counts at their end, counts above and below what the file holds.
  {
    const Table base = Make(work, kFavorites, 2, [](int r) { EveryRecordFilled(r, kFavorites); });
    Table t = base;
    PatchI32(t.main, recfmt::kOffNextId, 0x7FFFFFFE);
    Numbers n;
    Ops(n, t.types).Append().Append().Id().Reopen().Count();
    Seed(out, "next_id_at_limit", t, n);

    t = base;
    PatchI32(t.main, recfmt::kOffRecordCount, 0x7FFFFFFF);
    t.main.resize(t.main.size() - 7);
    Numbers c;
    Ops(c, t.types).Count().Skip(3).Read(1).Append().Reopen().Count();
    Seed(out, "count_above_file", t, c);

    t = base;
    t.main.resize(t.main.size() + 100, 0x55);
    Numbers s;
    Ops(s, t.types).Count().Append().Skip(-3).Delete().Purge();
    Seed(out, "surplus_tail", t, s);
  }
  std::system(("rm -rf '" + work + "'").c_str());
  return 0;
}
