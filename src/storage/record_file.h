#pragma once
// The record-file engine: opens record files ("WEDB" main file, "WEDT" memo file),
// counts, walks, reads, writes, appends, searches, deletes and purges records, and keeps
// the byte-lock protocol that lets several processes share one file.
//
// Every operation works on the process-wide list of open files and its current file,
// resets the calling thread's last error on entry and sets it on failure
// (RecordFileLastError, RecordFileErrorText). Fields are numbered from 1. Texts are GBK.
// Nothing is cached between operations but the header copy, the field definitions and
// the data start taken at opening: the record count is read from the file each time.
//
// Programming errors (a field access without a current file, a field that does not
// exist, a value of the wrong kind for WriteField, ReadTextField or ReadIntField) are
// not codes: they end the program through FatalRunTimeError.

#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "base/bytes.h"
#include "base/text.h"

// Kind of a value; the numbers equal the field type codes, except that memo text
// (type 12) is kText and byte set (type 11) is kBytes.
enum class FieldKind : std::uint8_t {
  kByte = 1,
  kShort = 2,
  kInt = 3,
  kLong = 4,
  kFloat = 5,
  kDouble = 6,
  kBool = 7,
  kDateTime = 8,    // days since 1899-12-30, fraction = time of day
  kSubroutine = 9,  // opaque int32
  kText = 10,       // GBK bytes (text and memo-text fields)
  kBytes = 11,      // raw bytes (byte-set fields)
};

// Wrappers that give the two number-like kinds without arithmetic meaning their own type.
struct DateTime {
  double days = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};
struct SubroutineRef {
  std::int32_t value = 0;
  friend bool operator==(const SubroutineRef&, const SubroutineRef&) = default;
};

// One typed value, as ReadField returns it and WriteField / ModifyRecord take it.
// Implicit from the usual C++ types: int32 -> integer, int64 -> long, double -> double,
// bool -> bool, Text / const char* -> text, Bytes -> byte set.
class FieldValue {
 public:
  using Storage = std::variant<std::uint8_t, std::int16_t, std::int32_t, std::int64_t, float, double,
                               bool, DateTime, SubroutineRef, Text, Bytes>;

  FieldValue() : v_(std::int32_t{0}) {}
  FieldValue(std::uint8_t v) : v_(v) {}
  FieldValue(std::int16_t v) : v_(v) {}
  FieldValue(std::int32_t v) : v_(v) {}
  FieldValue(std::int64_t v) : v_(v) {}
  FieldValue(float v) : v_(v) {}
  FieldValue(double v) : v_(v) {}
  FieldValue(bool v) : v_(v) {}
  FieldValue(DateTime v) : v_(v) {}
  FieldValue(SubroutineRef v) : v_(v) {}
  FieldValue(const Text& v) : v_(v) {}
  FieldValue(Text&& v) : v_(std::move(v)) {}
  FieldValue(const char* gbk) : v_(Text(gbk)) {}
  FieldValue(const Bytes& v) : v_(v) {}
  FieldValue(Bytes&& v) : v_(std::move(v)) {}

  static FieldValue Byte(std::uint8_t v) { return FieldValue(v); }
  static FieldValue Short(std::int16_t v) { return FieldValue(v); }
  static FieldValue Int(std::int32_t v) { return FieldValue(v); }
  static FieldValue Long(std::int64_t v) { return FieldValue(v); }
  static FieldValue Float(float v) { return FieldValue(v); }
  static FieldValue Double(double v) { return FieldValue(v); }
  static FieldValue Bool(bool v) { return FieldValue(v); }
  static FieldValue Date(double days) { return FieldValue(DateTime{days}); }
  static FieldValue Subroutine(std::int32_t v) { return FieldValue(SubroutineRef{v}); }
  static FieldValue OfText(Text v) { return FieldValue(std::move(v)); }
  static FieldValue OfBytes(Bytes v) { return FieldValue(std::move(v)); }

  // The empty value of a kind: 0, false, empty text, empty byte set.
  static FieldValue EmptyOf(FieldKind kind);

  FieldKind kind() const { return static_cast<FieldKind>(v_.index() + 1); }
  // Byte, short, integer, long, float and double; not bool, date-time or subroutine.
  bool IsNumeric() const;

  // Accessors; each gives the empty value when the kind differs.
  std::int64_t AsInteger() const;  // byte (unsigned), short, int, long, subroutine, bool
  double AsReal() const;           // any numeric kind, and date-time
  bool AsBool() const;
  const Text& AsText() const;
  const Bytes& AsBytes() const;

  // The caller-side number conversion: byte unsigned, short sign-extended, long keeps
  // its low 32 bits, a real is truncated toward zero (NaN -> 0, saturated to int32).
  // 0 for a kind that is not numeric.
  std::int32_t ToInt32() const;

  const Storage& storage() const { return v_; }
  friend bool operator==(const FieldValue& a, const FieldValue& b) { return a.v_ == b.v_; }

 private:
  Storage v_;
};

// An entry of ModifyRecord's value list: std::nullopt leaves the field unchanged.
using OptionalFieldValue = std::optional<FieldValue>;

// ---- The engine's operations ----

// Opens an existing record file (a program path: GBK, backslashes allowed; "." and "EDB"
// appended when it has no extension) read-write, shared with other processes, with its
// memo file when a field needs one, and makes it the current file at record 0.
// Never creates a file. Fails with -3 for a missing file, -38 when already open here.
bool OpenRecordFile(const Text& path);

