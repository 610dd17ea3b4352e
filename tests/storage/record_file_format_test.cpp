// The byte layout of record files as the creation helper writes them and the engine
// fills them: header, field definitions, records, memo header.
#include "record_file_test_util.h"

namespace rftest {
namespace {

using namespace recfmt;

class FormatTest : public RecordFileTest {};

TEST_F(FormatTest, ExampleFileHasTheDocumentedLayout) {
  Text p = MakeExample();
  auto b = ReadAll(Host("example.edb"));
  ASSERT_EQ(b.size(), 260u);  // 112 + 4 + 2 * 72, no records yet
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "WEDB");
  EXPECT_EQ(I32At(b, 4), 0x00010000);
  EXPECT_EQ(I32At(b, 16), 0);   // record count
  EXPECT_EQ(I32At(b, 20), 1);   // next record id
  EXPECT_EQ(I32At(b, 24), 16);  // record length: id + 8 + 4
  EXPECT_EQ(I32At(b, 112), 2);  // field count
  // Field 1.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[116])), "name");
  EXPECT_EQ(I32At(b, 116 + 20), kTypeText);
  EXPECT_EQ(I32At(b, 116 + 24), 4);
  EXPECT_EQ(I32At(b, 116 + 28), 8);
  // Field 2.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[188])), "value");
  EXPECT_EQ(I32At(b, 188 + 20), kTypeInt);
  EXPECT_EQ(I32At(b, 188 + 24), 12);
  // No memo file without memo fields.
  EXPECT_FALSE(Exists(Host("example.EDT")));
  EXPECT_FALSE(Exists(Host("example.edt")));

  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"abc", "defgh", "z"});
  CloseRecordFile();
  b = ReadAll(Host("example.edb"));
  ASSERT_EQ(b.size(), 308u);
  EXPECT_EQ(I32At(b, 16), 3);
  EXPECT_EQ(I32At(b, 20), 4);
  // Record 1 at 260: id, text at 264..271, integer at 272..275.
  EXPECT_EQ(I32At(b, 260), 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[264]), 4), std::string("abc\0", 4));
  EXPECT_EQ(I32At(b, 272), 0);
  // Record 2 starts at 276.
  EXPECT_EQ(I32At(b, 276), 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[280]), 5), "defgh");
  EXPECT_EQ(I32At(b, 288), 1);
  EXPECT_EQ(I32At(b, 292), 3);
  EXPECT_EQ(I32At(b, 304), 2);
}

TEST_F(FormatTest, EveryTypeTakesItsStoredSize) {
  Text p = Path("all.edb");
  std::vector<FieldSpec> fields = {
      {"b", kTypeByte, 0},      {"s", kTypeShort, 0},  {"i", kTypeInt, 0},    {"l", kTypeLong, 0},
      {"f", kTypeFloat, 0},     {"d", kTypeDouble, 0}, {"o", kTypeBool, 0},   {"t", kTypeDateTime, 0},
      {"u", kTypeSubroutine, 0}, {"x", kTypeText, 5},  {"y", kTypeBytes, 0},  {"m", kTypeMemo, 0},
  };
  ASSERT_TRUE(CreateRecordFile(p, fields));
  auto b = ReadAll(Host("all.edb"));
  const int sizes[] = {1, 2, 4, 8, 4, 8, 1, 8, 4, 5, 4, 4};
  int offset = 4;
  for (int i = 0; i < 12; ++i) {
    std::size_t def = 116 + 72 * static_cast<std::size_t>(i);
    EXPECT_EQ(I32At(b, def + 20), i + 1);
    EXPECT_EQ(I32At(b, def + 24), offset) << "field " << i + 1;
    offset += sizes[i];
  }
  EXPECT_EQ(I32At(b, 24), offset);
  // The memo file: one block holding the memo header.
  auto m = ReadAll(Host("all.EDT"));
  ASSERT_EQ(m.size(), 512u);
  EXPECT_EQ(std::string(m.begin(), m.begin() + 4), "WEDT");
  EXPECT_EQ(I32At(m, 4), 0x00010000);
  EXPECT_EQ(I32At(m, 16), 1);
  EXPECT_EQ(I32At(m, 20), 0);
  EXPECT_EQ(I32At(m, 24), 0);
}

TEST_F(FormatTest, ValuesAreStoredLittleEndianInTheirForms) {
  Text p = Path("v.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"b", kTypeByte}, {"s", kTypeShort}, {"i", kTypeInt}, {"l", kTypeLong},
                                   {"f", kTypeFloat}, {"d", kTypeDouble}, {"o", kTypeBool},
                                   {"t", kTypeDateTime}, {"u", kTypeSubroutine}}));
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(ModifyRecord({FieldValue::Byte(0xAB), FieldValue::Short(-2), FieldValue::Int(0x01020304),
                            FieldValue::Long(0x1122334455667788LL), FieldValue::Float(1.5f),
                            FieldValue::Double(-2.25), FieldValue::Bool(true), FieldValue::Date(45000.5),
                            FieldValue::Subroutine(77)}));
  CloseRecordFile();
  auto b = ReadAll(Host("v.edb"));
  std::size_t r = DataStart(9);
  ASSERT_EQ(b.size(), r + 4 + 1 + 2 + 4 + 8 + 4 + 8 + 1 + 8 + 4);
  EXPECT_EQ(I32At(b, r), 1);
  EXPECT_EQ(b[r + 4], 0xAB);
  EXPECT_EQ(b[r + 5], 0xFE);
  EXPECT_EQ(b[r + 6], 0xFF);
  EXPECT_EQ(b[r + 7], 0x04);
  EXPECT_EQ(b[r + 10], 0x01);
  EXPECT_EQ(GetI64(&b[r + 11]), 0x1122334455667788LL);
  EXPECT_EQ(GetF32(&b[r + 19]), 1.5f);
  EXPECT_EQ(GetF64(&b[r + 23]), -2.25);
  EXPECT_EQ(b[r + 31], 1);  // bool written as 1
  EXPECT_EQ(GetF64(&b[r + 32]), 45000.5);
  EXPECT_EQ(I32At(b, r + 40), 77);
}

