// The engine's operations, their results and error codes.
#include "record_file_test_util.h"
#include "storage/record_file_internal.h"

namespace rftest {
namespace {

using namespace recfmt;

class EngineTest : public RecordFileTest {};

// ---- Opening and closing ----

TEST_F(EngineTest, OpenAppendsTheExtensionAndNeverCreates) {
  MakeExample("ex.edb");
  EXPECT_TRUE(OpenRecordFile(Path("ex")));  // "ex" + ".EDB", found case-insensitively
  EXPECT_EQ(RecordFileLastError(), 0);
  EXPECT_EQ(CurrentRecordIndex(), 0);
  CloseRecordFile();
  EXPECT_FALSE(HasCurrentRecordFile());

  EXPECT_FALSE(OpenRecordFile(Path("missing")));
  EXPECT_EQ(RecordFileLastError(), -3);
  EXPECT_EQ(RecordFileErrorText(), GBK("指定文件未找到"));
  EXPECT_FALSE(Exists(Host("missing.EDB")));
  EXPECT_FALSE(Exists(Host("missing")));
  EXPECT_FALSE(OpenRecordFile(Text()));
  EXPECT_EQ(RecordFileLastError(), -3);
}

TEST_F(EngineTest, OpenTakesProgramPathsWithBackslashesAndGbk) {
  Text p = Path("数据库.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"x", kTypeInt}}));
  EXPECT_TRUE(Exists(Host("数据库.edb")));
  // A relative program path with backslashes, from the working directory.
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  std::filesystem::create_directory(dir_ + "/sub");
  EXPECT_TRUE(OpenRecordFile(Text(".\\sub\\..\\") + GBK("数据库")));
  EXPECT_EQ(chdir(cwd), 0);
  RecordFileDescription d;
  ASSERT_TRUE(DescribeRecordFile(&d));
  EXPECT_EQ(d.fullPath, ProgramPath(dir_) + "\\" + GBK("数据库.EDB"));
}

TEST_F(EngineTest, SecondOpenInOneProcessFailsWith38) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_FALSE(OpenRecordFile(p));
  EXPECT_EQ(RecordFileLastError(), -38);
  // The same file by another spelling of its path.
  Text upper = p;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  EXPECT_FALSE(OpenRecordFile(upper));
  EXPECT_EQ(RecordFileLastError(), -38);
  EXPECT_TRUE(HasCurrentRecordFile());
  CloseRecordFile();
  EXPECT_TRUE(OpenRecordFile(p));
}

TEST_F(EngineTest, OpenRefusesFilesThatAreNotRecordFiles) {
  Text p = MakeExample();
  auto good = ReadAll(Host("example.edb"));
  auto check = [&](std::vector<unsigned char> bytes, int code) {
    WriteAll(Host("example.edb"), bytes);
    EXPECT_FALSE(OpenRecordFile(p));
    EXPECT_EQ(RecordFileLastError(), code);
    EXPECT_FALSE(HasCurrentRecordFile());
  };
  check({}, -22);
  check(std::vector<unsigned char>(good.begin(), good.begin() + 100), -22);
  auto b = good;
  b[0] = 'X';
  check(b, -22);
  b = good;
  b[1] = 'C';  // "WCDB": protected by an access password
  check(b, -78);
  b = good;
  PutI32At(b, 16, -1);
  check(b, -22);
  b = good;
  PutI32At(b, 20, 0);
  check(b, -22);
  b = good;
  PutI32At(b, 24, 0);
  check(b, -22);
  b = good;
  PutI32At(b, 4, 0x00010001);
  check(b, -23);
  b = good;
  PutI32At(b, 112, 0);
  check(b, -22);
  b = good;
  PutI32At(b, 112, 3);  // the third definition is missing
  check(b, -22);
  b = good;
  PutI32At(b, 112, 0x7FFFFFFF);
  check(b, -22);
  b = good;
  std::fill(b.begin() + 116, b.begin() + 116 + 17, 'n');  // name without its NUL
  check(b, -22);
  b = good;
  PutI32At(b, 116 + 20, 13);
  check(b, -22);
  b = good;
  PutI32At(b, 116 + 24, -1);
  check(b, -22);
  b = good;
  PutI32At(b, 116 + 28, 0);  // text of width 0
  check(b, -22);
  // A version below ours opens.
  b = good;
  PutI32At(b, 4, 0x00000001);
  WriteAll(Host("example.edb"), b);
  EXPECT_TRUE(OpenRecordFile(p));
}

TEST_F(EngineTest, OpenCutsShortAndSurplusTails) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"a", "b", "c"});
  CloseRecordFile();
  auto full = ReadAll(Host("example.edb"));
  ASSERT_EQ(full.size(), 308u);

  // Half of record 3 missing: the count drops to 2 and the partial tail goes.
  WriteAll(Host("example.edb"), std::vector<unsigned char>(full.begin(), full.begin() + 300));
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(RecordCount(), 2);
  CloseRecordFile();
  auto b = ReadAll(Host("example.edb"));
  EXPECT_EQ(b.size(), 292u);
  EXPECT_EQ(I32At(b, 16), 2);
  EXPECT_EQ(I32At(b, 20), 4);  // the next id is left alone

  // Surplus bytes after the counted records are cut off; the count stays.
  auto surplus = full;
  surplus.resize(full.size() + 16 + 7, 0xEE);
  WriteAll(Host("example.edb"), surplus);
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(RecordCount(), 3);
  CloseRecordFile();
  EXPECT_EQ(ReadAll(Host("example.edb")), full);

  // A count above what the file holds, with whole records only.
  b = full;
  PutI32At(b, 16, 50);
  WriteAll(Host("example.edb"), b);
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(RecordCount(), 3);
  CloseRecordFile();
  EXPECT_EQ(ReadAll(Host("example.edb")), full);

  // Nothing but the header: count 0.
  b = full;
  b.resize(270);
  WriteAll(Host("example.edb"), b);
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(RecordCount(), 0);
  CloseRecordFile();
  EXPECT_EQ(SizeOf(Host("example.edb")), 260);
}

