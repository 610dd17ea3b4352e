// Memo chains in the memo file: growing, shrinking, the free list and trimming.
#include "record_file_test_util.h"

namespace rftest {
namespace {

using namespace recfmt;

struct Block {
  std::int32_t prev, next, used;
};

class MemoTest : public RecordFileTest {
 protected:
  void SetUp() override {
    RecordFileTest::SetUp();
    p_ = Path("memo.edb");
    ASSERT_TRUE(CreateRecordFile(p_, {{"m", kTypeMemo}, {"y", kTypeBytes}}));
    ASSERT_TRUE(OpenRecordFile(p_));
  }

  std::vector<unsigned char> Memo() { return ReadAll(Host("memo.EDT")); }
  std::int32_t BlockCount() { return I32At(Memo(), 16); }
  std::int32_t FreeCount() { return I32At(Memo(), 20); }
  std::int32_t FirstFree() { return I32At(Memo(), 24); }
  Block BlockAt(std::int32_t n) {
    auto m = Memo();
    std::size_t o = static_cast<std::size_t>(n) * 512;
    return {I32At(m, o), I32At(m, o + 4), I32At(m, o + 8)};
  }
  // The memo reference stored in the current record's field.
  std::int32_t Ref(int field) {
    auto b = ReadAll(Host("memo.edb"));
    std::size_t at = DataStart(2) + static_cast<std::size_t>(CurrentRecordIndex()) * 12 + 4 * field;
    return I32At(b, at);
  }
  // Blocks of the free list, following next links from the head; checks the back links.
  std::vector<std::int32_t> FreeList() {
    std::vector<std::int32_t> list;
    std::int32_t prev = 0;
    for (std::int32_t r = FirstFree(); r != 0 && list.size() < 100; r = BlockAt(r).next) {
      Block b = BlockAt(r);
      EXPECT_EQ(b.prev, prev) << "block " << r;
      EXPECT_EQ(b.used, 0) << "block " << r;
      list.push_back(r);
      prev = r;
    }
    return list;
  }
  static Text Value(std::size_t n, char c) { return Text(n, c); }

