// The record-file engine (being filled in).
#include "storage/record_file.h"

namespace {
thread_local int last_error = 0;
}

bool OpenRecordFile(const Text&) { last_error = -21; return false; }
void CloseRecordFile(const Text&) { last_error = 0; }
int RecordCount() { last_error = -67; return 0; }
void FirstRecord() { last_error = -67; }
bool SkipRecords(int) { last_error = -67; return false; }
FieldValue ReadField(int) { last_error = -67; return FieldValue(); }
bool WriteField(int, const FieldValue&) { last_error = -67; return false; }
bool AppendBlankRecord() { last_error = -67; return false; }
bool ModifyRecord(const std::vector<OptionalFieldValue>&) { last_error = -67; return false; }
bool FindRecord(const std::function<bool()>&) { last_error = -67; return false; }
bool DeleteRecord() { last_error = -67; return false; }
bool PurgeDeletedRecords() { last_error = -67; return false; }
Text RecordFileErrorText() { return RecordFileErrorTextOf(last_error); }
int RecordFileLastError() { return last_error; }
Text RecordFileErrorTextOf(int code) { return code == 0 ? Text() : GBK("未知错误"); }
Text ReadTextField(int field) { return ReadField(field).AsText(); }
std::int32_t ReadIntField(int field) { return ReadField(field).ToInt32(); }
bool DescribeRecordFile(RecordFileDescription*) { last_error = -67; return false; }
std::int32_t CurrentRecordId() { return 0; }
int CurrentRecordIndex() { return -1; }
bool HasCurrentRecordFile() { return false; }
int FieldNumber(const Text&) { return 0; }
bool CreateRecordFile(const Text&, const std::vector<FieldSpec>&) { last_error = -2; return false; }
