// Memo blocks whose used count claims more than a block holds: the value read is what
// the blocks hold, never bytes from beyond them.
#include "record_file_test_util.h"

namespace rftest {
namespace {

class MemoUsedTest : public RecordFileTest {
 protected:
  void SetUp() override {
    RecordFileTest::SetUp();
    p_ = Path("memo.edb");
    ASSERT_TRUE(CreateRecordFile(p_, {{"m", kTypeMemo}}));
    ASSERT_TRUE(OpenRecordFile(p_));
    ASSERT_TRUE(AppendBlankRecord());
    // Three blocks: 500, 500 and 200 bytes, each of its own letter.
    ASSERT_TRUE(WriteField(1, FieldValue(Text(500, 'a') + Text(500, 'b') + Text(200, 'c'))));
    CloseRecordFile();
  }

  // Sets the used count of block `n` of the memo file.
  void ClaimUsed(std::int32_t n, std::int32_t used) {
    auto m = ReadAll(Host("memo.EDT"));
    ASSERT_GE(m.size(), static_cast<std::size_t>(n + 1) * 512);
    PutI32At(m, static_cast<std::size_t>(n) * 512 + 8, used);
    WriteAll(Host("memo.EDT"), m);
  }

  Text p_;
};

TEST_F(MemoUsedTest, AFullBlockClaimingMoreGivesItsOwnBytesOnly) {
  ClaimUsed(1, 600);
  ClaimUsed(2, 512);
  ASSERT_TRUE(OpenRecordFile(p_));
  EXPECT_EQ(ReadTextField(1), Text(500, 'a') + Text(500, 'b') + Text(200, 'c'));
}

TEST_F(MemoUsedTest, TheLastBlockClaimingMoreStopsAtTheBlocksEnd) {
  ClaimUsed(3, 100000);
  ASSERT_TRUE(OpenRecordFile(p_));
  // Its 200 bytes and the zero padding after them, to the end of the block.
  EXPECT_EQ(ReadTextField(1), Text(500, 'a') + Text(500, 'b') + Text(200, 'c') + Text(300, '\0'));
}

TEST_F(MemoUsedTest, ANegativeCountGivesNothingOfThatBlock) {
  ClaimUsed(2, -5);
  ASSERT_TRUE(OpenRecordFile(p_));
  EXPECT_EQ(ReadTextField(1), Text(500, 'a') + Text(200, 'c'));
}

}  // namespace
}  // namespace rftest