  Text p_;
};

TEST_F(MemoTest, AValueGrowsIntoAChainOfBlocks) {
  ASSERT_TRUE(AppendBlankRecord());
  EXPECT_EQ(Ref(1), 0);  // empty: no block
  Text v = Value(1200, 'a');
  v[0] = 'X';
  v[1199] = 'Y';
  ASSERT_TRUE(WriteField(1, FieldValue(v)));
  EXPECT_EQ(ReadTextField(1), v);
  EXPECT_EQ(Ref(1), 1);
  EXPECT_EQ(BlockCount(), 4);
  EXPECT_EQ(Memo().size(), 4u * 512);
  Block b1 = BlockAt(1), b2 = BlockAt(2), b3 = BlockAt(3);
  EXPECT_EQ(b1.prev, 0);
  EXPECT_EQ(b1.next, 2);
  EXPECT_EQ(b1.used, 500);
  EXPECT_EQ(b2.prev, 1);
  EXPECT_EQ(b2.next, 3);
  EXPECT_EQ(b2.used, 500);
  EXPECT_EQ(b3.prev, 2);
  EXPECT_EQ(b3.next, 0);
  EXPECT_EQ(b3.used, 200);
  auto m = Memo();
  EXPECT_EQ(m[512 + 12], 'X');
  EXPECT_EQ(m[3 * 512 + 12 + 199], 'Y');
  EXPECT_EQ(m[3 * 512 + 12 + 200], 0);  // zero-padded
  // Exactly 500 bytes take one block.
  ASSERT_TRUE(WriteField(2, FieldValue(Bytes(500, 7))));
  EXPECT_EQ(Ref(2), 4);
  EXPECT_EQ(BlockAt(4).used, 500);
  EXPECT_EQ(BlockAt(4).next, 0);
  EXPECT_EQ(ReadField(2), FieldValue(Bytes(500, 7)));
}

TEST_F(MemoTest, ARewriteTakesNewBlocksAndFreesTheOldChainAfterwards) {
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(WriteField(1, FieldValue(Value(1400, 'a'))));
  ASSERT_EQ(BlockCount(), 4);
  ASSERT_TRUE(WriteField(1, FieldValue(Value(600, 'b'))));
  EXPECT_EQ(ReadTextField(1), Value(600, 'b'));
  // The old chain is never written over: a crash half-way leaves the old value whole.
  EXPECT_EQ(Ref(1), 4);
  EXPECT_EQ(BlockAt(4).next, 5);
  EXPECT_EQ(BlockAt(5).prev, 4);
  EXPECT_EQ(BlockAt(5).used, 100);
  EXPECT_EQ(BlockAt(5).next, 0);
  EXPECT_EQ(BlockCount(), 6);
  auto list = FreeList();
  EXPECT_EQ(std::set<std::int32_t>(list.begin(), list.end()), (std::set<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(FreeCount(), 3);
  // The next value takes the free blocks before the file grows.
  ASSERT_TRUE(WriteField(2, FieldValue(Bytes(1200, 4))));
  EXPECT_EQ(BlockCount(), 6);
  EXPECT_EQ(FreeCount(), 0);
  EXPECT_EQ(ReadField(2), FieldValue(Bytes(1200, 4)));
  EXPECT_EQ(ReadTextField(1), Value(600, 'b'));
  // The empty value releases everything; free blocks at the end are cut off.
  ASSERT_TRUE(WriteField(1, FieldValue(Text())));
  EXPECT_EQ(Ref(1), 0);
  EXPECT_EQ(ReadTextField(1), "");
  ASSERT_TRUE(WriteField(2, FieldValue(Bytes())));
  EXPECT_EQ(BlockCount(), 1);
  EXPECT_EQ(FreeCount(), 0);
  EXPECT_EQ(FirstFree(), 0);
  EXPECT_EQ(Memo().size(), 512u);
}

TEST_F(MemoTest, FreeBlocksAtTheEndAreCutEvenWhenFreedEarlier) {
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(WriteField(1, FieldValue(Value(1500, 'a'))));  // 1-3
  ASSERT_TRUE(WriteField(2, FieldValue(Bytes(1000, 2))));      // 4-5
  ASSERT_TRUE(WriteField(1, FieldValue(Text())));             // 1-3 free, in the middle
  ASSERT_EQ(FreeCount(), 3);
  ASSERT_EQ(BlockCount(), 6);
  // Freeing the last chain leaves 1-5 free at the end: all of them go.
  ASSERT_TRUE(WriteField(2, FieldValue(Bytes())));
  EXPECT_EQ(BlockCount(), 1);
  EXPECT_EQ(FreeCount(), 0);
  EXPECT_EQ(FirstFree(), 0);
  EXPECT_EQ(Memo().size(), 512u);
  EXPECT_EQ(ReadTextField(1), "");
}

TEST_F(MemoTest, FreeBlocksInTheMiddleStayListed) {
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(AppendBlankRecord());
    ASSERT_TRUE(WriteField(1, FieldValue(Value(700, static_cast<char>('a' + i)))));  // 2 blocks each
  }
  ASSERT_EQ(BlockCount(), 7);
  FirstRecord();
  ASSERT_TRUE(WriteField(1, FieldValue(Text())));  // blocks 1, 2
  SkipRecords();
  ASSERT_TRUE(WriteField(1, FieldValue(Value(10, 'x'))));  // takes a free block, frees 3 and 4
  EXPECT_EQ(BlockCount(), 7);
  EXPECT_EQ(FreeCount(), 3);
  auto list = FreeList();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_TRUE(std::set<std::int32_t>(list.begin(), list.end()).count(3));
  EXPECT_TRUE(std::set<std::int32_t>(list.begin(), list.end()).count(4));
  // Emptying record 3 frees 5 and 6; with 3 and 4 they are all free at the end, and go.
  SkipRecords();
  ASSERT_TRUE(WriteField(1, FieldValue(Text())));
  EXPECT_EQ(BlockCount(), 3);
  EXPECT_EQ(FreeCount(), 1);
  EXPECT_EQ(FreeList().size(), 1u);
  FirstRecord();
  SkipRecords();
  EXPECT_EQ(ReadTextField(1), Value(10, 'x'));
}

TEST_F(MemoTest, ModifyRecordWritesMemoValuesThroughTheChain) {
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(ModifyRecord({FieldValue(Value(900, 'q')), FieldValue(Bytes{1, 0, 2})}));
  EXPECT_EQ(ReadTextField(1), Value(900, 'q'));
  EXPECT_EQ(ReadField(2), FieldValue(Bytes{1, 0, 2}));
  ASSERT_TRUE(ModifyRecord({FieldValue(Value(10, 'r'))}));
  EXPECT_EQ(ReadTextField(1), Value(10, 'r'));
  EXPECT_EQ(ReadField(2), FieldValue(Bytes{1, 0, 2}));
  // Text in blocks 1-2, bytes in 3, the new text in 4: the old text's blocks are free.
  EXPECT_EQ(BlockCount(), 5);
  auto list = FreeList();
  EXPECT_EQ(std::set<std::int32_t>(list.begin(), list.end()), (std::set<std::int32_t>{1, 2}));
}

TEST_F(MemoTest, DamagedChainsDoNotHangOrCrash) {
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(WriteField(1, FieldValue(Value(1200, 'a'))));
  CloseRecordFile();
  // Block 3 points back to block 1: a loop.
  auto m = Memo();
  PutI32At(m, 3 * 512 + 4, 1);
  WriteAll(Host("memo.EDT"), m);
  ASSERT_TRUE(OpenRecordFile(p_));
  Text v = ReadTextField(1);
  EXPECT_GE(v.size(), 1200u);  // read round the loop until the budget ran out
  // Writing over a looped chain frees each of its blocks once.
  ASSERT_TRUE(WriteField(1, FieldValue(Value(2000, 'b'))));
  EXPECT_EQ(ReadTextField(1), Value(2000, 'b'));
  // A reference past the end of the memo file: -59 and the empty value.
  CloseRecordFile();
  auto b = ReadAll(Host("memo.edb"));
  PutI32At(b, DataStart(2) + 4, 99);
  WriteAll(Host("memo.edb"), b);
  ASSERT_TRUE(OpenRecordFile(p_));
  EXPECT_EQ(ReadField(1), FieldValue(Text()));
  EXPECT_EQ(RecordFileLastError(), -59);
  EXPECT_EQ(RecordFileErrorText(), GBK("访问数据库的辅助文件失败"));
  // Writing over it starts a fresh chain.
  ASSERT_TRUE(WriteField(1, FieldValue(Value(3, 'z'))));
  EXPECT_EQ(ReadTextField(1), "zzz");
}

TEST_F(MemoTest, ADamagedFreeListIsDroppedNotFollowed) {
  ASSERT_TRUE(AppendBlankRecord());
  ASSERT_TRUE(WriteField(1, FieldValue(Value(1200, 'a'))));
  ASSERT_TRUE(WriteField(2, FieldValue(Bytes(10, 1))));  // block 4
  ASSERT_TRUE(WriteField(1, FieldValue(Value(10, 'a'))));  // block 5; 1-3 free
  ASSERT_EQ(FreeCount(), 3);
  // The head of the free list now claims to be in use: it is not handed out.
  auto m = Memo();
  std::int32_t head = FirstFree();
  PutI32At(m, static_cast<std::size_t>(head) * 512 + 8, 5);
  WriteAll(Host("memo.EDT"), m);
  ASSERT_TRUE(WriteField(2, FieldValue(Bytes(1200, 3))));
  EXPECT_EQ(ReadField(2), FieldValue(Bytes(1200, 3)));
  EXPECT_EQ(ReadTextField(1), Value(10, 'a'));
  EXPECT_EQ(BlockCount(), 9);  // grew at the end instead
}

}  // namespace
}  // namespace rftest
