// Damaged and hostile record files: what users copy between machines, restore from
// backups and edit with other tools. Each one is refused with its error or opened
// repaired; none crashes, takes the memory its header claims, or stops opening later.
#include <sys/resource.h>
#include <sys/stat.h>

#include "record_file_test_util.h"

namespace rftest {
namespace {

using namespace recfmt;

// Position of a word of field definition `field` (1-based).
std::size_t DefAt(int field, int word) { return kHeaderSize + kFieldCountSize + kFieldDefSize * (field - 1) + word; }

class DamageTest : public RecordFileTest {
 protected:
  // The memo header's block count, free count and first free block.
  struct MemoHeader {
    std::int32_t blocks, freeCount, firstFree;
  };
  MemoHeader MemoHeaderOf(const std::string& host) {
    auto m = ReadAll(host);
    return {I32At(m, 16), I32At(m, 20), I32At(m, 24)};
  }
  // Opens and closes `p` twice: a repair made by the first open must satisfy the second.
  void ExpectOpensTwice(const Text& p) {
    for (int i = 0; i < 2; ++i) {
      EXPECT_TRUE(OpenRecordFile(p)) << "open " << i + 1 << ": error " << RecordFileLastError();
      CloseRecordFile();
    }
  }
};

// ---- The open-time memo repair ----

TEST_F(DamageTest, AMemoFileCutUnderOneBlockStillOpensAfterItsRepair) {
  Text p = Path("m.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"m", kTypeMemo}, {"n", kTypeInt}}));
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(ModifyRecord({FieldValue(Text(700, 'x')), FieldValue(1)}));
  CloseRecordFile();
  ASSERT_EQ(truncate(Host("m.EDT").c_str(), 100), 0);  // header kept, every block gone

  ExpectOpensTwice(p);
  MemoHeader h = MemoHeaderOf(Host("m.EDT"));
  EXPECT_EQ(h.blocks, 1);
  EXPECT_EQ(h.freeCount, 0);
  EXPECT_EQ(h.firstFree, 0);

  // The lost value reads as a failure, and a new value goes into a block of its own.
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(ReadField(1), FieldValue(Text()));
  EXPECT_EQ(RecordFileLastError(), -59);
  ASSERT_TRUE(WriteField(1, Text(30, 'y')));
  CloseRecordFile();
  ExpectOpensTwice(p);
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(ReadField(1), FieldValue(Text(30, 'y')));
  EXPECT_EQ(MemoHeaderOf(Host("m.EDT")).blocks, 2);
}

TEST_F(DamageTest, AMemoFileCutBelowItsFreeListKeepsWhatTheFileStillHolds) {
  Text p = Path("m.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"m", kTypeMemo}}));
  ASSERT_TRUE(OpenRecordFile(p));
  for (std::size_t n : {600u, 600u, 100u}) {  // blocks 1-2, 3-4, 5
    ASSERT_TRUE(AppendBlankRecord());
    ASSERT_TRUE(WriteField(1, Text(n, 'v')));
  }
  // Freeing the second value, then the first, lists 2, 1, 4, 3.
  FirstRecord();
  ASSERT_TRUE(SkipRecords(1));
  ASSERT_TRUE(WriteField(1, Text()));
  FirstRecord();
  ASSERT_TRUE(WriteField(1, Text()));
  CloseRecordFile();
  MemoHeader before = MemoHeaderOf(Host("m.EDT"));
  ASSERT_EQ(before.blocks, 6);
  ASSERT_EQ(before.freeCount, 4);
  ASSERT_EQ(before.firstFree, 2);

  // Blocks 4 and 5 are lost: the list keeps 2 and 1 and ends there.
  ASSERT_EQ(truncate(Host("m.EDT").c_str(), 4 * 512 + 300), 0);
  ExpectOpensTwice(p);
  MemoHeader h = MemoHeaderOf(Host("m.EDT"));
  EXPECT_EQ(h.blocks, 4);
  EXPECT_EQ(h.freeCount, 2);
  EXPECT_EQ(h.firstFree, 2);
  auto m = ReadAll(Host("m.EDT"));
  EXPECT_EQ(I32At(m, 2 * 512 + 4), 1);  // 2 -> 1
  EXPECT_EQ(I32At(m, 1 * 512 + 4), 0);  // 1 ends the list now

  // The free blocks are used again and the file keeps opening.
  ASSERT_TRUE(OpenRecordFile(p));
  FirstRecord();
  ASSERT_TRUE(WriteField(1, Text(900, 'w')));
  EXPECT_EQ(ReadField(1), FieldValue(Text(900, 'w')));
  CloseRecordFile();
  ExpectOpensTwice(p);
  h = MemoHeaderOf(Host("m.EDT"));
  EXPECT_EQ(h.blocks, 4);
  EXPECT_EQ(h.freeCount, 0);
}

TEST_F(DamageTest, AMemoFileCutBelowTheHeadOfItsFreeListDropsTheList) {
  Text p = Path("m.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"m", kTypeMemo}}));
  ASSERT_TRUE(OpenRecordFile(p));
  for (std::size_t n : {600u, 100u}) {  // blocks 1-2, 3
    ASSERT_TRUE(AppendBlankRecord());
    ASSERT_TRUE(WriteField(1, Text(n, 'v')));
  }
  FirstRecord();
  ASSERT_TRUE(WriteField(1, Text()));  // lists 2, 1
  CloseRecordFile();
  ASSERT_EQ(MemoHeaderOf(Host("m.EDT")).firstFree, 2);
  ASSERT_EQ(truncate(Host("m.EDT").c_str(), 2 * 512), 0);  // block 2 is gone
  ExpectOpensTwice(p);
  MemoHeader h = MemoHeaderOf(Host("m.EDT"));
  EXPECT_EQ(h.blocks, 2);
  EXPECT_EQ(h.freeCount, 0);
  EXPECT_EQ(h.firstFree, 0);
}

TEST_F(DamageTest, AMemoHeaderWhoseFreeCountLiesStaysOneTheOpenAccepts) {
  Text p = Path("m.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"m", kTypeMemo}}));
  ASSERT_TRUE(OpenRecordFile(p));
  for (std::size_t n : {600u, 100u}) {  // blocks 1-2, 3
    ASSERT_TRUE(AppendBlankRecord());
    ASSERT_TRUE(WriteField(1, Text(n, 'v')));
  }
  CloseRecordFile();
  // Another tool left a free count of 2 with no free list: the open takes it (2 < 4).
  auto m = ReadAll(Host("m.EDT"));
  PutI32At(m, 20, 2);
  WriteAll(Host("m.EDT"), m);
  ASSERT_TRUE(OpenRecordFile(p));
  FirstRecord();
  ASSERT_TRUE(WriteField(1, Text()));  // blocks 1 and 2 go to the free list
  CloseRecordFile();
  ExpectOpensTwice(p);
  MemoHeader h = MemoHeaderOf(Host("m.EDT"));
  EXPECT_EQ(h.blocks, 4);
  EXPECT_LT(h.freeCount, h.blocks);
  EXPECT_EQ(h.firstFree, 2);
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(SkipRecords(1));
  EXPECT_EQ(ReadField(1), FieldValue(Text(100, 'v')));
}

// ---- Offsets, widths and lengths near the int32 limits ----

TEST_F(DamageTest, AFieldThatCannotFitARecordIsRefusedAtOpening) {
  Text p = Path("m.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"m", kTypeMemo}, {"n", kTypeInt}}));
  auto good = ReadAll(Host("m.edb"));
  auto refused = [&](int field, int word, std::int32_t value) {
    auto b = good;
    PutI32At(b, DefAt(field, word), value);
    WriteAll(Host("m.edb"), b);
    EXPECT_FALSE(OpenRecordFile(p)) << "word " << word << " = " << value;
    EXPECT_EQ(RecordFileLastError(), -22);
    EXPECT_FALSE(HasCurrentRecordFile());
    CloseAllRecordFilesForTesting();
  };
  // A memo reference whose 4 bytes would end past 0x7FFFFFFF (the purge once read it
  // through an offset that wrapped negative).
  refused(1, kDefOffOffset, 0x7FFFFFFD);
  refused(2, kDefOffOffset, 0x7FFFFFFF);
  // A text whose end lies past 0x7FFFFFFF.
  auto b = good;
  PutI32At(b, DefAt(1, kDefOffType), kTypeText);
  PutI32At(b, DefAt(1, kDefOffWidth), 0x7FFFFFFC);
  WriteAll(Host("m.edb"), b);
  EXPECT_FALSE(OpenRecordFile(p));
  EXPECT_EQ(RecordFileLastError(), -22);

  // The same definitions, with their end still inside the limits, open; the field lies
  // outside the record and outside the file, and nothing reads or writes there.
  b = good;
  PutI32At(b, DefAt(1, kDefOffOffset), 0x7FFFFFF0);
  WriteAll(Host("m.edb"), b);
  ASSERT_TRUE(OpenRecordFile(p)) << RecordFileLastError();
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(AppendBlankRecord());
  FirstRecord();
  EXPECT_EQ(ReadField(1), FieldValue(Text()));
  EXPECT_EQ(RecordFileLastError(), -10);
  EXPECT_FALSE(ModifyRecord({FieldValue(Text("x"))}));
  EXPECT_TRUE(FindRecord([] { return ReadField(1).AsText().empty() && RecordFileLastError() == -46; }));
  ASSERT_TRUE(DeleteRecord());
  EXPECT_TRUE(PurgeDeletedRecords());
  EXPECT_EQ(RecordCount(), 1);
}

// The most memory this process has held so far, in MiB.
long PeakMemoryMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

TEST_F(DamageTest, AHugeTextFieldWithoutRecordsAllocatesNothing) {
  // A table that claims a 2,000,000,000-byte text field but holds no record.
  const long peak_before = PeakMemoryMb();
  Text p = Path("wide.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"t", kTypeText, 2000000000}}));
  EXPECT_EQ(SizeOf(Host("wide.edb")), 112 + 4 + 72);
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(ReadField(1), FieldValue(Text()));
  EXPECT_EQ(RecordFileLastError(), -10);
  EXPECT_EQ(ReadTextField(1), Text());
  EXPECT_EQ(RecordFileLastError(), -10);
  EXPECT_FALSE(FindRecord([] { return true; }));
  EXPECT_EQ(RecordFileLastError(), 0);
  EXPECT_TRUE(PurgeDeletedRecords());  // nothing to purge, nothing to hold
  EXPECT_FALSE(AppendBlankRecord());
  EXPECT_EQ(RecordFileLastError(), -45);
  EXPECT_EQ(RecordCount(), 0);
  EXPECT_EQ(SizeOf(Host("wide.edb")), 112 + 4 + 72);
  EXPECT_LT(PeakMemoryMb() - peak_before, 256);

  // A record that another program cut short: the field's end is checked first.
  CloseRecordFile();
  auto b = ReadAll(Host("wide.edb"));
  PutI32At(b, kOffRecordCount, 1);
  b.resize(b.size() + 64, 'a');
  PutI32At(b, 112 + 4 + 72, 1);
  WriteAll(Host("wide.edb"), b);
  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(RecordCount(), 0);  // the partial record went at opening
  EXPECT_EQ(ReadTextField(1), Text());
  EXPECT_EQ(RecordFileLastError(), -10);
}

TEST_F(DamageTest, ANarrowTextFieldStillReadsAShortTail) {
  // The width check does not refuse what a normal file holds: a field reaching the end
  // of a record that is there reads whole; one past the file's end is a short read.
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"abcdefgh"});
  EXPECT_EQ(ReadTextField(1), Text("abcdefgh"));
  EXPECT_EQ(RecordFileLastError(), 0);
  ASSERT_EQ(truncate(Host("example.edb").c_str(), 260 + 8), 0);
  EXPECT_EQ(ReadTextField(1), Text());
  EXPECT_EQ(RecordFileLastError(), -46);
}

TEST_F(DamageTest, AnAppendAtTheLastIdIsRefusedAndWritesNothing) {
  Text p = MakeExample();
  auto b = ReadAll(Host("example.edb"));
  PutI32At(b, kOffNextId, 0x7FFFFFFE);
  WriteAll(Host("example.edb"), b);
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendBlankRecord());  // takes 0x7FFFFFFE, leaves 0x7FFFFFFF
  EXPECT_EQ(CurrentRecordId(), 0x7FFFFFFE);
  auto before = ReadAll(Host("example.edb"));
  EXPECT_EQ(I32At(before, kOffNextId), 0x7FFFFFFF);
  EXPECT_FALSE(AppendBlankRecord());
  EXPECT_EQ(RecordFileLastError(), -22);
  EXPECT_EQ(ReadAll(Host("example.edb")), before);
  EXPECT_EQ(CurrentRecordIndex(), 0);
  CloseRecordFile();
  ExpectOpensTwice(p);
}

// ---- Paths ----

TEST_F(DamageTest, TheFullPathLimitCountsCharactersNotBytes) {
  // Four folders of 30 Chinese characters: about 150 characters in all, over 260 bytes.
  std::string folder;
  for (int i = 0; i < 30; ++i) folder += "收藏";
  folder = folder.substr(0, 30 * 3);
  std::string rel;
  for (int i = 0; i < 4; ++i) {
    rel += (rel.empty() ? "" : "/") + folder;
    ASSERT_EQ(mkdir(Host(rel).c_str(), 0755), 0);
  }
  Text p = Path(rel + "/数据库.edb");
  ASSERT_GT(p.size(), 260u);
  ASSERT_TRUE(CreateRecordFile(p, {{"x", kTypeInt}}));
  EXPECT_TRUE(OpenRecordFile(p)) << RecordFileLastError();
  EXPECT_EQ(RecordFileLastError(), 0);
  CloseRecordFile();

  // Over 260 characters is still a bad path, in any script.
  std::string longer = rel;
  for (int i = 0; i < 4; ++i) {
    longer += "/" + folder;
    ASSERT_EQ(mkdir(Host(longer).c_str(), 0755), 0);
  }
  Text q = Path(longer + "/数据库.edb");
  ASSERT_TRUE(CreateRecordFile(q, {{"x", kTypeInt}}));
  EXPECT_FALSE(OpenRecordFile(q));
  EXPECT_EQ(RecordFileLastError(), -4);
}

// ---- Counting and reading at the end ----

TEST_F(DamageTest, SkippingNothingSucceedsEvenWithoutAFile) {
  EXPECT_TRUE(SkipRecords(0));
  EXPECT_EQ(RecordFileLastError(), 0);
  EXPECT_FALSE(SkipRecords(1));
  EXPECT_EQ(RecordFileLastError(), -67);
}

TEST_F(DamageTest, ReadingPastTheEndInsideFindAndPurgeIsAShortRead) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"a", "b"});
  ASSERT_TRUE(DeleteRecord());
  // Another program cuts every record off behind our back.
  ASSERT_EQ(truncate(Host("example.edb").c_str(), 260), 0);
  FirstRecord();
  EXPECT_FALSE(FindRecord([] { return true; }));
  EXPECT_EQ(RecordFileLastError(), -62);
  EXPECT_FALSE(PurgeDeletedRecords());
  EXPECT_EQ(RecordFileLastError(), -62);
  EXPECT_TRUE(HeldRecordFileLocksForTesting(false).empty());
}

}  // namespace
}  // namespace rftest