TEST_F(FormatTest, CreationRefusesBadDefinitionsAndExistingFiles) {
  EXPECT_FALSE(CreateRecordFile(Path("a.edb"), {}));
  EXPECT_EQ(RecordFileLastError(), -16);
  EXPECT_FALSE(CreateRecordFile(Path("a.edb"), {{"x", 13}}));
  EXPECT_EQ(RecordFileLastError(), -17);
  EXPECT_FALSE(CreateRecordFile(Path("a.edb"), {{"x", 0}}));
  EXPECT_EQ(RecordFileLastError(), -17);
  EXPECT_FALSE(CreateRecordFile(Path("a.edb"), {{"", kTypeInt}}));
  EXPECT_EQ(RecordFileLastError(), -18);
  EXPECT_FALSE(CreateRecordFile(Path("a.edb"), {{"abcdefghijklmnopq", kTypeInt}}));  // 17 bytes
  EXPECT_EQ(RecordFileLastError(), -18);
  EXPECT_FALSE(CreateRecordFile(Path("a.edb"), {{"1x", kTypeInt}}));
  EXPECT_EQ(RecordFileLastError(), -18);
  EXPECT_FALSE(CreateRecordFile(Path("a.edb"), {{"t", kTypeText, 0}}));
  EXPECT_EQ(RecordFileLastError(), -19);
  EXPECT_FALSE(CreateRecordFile(Path("a.edb"), {{"Name", kTypeInt}, {"nAME", kTypeShort}}));
  EXPECT_EQ(RecordFileLastError(), -20);
  EXPECT_FALSE(Exists(Host("a.edb")));

  // Sixteen bytes and Chinese names are fine.
  EXPECT_TRUE(CreateRecordFile(Path("a.edb"), {{"abcdefghijklmnop", kTypeInt}, {GBK("网站名称"), kTypeText, 4}}));
  auto before = ReadAll(Host("a.edb"));
  EXPECT_FALSE(CreateRecordFile(Path("a.edb"), {{"x", kTypeInt}}));
  EXPECT_EQ(RecordFileLastError(), -2);
  EXPECT_EQ(ReadAll(Host("a.edb")), before);
  // A stale memo file is not overwritten either, and the main file is taken back.
  WriteAll(Host("b.EDT"), {1, 2, 3});
  EXPECT_FALSE(CreateRecordFile(Path("b.edb"), {{"m", kTypeMemo}}));
  EXPECT_EQ(RecordFileLastError(), -50);
  EXPECT_FALSE(Exists(Host("b.edb")));
}

TEST_F(FormatTest, CreationAppendsTheDefaultExtension) {
  ASSERT_TRUE(CreateRecordFile(Path("plain"), {{"x", kTypeInt}}));
  EXPECT_TRUE(Exists(Host("plain.EDB")));
  ASSERT_TRUE(CreateRecordFile(Path("dot."), {{"x", kTypeMemo}}));
  EXPECT_TRUE(Exists(Host("dot.EDB")));
  EXPECT_TRUE(Exists(Host("dot.EDT")));
}

TEST_F(FormatTest, TextOfExactlyTheWidthIsStoredWithoutNul) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"12345678", "123456789", Text("\xCA\xFD\xBE\xDD\xBF\xE2\xA1\xA3\xA1", 9)});
  FirstRecord();
  EXPECT_EQ(ReadTextField(1), "12345678");
  SkipRecords();
  EXPECT_EQ(ReadTextField(1), "12345678");  // cut to the width
  SkipRecords();
  // A cut may split a double-byte character: the bytes are kept as they are.
  EXPECT_EQ(ReadTextField(1), Text("\xCA\xFD\xBE\xDD\xBF\xE2\xA1\xA3", 8));
  CloseRecordFile();
  auto b = ReadAll(Host("example.edb"));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[264]), 8), "12345678");
  EXPECT_EQ(I32At(b, 272), 0);  // the integer right after, untouched by the text
  EXPECT_EQ(I32At(b, 288), 1);
}

TEST_F(FormatTest, WriteFieldZeroesTheRestOfATextButModifyKeepsIt) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"abcdefgh"});
  ASSERT_TRUE(ModifyRecord({FieldValue("xy")}));
  CloseRecordFile();
  auto b = ReadAll(Host("example.edb"));
  // "xy", its NUL, then the older bytes stay.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[264]), 8), std::string("xy\0defgh", 8));
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(ReadTextField(1), "xy");
  ASSERT_TRUE(WriteField(1, FieldValue("q")));
  CloseRecordFile();
  b = ReadAll(Host("example.edb"));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[264]), 8), std::string("q\0\0\0\0\0\0\0", 8));
}

}  // namespace
}  // namespace rftest
