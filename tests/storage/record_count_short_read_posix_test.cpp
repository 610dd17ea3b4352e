// The record count read from a header that is no longer all there: a file cut below
// its count and next id by someone else while we hold it open.
#include "record_file_test_util.h"

namespace rftest {
namespace {

class RecordCountShortReadTest : public RecordFileTest {};

TEST_F(RecordCountShortReadTest, AHeaderCutBelowByte24IsAFailedCount) {
  Text p = MakeExample();
  ASSERT_TRUE(OpenRecordFile(p));
  AppendTexts({"a", "b"});
  ASSERT_EQ(RecordCount(), 2);
  // Four bytes of the count remain, the next id is gone.
  ASSERT_EQ(truncate(Host("example.edb").c_str(), 20), 0);
  EXPECT_EQ(RecordCount(), 0);
  EXPECT_EQ(RecordFileLastError(), -65);
  EXPECT_EQ(RecordFileErrorText(), GBK("取数据库记录数失败"));
  // Moving on needs the count too, and fails the same way without moving.
  FirstRecord();
  EXPECT_FALSE(SkipRecords(1));
  EXPECT_EQ(RecordFileLastError(), -65);
  EXPECT_EQ(CurrentRecordIndex(), 0);
  EXPECT_TRUE(HeldRecordFileLocksForTesting(false).empty());
  EXPECT_EQ(SizeOf(Host("example.edb")), 20) << "a count is only read, never repaired";
}

}  // namespace
}  // namespace rftest