TEST_F(EngineTest, OpenChecksTheMemoFile) {
  Text p = Path("m.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"m", kTypeMemo}}));
  auto good = ReadAll(Host("m.EDT"));
  auto check = [&](std::vector<unsigned char> bytes, int code) {
    WriteAll(Host("m.EDT"), bytes);
    EXPECT_FALSE(OpenRecordFile(p));
    EXPECT_EQ(RecordFileLastError(), code);
    EXPECT_FALSE(HasCurrentRecordFile());
  };
  check(std::vector<unsigned char>(good.begin(), good.begin() + 20), -35);
  auto b = good;
  b[3] = 'X';
  check(b, -35);
  b = good;
  PutI32At(b, 16, 0);
  check(b, -35);
  b = good;
  PutI32At(b, 20, 1);  // free count must stay below the block count
  check(b, -35);
  b = good;
  PutI32At(b, 24, 1);
  check(b, -35);
  b = good;
  PutI32At(b, 20, -1);
  check(b, -35);
  b = good;
  PutI32At(b, 4, 0x00000002);
  check(b, -36);
  std::remove(Host("m.EDT").c_str());
  EXPECT_FALSE(OpenRecordFile(p));
  EXPECT_EQ(RecordFileLastError(), -35);

  // A block count above the blocks present is lowered to them.
  b = good;
  PutI32At(b, 16, 9);
  b.resize(512 * 3, 0);
  WriteAll(Host("m.EDT"), b);
  ASSERT_TRUE(OpenRecordFile(p));
  CloseRecordFile();
  EXPECT_EQ(I32At(ReadAll(Host("m.EDT")), 16), 3);
}

TEST_F(EngineTest, FailedOpenLeavesTheListAndCurrentFileAlone) {
  Text a = MakeExample("a.edb");
  Text bad = MakeExample("bad.edb");
  auto b = ReadAll(Host("bad.edb"));
  b[0] = 0;
  WriteAll(Host("bad.edb"), b);
  ASSERT_TRUE(OpenRecordFile(a));
  AppendTexts({"x"});
  EXPECT_FALSE(OpenRecordFile(bad));
  EXPECT_TRUE(HasCurrentRecordFile());
  EXPECT_EQ(RecordCount(), 1);
  EXPECT_EQ(CurrentRecordIndex(), 0);
}

TEST_F(EngineTest, CloseByBaseNameFullPathNewestFirst) {
  Text a = MakeExample("a.edb");
  std::filesystem::create_directory(Host("d"));
  Text a2 = MakeExample("d/a.edb");
  Text b = MakeExample("b.edb");
  ASSERT_TRUE(OpenRecordFile(a));
  ASSERT_TRUE(OpenRecordFile(a2));
  ASSERT_TRUE(OpenRecordFile(b));
  AppendTexts({"in b"});

  // A base name matching nothing does nothing and sets no error.
  SkipRecords(1);
  ASSERT_FALSE(SkipRecords(1));  // leaves an error behind
  CloseRecordFile("nothing");
  EXPECT_EQ(RecordFileLastError(), 0);
  EXPECT_TRUE(HasCurrentRecordFile());

  // Closing a file before the current one keeps the current file.
  CloseRecordFile("A");  // the newest "a": d/a.edb
  EXPECT_TRUE(HasCurrentRecordFile());
  EXPECT_EQ(RecordCount(), 1);
  EXPECT_TRUE(OpenRecordFile(a2));  // it is closed: opens again
  CloseRecordFile("a");             // the newest again
  EXPECT_FALSE(HasCurrentRecordFile());  // that was the current file
  EXPECT_FALSE(OpenRecordFile(a));       // the first "a" is still open
  EXPECT_EQ(RecordFileLastError(), -38);
  CloseRecordFile(a);  // by its full path
  EXPECT_TRUE(OpenRecordFile(a));
  CloseRecordFile();
  CloseRecordFile();  // twice: harmless
  EXPECT_EQ(RecordFileLastError(), 0);
  CloseRecordFile("b.edb");  // by base name with... not a base name: no match
  EXPECT_FALSE(OpenRecordFile(b));
  CloseRecordFile("b");
  EXPECT_TRUE(OpenRecordFile(b));
}

// ---- Without a current file ----

TEST_F(EngineTest, OperationsWithoutACurrentFileFailWith67) {
  EXPECT_EQ(RecordCount(), 0);
  EXPECT_EQ(RecordFileLastError(), -67);
  EXPECT_EQ(RecordFileErrorText(), GBK("未设置当前数据库"));
  FirstRecord();
  EXPECT_EQ(RecordFileLastError(), -67);
  EXPECT_FALSE(SkipRecords());
  EXPECT_EQ(RecordFileLastError(), -67);
  EXPECT_FALSE(AppendBlankRecord());
  EXPECT_EQ(RecordFileLastError(), -67);
  EXPECT_FALSE(ModifyRecord({FieldValue(1)}));
  EXPECT_EQ(RecordFileLastError(), -67);
  EXPECT_FALSE(FindRecord([] { return true; }));
  EXPECT_EQ(RecordFileLastError(), -67);
  EXPECT_FALSE(DeleteRecord());
  EXPECT_EQ(RecordFileLastError(), -67);
  EXPECT_FALSE(PurgeDeletedRecords());
  EXPECT_EQ(RecordFileLastError(), -67);
}

TEST_F(EngineTest, FieldAccessMistakesAreFatal) {
  auto fatal_text = [](auto fn) -> Text {
    try {
      fn();
    } catch (const FatalCaught& f) {
      return f.message;
    }
    return "not fatal";
  };
  const Text no_file = FatalErrorMessage(0, GBK("未指定当前数据库或者指定数据库未打开"));
  const Text no_field = FatalErrorMessage(0, GBK("指定字段不存在"));
  EXPECT_EQ(fatal_text([] { ReadField(1); }), no_file);
  EXPECT_EQ(fatal_text([] { WriteField(1, FieldValue(1)); }), no_file);
  EXPECT_EQ(fatal_text([] { ReadTextField(1); }), no_file);
  EXPECT_EQ(fatal_text([] { ReadIntField(1); }), no_file);

  ASSERT_TRUE(OpenRecordFile(MakeExample()));
  AppendTexts({"a"});
  EXPECT_EQ(fatal_text([] { ReadField(0); }), no_field);
  EXPECT_EQ(fatal_text([] { ReadField(3); }), no_field);
  EXPECT_EQ(fatal_text([] { WriteField(3, FieldValue(1)); }), no_field);
  EXPECT_NE(fatal_text([] { WriteField(1, FieldValue(1)); }), "not fatal");  // number into text
  EXPECT_NE(fatal_text([] { WriteField(2, FieldValue("1")); }), "not fatal");
  EXPECT_NE(fatal_text([] { WriteField(2, FieldValue(true)); }), "not fatal");
  EXPECT_NE(fatal_text([] { ReadTextField(2); }), "not fatal");
  EXPECT_NE(fatal_text([] { ReadIntField(1); }), "not fatal");
  // None of it touched the record.
  EXPECT_EQ(ReadTextField(1), "a");
  EXPECT_EQ(ReadIntField(2), 0);
}

// ---- Walking ----

TEST_F(EngineTest, RecordCountFirstAndSkip) {
  ASSERT_TRUE(OpenRecordFile(MakeExample()));
  EXPECT_EQ(RecordCount(), 0);
  EXPECT_FALSE(SkipRecords(1));
  EXPECT_EQ(RecordFileLastError(), -26);
  EXPECT_FALSE(SkipRecords(-1));
  EXPECT_EQ(RecordFileLastError(), -25);
  EXPECT_EQ(RecordFileErrorText(), GBK("已经越过数据库的首记录"));
  EXPECT_TRUE(SkipRecords(0));
  EXPECT_EQ(RecordFileLastError(), 0);

  // An empty file: index 0, and reading there fails with -10 and the empty value.
  FirstRecord();
  EXPECT_EQ(CurrentRecordIndex(), 0);
  EXPECT_EQ(ReadField(1), FieldValue(Text()));
  EXPECT_EQ(RecordFileLastError(), -10);
  EXPECT_EQ(ReadField(2), FieldValue(0));
  EXPECT_EQ(RecordFileLastError(), -10);

  AppendTexts({"a", "b", "c"});
  EXPECT_EQ(RecordCount(), 3);
  EXPECT_EQ(CurrentRecordIndex(), 2);
  EXPECT_TRUE(SkipRecords(1));  // the end position
  EXPECT_EQ(CurrentRecordIndex(), 3);
  EXPECT_FALSE(SkipRecords(1));
  EXPECT_EQ(RecordFileLastError(), -26);
  EXPECT_EQ(CurrentRecordIndex(), 3);
  EXPECT_EQ(ReadField(1), FieldValue(Text()));
  EXPECT_EQ(RecordFileLastError(), -10);
  EXPECT_TRUE(SkipRecords(-100));  // limited to before the first
  EXPECT_EQ(CurrentRecordIndex(), -1);
  EXPECT_FALSE(SkipRecords(-1));
  EXPECT_EQ(RecordFileLastError(), -25);
  EXPECT_EQ(ReadField(1), FieldValue(Text()));
  EXPECT_EQ(RecordFileLastError(), -60);
  EXPECT_FALSE(WriteField(1, FieldValue("x")));
  EXPECT_EQ(RecordFileLastError(), -60);
  EXPECT_FALSE(ModifyRecord({FieldValue("x")}));
  EXPECT_EQ(RecordFileLastError(), -60);
  EXPECT_FALSE(DeleteRecord());
  EXPECT_EQ(RecordFileLastError(), -60);
  EXPECT_TRUE(SkipRecords(2));
  EXPECT_EQ(ReadTextField(1), "b");
  EXPECT_TRUE(SkipRecords(1000));
  EXPECT_EQ(CurrentRecordIndex(), 3);
  EXPECT_TRUE(SkipRecords(-1));
  EXPECT_EQ(ReadTextField(1), "c");
  FirstRecord();
  EXPECT_EQ(ReadTextField(1), "a");
  // Past the end: writes fail with -60.
  SkipRecords(3);
  EXPECT_FALSE(WriteField(2, FieldValue(5)));
  EXPECT_EQ(RecordFileLastError(), -60);
  EXPECT_FALSE(ModifyRecord({FieldValue("x")}));
  EXPECT_EQ(RecordFileLastError(), -60);
  EXPECT_FALSE(DeleteRecord());
  EXPECT_EQ(RecordFileLastError(), -60);
}

TEST_F(EngineTest, RecordsAppendedElsewhereAreSeenAtOnce) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(RecordCount(), 0);
  // Another writer of the file (here: raw bytes) appends a record.
  auto b = ReadAll(Host("example.edb"));
  b.resize(276, 0);
  PutI32At(b, 260, 1);
  PutI32At(b, 16, 1);
  PutI32At(b, 20, 2);
  WriteAll(Host("example.edb"), b);
  EXPECT_EQ(RecordCount(), 1);
  EXPECT_TRUE(SkipRecords(1));
}