// Closes the newest open file whose alias, base name (no directory, no extension) or
// full path equals `name` (case-insensitive); empty = the current file. No match: no-op.
void CloseRecordFile(const Text& name = Text());

// Record count read from the header now (deleted records included); 0 without a current
// file (-67). Waits up to 2000 ms for the header lock.
int RecordCount();

// Current record index := 0 (also for an empty file).
void FirstRecord();

// Moves the current record index by n, within -1 (before the first) .. count (past the last).
bool SkipRecords(int n = 1);

// The field's value in the current record, typed by the field type; the empty value of
// that kind on failure (last error set).
FieldValue ReadField(int field);

// Stores `v` into the field of the current record. A value of the wrong kind ends the program.
bool WriteField(int field, const FieldValue& v);

// Appends an all-zero record with a new id and makes it current; *id (when given)
// receives the new id.
bool AppendBlankRecord(std::int32_t* id = nullptr);

// Appends a record holding values for fields 1..n (std::nullopt or a shorter list: zero)
// in one step, and makes it current; *id (when given) receives its id. True means the
// record is in the file; false means it is not: a kill or a refused lock at any point
// leaves either no new record or the whole one, never a blank. A value of the wrong kind
// fails with -72.
bool AppendRecord(const std::vector<OptionalFieldValue>& values, std::int32_t* id = nullptr);

// Appends several records as one step, all or none, under one journal and one set of
// flushes; the last becomes current and *ids (when given) receives their ids in order.
// -72 / -47 for a row that does not fit the table (nothing written), -45 when the rows
// together pass the record buffer limit (split the batch).
bool AppendRecords(const std::vector<std::vector<OptionalFieldValue>>& rows,
                   std::vector<std::int32_t>* ids = nullptr);

// Stores values for fields 1..n into the current record in one write; std::nullopt (or a
// shorter list) leaves fields unchanged. A value of the wrong kind fails with -72 and
// writes nothing.
bool ModifyRecord(const std::vector<OptionalFieldValue>& values);

// Scans from the current record (at least record 0) for the first record for which
// `condition` returns true; inside the condition ReadField reads the candidate record.
// True: the match is current. False: the current record is unchanged.
bool FindRecord(const std::function<bool()>& condition);

// Marks the current record deleted (its id negated); it stays counted until purged.
bool DeleteRecord();

// Takes back DeleteRecord: a negative id of the current record is made positive again.
bool UndeleteRecord();

// Removes every deleted record, compacting the file in place; current record := 0.
bool PurgeDeletedRecords();

// Writes (WriteField, ModifyRecord, DeleteRecord) reach the record that AppendRecord,
// AppendBlankRecord or FindRecord made current even after another process's purge moved
// it; when it is gone they fail with -44 and write nothing.

// Text (GBK) of the calling thread's last error; empty after a success.
Text RecordFileErrorText();

// The calling thread's last error code (0 = none).
int RecordFileLastError();

// Text (GBK) of any error code; "未知错误" for a code without a text, empty for 0.
Text RecordFileErrorTextOf(int code);

// ---- Caller-side reads ----

// ReadField of a text or memo-text field; another kind of field ends the program.
Text ReadTextField(int field);

// ReadField of a numeric field converted to int32 (FieldValue::ToInt32); a field that is
// not numeric ends the program.
std::int32_t ReadIntField(int field);

// ---- Inspection, for tools and tests ----

// Field type codes of the format.
enum FieldType : std::int32_t {
  kTypeByte = 1,
  kTypeShort = 2,
  kTypeInt = 3,
  kTypeLong = 4,
  kTypeFloat = 5,
  kTypeDouble = 6,
  kTypeBool = 7,
  kTypeDateTime = 8,
  kTypeSubroutine = 9,
  kTypeText = 10,
  kTypeBytes = 11,
  kTypeMemo = 12,
};

struct FieldDescription {
  int number = 0;  // 1-based
  Text name;       // GBK
  std::int32_t type = 0;
  std::int32_t offset = 0;
  std::int32_t width = 0;  // as stored; meaningful for text only
};

struct RecordFileDescription {
  Text fullPath;
  std::int32_t version = 0;
  std::int32_t recordCount = 0;   // read from the file now
  std::int32_t nextRecordId = 0;  // read from the file now
  std::int32_t recordLength = 0;
  std::int64_t dataStart = 0;
  std::vector<FieldDescription> fields;
};

// Layout of the current file; false (with the error) when there is none or the header
// cannot be read.
bool DescribeRecordFile(RecordFileDescription* out);

// The stored id of the current record (negative when it is marked deleted); 0 on failure.
std::int32_t CurrentRecordId();

// Index of the current record (-1 .. count); -1 also when no file is current.
int CurrentRecordIndex();
bool HasCurrentRecordFile();

// Field number of a field name (case-insensitive), 0 when there is none or no current file.
int FieldNumber(const Text& name);

// ---- Creation, for tests and tools only (the program never creates a record file) ----

struct FieldSpec {
  Text name;  // GBK, 1..16 bytes
  std::int32_t type = kTypeInt;
  std::int32_t width = 0;  // text fields only, > 0
};

// Creates a new, empty record file at `path` (same path rules as OpenRecordFile): fields
// laid out in order from offset 4 without gaps, and the memo file when a byte-set or
// memo-text field exists. Refuses an existing file (-2). Sets the last error on failure:
// -16 no fields, -17 bad type, -18 bad name, -19 bad width, -20 duplicate name,
// -2 the main file cannot be created, -50 the memo file cannot be created.
bool CreateRecordFile(const Text& path, const std::vector<FieldSpec>& fields);