// ---- Values ----

TEST_F(EngineTest, EveryKindReadsBackAsWritten) {
  Text p = Path("all.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"b", kTypeByte}, {"s", kTypeShort}, {"i", kTypeInt}, {"l", kTypeLong},
                                   {"f", kTypeFloat}, {"d", kTypeDouble}, {"o", kTypeBool},
                                   {"t", kTypeDateTime}, {"u", kTypeSubroutine}, {"x", kTypeText, 6},
                                   {"y", kTypeBytes}, {"m", kTypeMemo}}));
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendBlankRecord());
  // A fresh record is all zero: empty values of each kind.
  EXPECT_EQ(ReadField(1), FieldValue::Byte(0));
  EXPECT_EQ(ReadField(7), FieldValue::Bool(false));
  EXPECT_EQ(ReadField(8), FieldValue::Date(0));
  EXPECT_EQ(ReadField(10), FieldValue(Text()));
  EXPECT_EQ(ReadField(11), FieldValue(Bytes()));
  EXPECT_EQ(ReadField(12), FieldValue(Text()));

  EXPECT_TRUE(WriteField(1, FieldValue::Byte(200)));
  EXPECT_TRUE(WriteField(2, FieldValue::Short(-300)));
  EXPECT_TRUE(WriteField(3, FieldValue::Int(-70000)));
  EXPECT_TRUE(WriteField(4, FieldValue::Long(-5000000000LL)));
  EXPECT_TRUE(WriteField(5, FieldValue::Float(0.25f)));
  EXPECT_TRUE(WriteField(6, FieldValue::Double(1e100)));
  EXPECT_TRUE(WriteField(7, FieldValue::Bool(true)));
  EXPECT_TRUE(WriteField(8, FieldValue::Date(40000.75)));
  EXPECT_TRUE(WriteField(9, FieldValue::Subroutine(-9)));
  EXPECT_TRUE(WriteField(10, FieldValue(GBK("网址"))));
  EXPECT_TRUE(WriteField(11, FieldValue(Bytes{0, 1, 2, 255})));
  EXPECT_TRUE(WriteField(12, FieldValue(Text(1200, 'm'))));
  EXPECT_EQ(ReadField(1), FieldValue::Byte(200));
  EXPECT_EQ(ReadField(2), FieldValue::Short(-300));
  EXPECT_EQ(ReadField(3), FieldValue::Int(-70000));
  EXPECT_EQ(ReadField(4), FieldValue::Long(-5000000000LL));
  EXPECT_EQ(ReadField(5), FieldValue::Float(0.25f));
  EXPECT_EQ(ReadField(6), FieldValue::Double(1e100));
  EXPECT_EQ(ReadField(7), FieldValue::Bool(true));
  EXPECT_EQ(ReadField(8), FieldValue::Date(40000.75));
  EXPECT_EQ(ReadField(9), FieldValue::Subroutine(-9));
  EXPECT_EQ(ReadField(10), FieldValue(GBK("网址")));
  EXPECT_EQ(ReadField(11), FieldValue(Bytes{0, 1, 2, 255}));
  EXPECT_EQ(ReadField(12), FieldValue(Text(1200, 'm')));
  EXPECT_EQ(RecordFileLastError(), 0);

  // The caller-side number reads.
  EXPECT_EQ(ReadIntField(1), 200);             // unsigned
  EXPECT_EQ(ReadIntField(2), -300);            // sign-extended
  EXPECT_EQ(ReadIntField(4), static_cast<std::int32_t>(-5000000000LL & 0xFFFFFFFF));  // low 32 bits
  EXPECT_TRUE(WriteField(6, FieldValue::Double(-7.9)));
  EXPECT_EQ(ReadIntField(6), -7);  // truncated toward zero
  EXPECT_TRUE(WriteField(5, FieldValue::Float(3.99f)));
  EXPECT_EQ(ReadIntField(5), 3);
  EXPECT_EQ(ReadTextField(12), Text(1200, 'm'));
}

TEST_F(EngineTest, NumbersConvertToTheFieldType) {
  Text p = Path("n.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"b", kTypeByte}, {"s", kTypeShort}, {"i", kTypeInt}, {"f", kTypeFloat},
                                   {"d", kTypeDouble}}));
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendBlankRecord());
  EXPECT_TRUE(WriteField(1, FieldValue(300)));         // low 8 bits
  EXPECT_TRUE(WriteField(2, FieldValue(2.9)));         // truncated
  EXPECT_TRUE(WriteField(3, FieldValue::Long(1LL << 33 | 5)));
  EXPECT_TRUE(WriteField(4, FieldValue(7)));
  EXPECT_TRUE(WriteField(5, FieldValue::Byte(9)));
  EXPECT_EQ(ReadField(1), FieldValue::Byte(44));
  EXPECT_EQ(ReadField(2), FieldValue::Short(2));
  EXPECT_EQ(ReadField(3), FieldValue::Int(5));
  EXPECT_EQ(ReadField(4), FieldValue::Float(7));
  EXPECT_EQ(ReadField(5), FieldValue::Double(9));
  ASSERT_TRUE(ModifyRecord({FieldValue(-1.5), FieldValue::Long(-2), FieldValue::Float(1e20f)}));
  // A real is truncated toward zero and held to the range of the field's type.
  EXPECT_EQ(ReadField(1), FieldValue::Byte(0));
  EXPECT_EQ(ReadField(2), FieldValue::Short(-2));
  EXPECT_EQ(ReadField(3), FieldValue::Int(INT32_MAX));
  ASSERT_TRUE(ModifyRecord({FieldValue(255.9), FieldValue(-1e9), FieldValue(-3.99)}));
  EXPECT_EQ(ReadField(1), FieldValue::Byte(255));
  EXPECT_EQ(ReadField(2), FieldValue::Short(INT16_MIN));
  EXPECT_EQ(ReadField(3), FieldValue::Int(-3));
}

TEST_F(EngineTest, DateTimesAreClampedOnReading) {
  Text p = Path("t.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"t", kTypeDateTime}}));
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(WriteField(1, FieldValue::Date(1e9)));
  EXPECT_EQ(ReadField(1), FieldValue::Date(2958465));
  ASSERT_TRUE(WriteField(1, FieldValue::Date(-1e9)));
  EXPECT_EQ(ReadField(1), FieldValue::Date(-657434));
  CloseRecordFile();
  auto b = ReadAll(Host("t.edb"));
  EXPECT_EQ(GetF64(&b[DataStart(1) + 4]), -1e9);  // stored as given
}

// ---- ModifyRecord ----

TEST_F(EngineTest, ModifyChecksEveryTypeBeforeWriting) {
  Text p = Path("mod.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"a", kTypeInt}, {"b", kTypeText, 10}, {"c", kTypeBool}, {"d", kTypeMemo}}));
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(ModifyRecord({FieldValue(1), FieldValue("one"), FieldValue(true), FieldValue("memo one")}));
  auto before = ReadAll(Host("mod.edb"));
  auto memo_before = ReadAll(Host("mod.EDT"));
  // The fourth value is of the wrong kind: nothing at all is written, not even the memo.
  EXPECT_FALSE(ModifyRecord({FieldValue(2), FieldValue("two"), FieldValue(false), FieldValue(5)}));
  EXPECT_EQ(RecordFileLastError(), -72);
  EXPECT_EQ(RecordFileErrorText(), GBK("所提供数据的类型与字段类型不匹配"));
  EXPECT_FALSE(ModifyRecord({FieldValue(1), FieldValue(1)}));
  EXPECT_EQ(RecordFileLastError(), -72);
  EXPECT_FALSE(ModifyRecord({FieldValue(1), std::nullopt, FieldValue(1)}));  // a number is no bool
  EXPECT_EQ(RecordFileLastError(), -72);
  EXPECT_FALSE(ModifyRecord({FieldValue(Bytes{1})}));  // a byte set is no number
  EXPECT_EQ(RecordFileLastError(), -72);
  EXPECT_EQ(ReadAll(Host("mod.edb")), before);
  EXPECT_EQ(ReadAll(Host("mod.EDT")), memo_before);

  // Fewer values leave the rest; an omitted value in the middle leaves its field.
  ASSERT_TRUE(ModifyRecord({FieldValue(7)}));
  EXPECT_EQ(ReadIntField(1), 7);
  EXPECT_EQ(ReadTextField(2), "one");
  ASSERT_TRUE(ModifyRecord({std::nullopt, FieldValue("two"), std::nullopt, FieldValue("memo two")}));
  EXPECT_EQ(ReadIntField(1), 7);
  EXPECT_EQ(ReadTextField(2), "two");
  EXPECT_EQ(ReadField(3), FieldValue(true));
  EXPECT_EQ(ReadTextField(4), "memo two");
  // Values beyond the last field are ignored.
  ASSERT_TRUE(ModifyRecord({FieldValue(8), FieldValue("x"), FieldValue(false), FieldValue("m"), FieldValue(1)}));
  EXPECT_EQ(ReadIntField(1), 8);
  // The id is never rewritten.
  EXPECT_EQ(CurrentRecordId(), 1);
}

// ---- AppendBlankRecord and ids ----

TEST_F(EngineTest, AppendUsesTheNextIdAndIdsAreNeverReused) {
  Text p = MakeExample();
  auto b = ReadAll(Host("example.edb"));
  PutI32At(b, 20, 7);
  WriteAll(Host("example.edb"), b);
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendBlankRecord());
  EXPECT_EQ(CurrentRecordId(), 7);
  EXPECT_EQ(CurrentRecordIndex(), 0);
  CloseRecordFile();
  b = ReadAll(Host("example.edb"));
  EXPECT_EQ(I32At(b, 260), 7);
  EXPECT_EQ(I32At(b, 20), 8);
  EXPECT_EQ(I32At(b, 16), 1);

  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"a", "b"});  // ids 8, 9
  ASSERT_TRUE(DeleteRecord());  // 9
  ASSERT_TRUE(PurgeDeletedRecords());
  ASSERT_TRUE(AppendBlankRecord());
  EXPECT_EQ(CurrentRecordId(), 10);
  CloseRecordFile();
  b = ReadAll(Host("example.edb"));
  EXPECT_EQ(I32At(b, 20), 11);
  EXPECT_EQ(I32At(b, 260), 7);
  EXPECT_EQ(I32At(b, 276), 8);
  EXPECT_EQ(I32At(b, 292), 10);

  // Counters damaged behind an open file read as count 0 and next id 1.
  ASSERT_TRUE(OpenRecordFile(p));
  PutI32At(b, 16, -3);
  PutI32At(b, 20, 0);
  WriteAll(Host("example.edb"), b);
  ASSERT_TRUE(AppendBlankRecord());
  EXPECT_EQ(CurrentRecordIndex(), 0);
  EXPECT_EQ(CurrentRecordId(), 1);
  EXPECT_EQ(RecordCount(), 1);
}

TEST_F(EngineTest, AppendFailsWith10WhenTheFileIsShorterThanItsCount) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"a", "b"});
  // Someone else cuts the file behind our back.
  ASSERT_EQ(truncate(Host("example.edb").c_str(), 270), 0);
  EXPECT_FALSE(AppendBlankRecord());
  EXPECT_EQ(RecordFileLastError(), -10);
  EXPECT_EQ(RecordFileErrorText(), GBK("文件指针定位失败"));
  EXPECT_EQ(SizeOf(Host("example.edb")), 270);
  EXPECT_TRUE(HeldRecordFileLocksForTesting(false).empty());
}

// ---- FindRecord ----

TEST_F(EngineTest, FindScansFromTheCurrentRecord) {
  ASSERT_TRUE(OpenRecordFile(MakeExample()));
  EXPECT_FALSE(FindRecord([] { return true; }));  // empty file
  EXPECT_EQ(RecordFileLastError(), 0);
  AppendTexts({"a", "b", "a", "c"});
  FirstRecord();
  int tested = 0;
  auto is_a = [&] {
    ++tested;
    return ReadTextField(1) == "a";
  };
  EXPECT_TRUE(FindRecord(is_a));
  EXPECT_EQ(CurrentRecordIndex(), 0);
  EXPECT_EQ(tested, 1);
  SkipRecords();
  EXPECT_TRUE(FindRecord(is_a));
  EXPECT_EQ(CurrentRecordIndex(), 2);
  EXPECT_EQ(ReadIntField(2), 2);
  SkipRecords();
  tested = 0;
  EXPECT_FALSE(FindRecord(is_a));
  EXPECT_EQ(RecordFileLastError(), 0);
  EXPECT_EQ(tested, 1);
  EXPECT_EQ(CurrentRecordIndex(), 3);  // unchanged
  // At the end position nothing is tested.
  SkipRecords();
  tested = 0;
  EXPECT_FALSE(FindRecord(is_a));
  EXPECT_EQ(tested, 0);
  EXPECT_EQ(CurrentRecordIndex(), 4);
  // Before the first record the scan starts at 0.
  SkipRecords(-10);
  EXPECT_TRUE(FindRecord([] { return ReadTextField(1) == "b"; }));
  EXPECT_EQ(CurrentRecordIndex(), 1);
  // Inside the condition the candidate is the current record.
  FirstRecord();
  std::vector<int> seen;
  EXPECT_FALSE(FindRecord([&] {
    seen.push_back(CurrentRecordIndex());
    return false;
  }));
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(CurrentRecordIndex(), 0);
  EXPECT_TRUE(HeldRecordFileLocksForTesting(false).empty());
}

TEST_F(EngineTest, FindTestsDeletedRecordsToo) {
  ASSERT_TRUE(OpenRecordFile(MakeExample()));
  AppendTexts({"a", "b"});
  FirstRecord();
  ASSERT_TRUE(DeleteRecord());
  EXPECT_TRUE(FindRecord([] { return ReadTextField(1) == "a"; }));
  EXPECT_EQ(CurrentRecordId(), -1);
}

TEST_F(EngineTest, FindReadsTheCandidateFromMemory) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"a", "b"});
  FirstRecord();
  // The condition changes the file under the scan: it still sees the bytes read for
  // the candidate, and the next candidate is read afresh.
  int calls = 0;
  Text first_before, first_after;
  EXPECT_TRUE(FindRecord([&] {
    if (++calls == 1) {
      first_before = ReadTextField(1);
      auto b = ReadAll(Host("example.edb"));
      b[264] = 'z';
      b[280] = 'y';
      WriteAll(Host("example.edb"), b);
      first_after = ReadTextField(1);
      return false;
    }
    return ReadTextField(1) == "y";
  }));
  EXPECT_EQ(first_before, "a");
  EXPECT_EQ(first_after, "a");
  EXPECT_EQ(CurrentRecordIndex(), 1);
  FirstRecord();
  EXPECT_EQ(ReadTextField(1), "z");
}

TEST_F(EngineTest, FindRestoresStateWhenTheConditionThrowsOrCloses) {
  ASSERT_TRUE(OpenRecordFile(MakeExample()));
  AppendTexts({"a", "b"});
  FirstRecord();
  EXPECT_THROW(FindRecord([]() -> bool { throw 5; }), int);
  EXPECT_EQ(CurrentRecordIndex(), 0);
  EXPECT_TRUE(HeldRecordFileLocksForTesting(false).empty());
  EXPECT_TRUE(FindRecord([] { return ReadTextField(1) == "b"; }));
  // A condition that closes the file ends the scan.
  FirstRecord();
  EXPECT_FALSE(FindRecord([] {
    CloseRecordFile();
    return true;
  }));
  EXPECT_EQ(RecordFileLastError(), -67);
  EXPECT_FALSE(HasCurrentRecordFile());
}

// ---- DeleteRecord and PurgeDeletedRecords ----

TEST_F(EngineTest, DeleteNegatesTheIdOnce) {
  ASSERT_TRUE(OpenRecordFile(MakeExample()));
  AppendTexts({"a", "b"});
  FirstRecord();
  ASSERT_TRUE(DeleteRecord());
  EXPECT_EQ(CurrentRecordId(), -1);
  ASSERT_TRUE(DeleteRecord());  // already deleted: stays negative
  EXPECT_EQ(CurrentRecordId(), -1);
  EXPECT_EQ(RecordCount(), 2);  // counted until purged
  EXPECT_EQ(ReadTextField(1), "a");  // and still readable
}

TEST_F(EngineTest, PurgeWithoutDeletedRecordsChangesNothingButTheIndex) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"a", "b", "c"});
  auto before = ReadAll(Host("example.edb"));
  EXPECT_EQ(CurrentRecordIndex(), 2);
  ASSERT_TRUE(PurgeDeletedRecords());
  EXPECT_EQ(CurrentRecordIndex(), 0);
  EXPECT_EQ(ReadAll(Host("example.edb")), before);
}

TEST_F(EngineTest, PurgeCompactsInPlaceAndKeepsIds) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"a", "b", "c", "d", "e"});
  FirstRecord();
  ASSERT_TRUE(DeleteRecord());  // a
  SkipRecords(2);
  ASSERT_TRUE(DeleteRecord());  // c
  SkipRecords(2);
  ASSERT_TRUE(DeleteRecord());  // e
  ASSERT_TRUE(PurgeDeletedRecords());
  EXPECT_EQ(RecordCount(), 2);
  EXPECT_EQ(CurrentRecordIndex(), 0);
  EXPECT_EQ(ReadTextField(1), "b");
  EXPECT_EQ(CurrentRecordId(), 2);
  SkipRecords();
  EXPECT_EQ(ReadTextField(1), "d");
  EXPECT_EQ(CurrentRecordId(), 4);
  CloseRecordFile();
  auto b = ReadAll(Host("example.edb"));
  EXPECT_EQ(b.size(), 260u + 2 * 16);
  EXPECT_EQ(I32At(b, 16), 2);
  EXPECT_EQ(I32At(b, 20), 6);  // unchanged

  // Everything deleted.
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(DeleteRecord());
  SkipRecords();
  ASSERT_TRUE(DeleteRecord());
  ASSERT_TRUE(PurgeDeletedRecords());
  EXPECT_EQ(RecordCount(), 0);
  CloseRecordFile();
  EXPECT_EQ(SizeOf(Host("example.edb")), 260);
}

TEST_F(EngineTest, PurgeWorksAcrossChunksWithMemoValues) {
  // 100-byte records: 1638 to a chunk; 5000 records make four chunks.
  Text p = Path("big.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"n", kTypeInt}, {"t", kTypeText, 88}, {"m", kTypeMemo}}));
  ASSERT_TRUE(OpenRecordFile(p));
  const int total = 5000;
  // Building the table needs no flush after every record; the purge below has its journal.
  SetRecordFileJournalForTesting(false);
  for (int i = 0; i < total; ++i) {
    ASSERT_TRUE(AppendBlankRecord());
    std::optional<FieldValue> memo;
    if (i % 7 == 0) memo = FieldValue(Text(static_cast<std::size_t>(i % 1100 + 1), static_cast<char>('a' + i % 26)));
    ASSERT_TRUE(ModifyRecord({FieldValue(i), FieldValue("r" + std::to_string(i)), memo}));
  }
  auto deleted = [](int i) { return i % 3 == 0 || (i >= 1600 && i < 1700) || i == total - 1; };
  FirstRecord();
  for (int i = 0; i < total; ++i) {
    if (deleted(i)) {
      ASSERT_TRUE(DeleteRecord());
    }
    SkipRecords();
  }
  SetRecordFileJournalForTesting(true);
  ASSERT_TRUE(PurgeDeletedRecords());
  int kept = 0;
  for (int i = 0; i < total; ++i) kept += deleted(i) ? 0 : 1;
  ASSERT_EQ(RecordCount(), kept);
  FirstRecord();
  for (int i = 0; i < total; ++i) {
    if (deleted(i)) continue;
    ASSERT_EQ(ReadIntField(1), i);
    ASSERT_EQ(CurrentRecordId(), i + 1);
    ASSERT_EQ(ReadTextField(2), "r" + std::to_string(i));
    Text want = i % 7 == 0 ? Text(static_cast<std::size_t>(i % 1100 + 1), static_cast<char>('a' + i % 26)) : Text();
    ASSERT_EQ(ReadTextField(3), want) << i;
    SkipRecords();
  }
  EXPECT_EQ(CurrentRecordIndex(), kept);
  CloseRecordFile();
  EXPECT_EQ(SizeOf(Host("big.edb")), DataStart(3) + 100LL * kept);

  // The memo blocks of the dropped records went back to the free list: the blocks
  // in use plus the free ones make up the file.
  auto m = ReadAll(Host("big.EDT"));
  std::int32_t blocks = I32At(m, 16), free_count = I32At(m, 20);
  ASSERT_EQ(m.size(), static_cast<std::size_t>(blocks) * 512);
  int used_blocks = 0;
  for (int i = 0; i < total; ++i)
    if (!deleted(i) && i % 7 == 0) used_blocks += (i % 1100 + 1 + 499) / 500;
  EXPECT_EQ(blocks - 1 - free_count, used_blocks);
  EXPECT_GT(free_count, 0);
}

TEST_F(EngineTest, ErrorTextsAreTheGbkTable) {
  EXPECT_EQ(RecordFileErrorTextOf(0), "");
  // 未知错误 in GBK.
  EXPECT_EQ(RecordFileErrorTextOf(-1), "\xCE\xB4\xD6\xAA\xB4\xED\xCE\xF3");
  EXPECT_EQ(RecordFileErrorTextOf(-77), RecordFileErrorTextOf(-1));
  EXPECT_EQ(RecordFileErrorTextOf(-81), RecordFileErrorTextOf(-1));
  EXPECT_EQ(RecordFileErrorTextOf(5), RecordFileErrorTextOf(-1));
  EXPECT_EQ(RecordFileErrorTextOf(-16), GBK("字段数目必须大于 0 "));  // the trailing space belongs to it
  EXPECT_EQ(RecordFileErrorTextOf(-13), GBK("加锁文件失败"));
  EXPECT_EQ(RecordFileErrorTextOf(-38), GBK("指定数据库已经被打开"));
  EXPECT_EQ(RecordFileErrorTextOf(-65), GBK("取数据库记录数失败"));
  // The curly quotes are the GBK punctuation A1B0 / A1B1.
  Text t74 = RecordFileErrorTextOf(-74);
  EXPECT_NE(t74.find("\xA1\xB0#"), Text::npos);
  EXPECT_NE(t74.find("\xA1\xB1"), Text::npos);
  EXPECT_EQ(GbkToUtf8(t74), "数据库的共享打开方式不是“#禁止读写”");
  // Every listed code converts without a lost character.
  for (int code = -80; code <= -1; ++code) {
    Text t = RecordFileErrorTextOf(code);
    EXPECT_EQ(t.find('?'), Text::npos) << code;
    EXPECT_FALSE(t.empty());
  }
  EXPECT_EQ(GbkToUtf8(RecordFileErrorTextOf(-18)),
            "无效的字段名称。名称首字符必须为全半角字母或汉字，其他字符必须为全半角字母、"
            "全半角数字或汉字。名称长度必须小于 16 字符");
}

TEST_F(EngineTest, EverySuccessResetsTheLastError) {
  ASSERT_TRUE(OpenRecordFile(MakeExample()));
  EXPECT_FALSE(SkipRecords(1));
  EXPECT_NE(RecordFileLastError(), 0);
  EXPECT_EQ(RecordCount(), 0);
  EXPECT_EQ(RecordFileLastError(), 0);
  EXPECT_EQ(RecordFileErrorText(), "");
}

TEST_F(EngineTest, LastErrorIsPerThread) {
  EXPECT_FALSE(AppendBlankRecord());
  EXPECT_EQ(RecordFileLastError(), -67);
  int other = 1;
  std::thread([&] { other = RecordFileLastError(); }).join();
  EXPECT_EQ(other, 0);
  EXPECT_EQ(RecordFileLastError(), -67);
}

TEST_F(EngineTest, FieldNumberByName) {
  ASSERT_TRUE(OpenRecordFile(MakeExample()));
  EXPECT_EQ(FieldNumber("NAME"), 1);
  EXPECT_EQ(FieldNumber("value"), 2);
  EXPECT_EQ(FieldNumber("other"), 0);
  RecordFileDescription d;
  ASSERT_TRUE(DescribeRecordFile(&d));
  EXPECT_EQ(d.recordLength, 16);
  EXPECT_EQ(d.dataStart, 260);
  ASSERT_EQ(d.fields.size(), 2u);
  EXPECT_EQ(d.fields[1].offset, 12);
}

}  // namespace
}  // namespace rftest

namespace rftest {
namespace {

// GBK trail bytes may be 0x5C, the backslash: path rules must step over them.
TEST(RecordFilePaths, DoubleByteCharactersEndingInABackslashByteStayWhole) {
  const Text name = Text("a\xD5\x5C");  // a, then a character whose trail byte is '\'
  EXPECT_EQ(recfile::WithDefaultExtension("\\d\\" + name), "\\d\\" + name + ".EDB");
  EXPECT_EQ(recfile::BaseName("\\d\\" + name + ".edb"), name);
#ifdef _WIN32
  const Text drive = CurrentDirectory().substr(0, 2);  // a rooted path lies on the current drive
#else
  const Text drive;
#endif
  EXPECT_EQ(recfile::FullPath("\\d\\" + name + "\\..\\" + name + ".edb"), drive + "\\d\\" + name + ".edb");
  EXPECT_EQ(recfile::MemoPath("\\d\\" + name + ".edb"), "\\d\\" + name + ".EDT");
  EXPECT_EQ(recfile::WithDefaultExtension("\\d\\x."), "\\d\\x.EDB");
  EXPECT_EQ(recfile::WithDefaultExtension("\\d.x\\y"), "\\d.x\\y.EDB");
  EXPECT_TRUE(recfile::SameTextIgnoringCase("\\D\\" + name + ".EdB", "\\d\\" + name + ".eDb"));
  // The trail byte of a double-byte character is not folded like a letter.
  EXPECT_FALSE(recfile::SameTextIgnoringCase("\xD5\x41", "\xD5\x61"));
}

}  // namespace
}  // namespace rftest
