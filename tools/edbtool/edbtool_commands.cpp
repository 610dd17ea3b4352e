#include "edbtool_commands.h"

#include <charconv>

#include "accounts_csv.h"
#include "base/paths.h"
#include "bookmarks_export.h"
#include "bookmarks_import.h"
#include "edbtool_values.h"
#include "storage/record_file.h"

namespace edbtool {

namespace {

const char kUsage[] =
    "usage: edbtool create FILE NAME:TYPE[:WIDTH] ...\n"
    "       edbtool dump FILE\n"
    "       edbtool append FILE VALUE ...\n"
    "       edbtool modify FILE INDEX VALUE ...   (a value written as ~ is left unchanged)\n"
    "       edbtool delete FILE INDEX\n"
    "       edbtool purge FILE\n"
    "       edbtool find FILE FIELD TEXT\n"
    "       edbtool import-bookmarks TABLE FILE.html [--category N] [--common] [--keep-local] [--dry-run]\n"
    "       edbtool export-bookmarks TABLE FILE.html\n"
    "       edbtool export-accounts TABLE FILE.csv\n"
    "TYPE: byte short int long float double bool datetime sub text bytes memo (or 1-12);\n"
    "WIDTH for text only. Values: decimal numbers (date-times as days since 1899-12-30),\n"
    "true/false, texts, byte sets as hex.\n";

struct Context {
  std::ostream& out;
  std::ostream& err;

  int Usage(const std::string& why) {
    err << "edbtool: " << why << "\n" << kUsage;
    return 1;
  }
  // The engine's last error, as code and UTF-8 text.
  int EngineFailure(const std::string& what) {
    err << "edbtool: " << what << " failed: error " << RecordFileLastError() << ": "
        << GbkToUtf8(RecordFileErrorText()) << "\n";
    return 1;
  }
  int Failure(const std::string& what) {
    err << "edbtool: " << what << "\n";
    return 1;
  }
};

// Paths on the command line are host paths; the engine takes program paths.
Text FilePath(const std::string& arg) { return ProgramPathFromUtf8(arg); }

bool ParseIndex(const std::string& s, int* out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() && *out >= 0;
}

// Opens FILE and keeps it open for the command; closes it when done.
class OpenFile {
 public:
  explicit OpenFile(const std::string& arg) : ok_(OpenRecordFile(FilePath(arg))) {}
  ~OpenFile() {
    if (ok_) CloseRecordFile();
  }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

bool Describe(RecordFileDescription* d) { return DescribeRecordFile(d); }

// Values for fields 1..n from the arguments; `allow_omitted`: "~" leaves a field alone.
bool ParseValues(Context& c, const RecordFileDescription& d, const std::vector<std::string>& args,
                 std::size_t from, bool allow_omitted, std::vector<OptionalFieldValue>* values) {
  if (args.size() - from > d.fields.size()) {
    c.Usage("more values than the file has fields (" + std::to_string(d.fields.size()) + ")");
    return false;
  }
  for (std::size_t i = from; i < args.size(); ++i) {
    const FieldDescription& f = d.fields[i - from];
    if (allow_omitted && args[i] == "~") {
      values->push_back(std::nullopt);
      continue;
    }
    std::string error;
    FieldValue v;
    if (!ParseValue(f.type, args[i], &v, &error)) {
      c.Failure("field " + std::to_string(f.number) + ": " + error);
      return false;
    }
    values->push_back(std::move(v));
  }
  return true;
}

// Makes record INDEX current.
bool GoTo(int index) {
  FirstRecord();
  return index == 0 || SkipRecords(index);
}

int Create(Context& c, const std::vector<std::string>& args) {
  if (args.size() < 3) return c.Usage("create needs a file and at least one field");
  std::vector<FieldSpec> fields;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::size_t c1 = a.find(':');
    if (c1 == std::string::npos) return c.Usage("field '" + a + "' is not NAME:TYPE[:WIDTH]");
    std::size_t c2 = a.find(':', c1 + 1);
    FieldSpec f;
    f.name = Utf8ToGbk(a.substr(0, c1));
    std::string type = a.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
    f.type = TypeCode(type);
    if (f.type == 0) return c.Usage("unknown field type '" + type + "'");
    if (c2 != std::string::npos) {
      if (f.type != kTypeText) return c.Usage("a width is given for text fields only: '" + a + "'");
      if (!ParseIndex(a.substr(c2 + 1), &f.width)) return c.Usage("bad width in '" + a + "'");
    } else if (f.type == kTypeText) {
      return c.Usage("a text field needs a width: '" + a + "'");
    }
    fields.push_back(f);
  }
  if (!CreateRecordFile(FilePath(args[1]), fields)) return c.EngineFailure("create " + args[1]);
  return 0;
}

int Dump(Context& c, const std::vector<std::string>& args) {
  if (args.size() != 2) return c.Usage("dump needs a file");
  OpenFile file(args[1]);
  if (!file.ok()) return c.EngineFailure("open " + args[1]);
  RecordFileDescription d;
  if (!Describe(&d)) return c.EngineFailure("reading the header of " + args[1]);
  std::string o;
  o += "{\n  \"version\": " + std::to_string(d.version) + ",\n";
  o += "  \"recordCount\": " + std::to_string(d.recordCount) + ",\n";
  o += "  \"nextRecordId\": " + std::to_string(d.nextRecordId) + ",\n";
  o += "  \"recordLength\": " + std::to_string(d.recordLength) + ",\n";
  o += "  \"dataStart\": " + std::to_string(d.dataStart) + ",\n";
  o += "  \"fields\": [";
  for (std::size_t i = 0; i < d.fields.size(); ++i) {
    const FieldDescription& f = d.fields[i];
    o += i ? ",\n    " : "\n    ";
    o += "{\"number\": " + std::to_string(f.number) + ", \"name\": " + JsonString(GbkToUtf8(f.name)) +
         ", \"type\": " + std::to_string(f.type) + ", \"offset\": " + std::to_string(f.offset) +
         ", \"width\": " + std::to_string(f.width) + "}";
  }
  o += d.fields.empty() ? "],\n" : "\n  ],\n";
  o += "  \"records\": [";
  FirstRecord();
  for (std::int32_t k = 0; k < d.recordCount; ++k) {
    std::int32_t id = CurrentRecordId();
    if (RecordFileLastError() != 0) return c.EngineFailure("reading record " + std::to_string(k));
    o += k ? ",\n    " : "\n    ";
    o += "{\"index\": " + std::to_string(k) + ", \"id\": " + std::to_string(id) +
         ", \"deleted\": " + (id < 0 ? "true" : "false") + ", \"values\": [";
    for (std::size_t i = 0; i < d.fields.size(); ++i) {
      FieldValue v = ReadField(static_cast<int>(i + 1));
      if (RecordFileLastError() != 0)
        return c.EngineFailure("reading field " + std::to_string(i + 1) + " of record " + std::to_string(k));
      o += (i ? ", " : "") + JsonValue(v);
    }
    o += "]}";
    if (!SkipRecords(1)) return c.EngineFailure("moving to record " + std::to_string(k + 1));
  }
  o += d.recordCount > 0 ? "\n  ]\n}\n" : "]\n}\n";
  c.out << o;
  return 0;
}

int Append(Context& c, const std::vector<std::string>& args) {
  if (args.size() < 2) return c.Usage("append needs a file");
  OpenFile file(args[1]);
  if (!file.ok()) return c.EngineFailure("open " + args[1]);
  RecordFileDescription d;
  if (!Describe(&d)) return c.EngineFailure("reading the header of " + args[1]);
  std::vector<OptionalFieldValue> values;
  if (!ParseValues(c, d, args, 2, false, &values)) return 1;
  // One step: a refused lock or a kill leaves no half-made record.
  if (!AppendRecord(values)) return c.EngineFailure("append");
  return 0;
}

int Modify(Context& c, const std::vector<std::string>& args) {
  int index = 0;
  if (args.size() < 3 || !ParseIndex(args[2], &index)) return c.Usage("modify needs a file and a record index");
  OpenFile file(args[1]);
  if (!file.ok()) return c.EngineFailure("open " + args[1]);
  RecordFileDescription d;
  if (!Describe(&d)) return c.EngineFailure("reading the header of " + args[1]);
  std::vector<OptionalFieldValue> values;
  if (!ParseValues(c, d, args, 3, true, &values)) return 1;
  if (!GoTo(index)) return c.EngineFailure("moving to record " + args[2]);
  if (!ModifyRecord(values)) return c.EngineFailure("modify record " + args[2]);
  return 0;
}

int Delete(Context& c, const std::vector<std::string>& args) {
  int index = 0;
  if (args.size() != 3 || !ParseIndex(args[2], &index)) return c.Usage("delete needs a file and a record index");
  OpenFile file(args[1]);
  if (!file.ok()) return c.EngineFailure("open " + args[1]);
  if (!GoTo(index)) return c.EngineFailure("moving to record " + args[2]);
  if (!DeleteRecord()) return c.EngineFailure("delete record " + args[2]);
  return 0;
}

int Purge(Context& c, const std::vector<std::string>& args) {
  if (args.size() != 2) return c.Usage("purge needs a file");
  OpenFile file(args[1]);
  if (!file.ok()) return c.EngineFailure("open " + args[1]);
  if (!PurgeDeletedRecords()) return c.EngineFailure("purge");
  return 0;
}

int Find(Context& c, const std::vector<std::string>& args) {
  if (args.size() != 4) return c.Usage("find needs a file, a field and a text");
  OpenFile file(args[1]);
  if (!file.ok()) return c.EngineFailure("open " + args[1]);
  RecordFileDescription d;
  if (!Describe(&d)) return c.EngineFailure("reading the header of " + args[1]);
  int field = 0;
  if (!ParseIndex(args[2], &field)) field = FieldNumber(Utf8ToGbk(args[2]));
  if (field < 1 || field > static_cast<int>(d.fields.size())) return c.Failure("no field '" + args[2] + "'");
  const int type = d.fields[static_cast<std::size_t>(field - 1)].type;
  std::string error;
  FieldValue wanted;
  if (!ParseValue(type, args[3], &wanted, &error)) return c.Failure(error);
  FirstRecord();
  if (FindRecord([&] { return ValueEquals(type, ReadField(field), wanted); })) {
    c.out << CurrentRecordIndex() << "\n";
    return 0;
  }
  if (RecordFileLastError() != 0) return c.EngineFailure("find");
  return c.Failure("no record has '" + args[3] + "' in field " + std::to_string(field));
}

int ImportCommand(Context& c, const std::vector<std::string>& args) {
  ImportOptions o;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--common") {
      o.common = true;
    } else if (a == "--dry-run") {
      o.dryRun = true;
    } else if (a == "--keep-local") {
      o.keepLocal = true;
    } else if (a == "--category") {
      if (i + 1 >= args.size() || !ParseIndex(args[i + 1], &o.category) || o.category > 6)
        return c.Usage("--category takes a category number from 0 to 6");
      ++i;
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      return c.Usage("unknown option '" + a + "'");
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) return c.Usage("import-bookmarks needs a table and a bookmarks file");
  o.table = files[0];
  o.file = files[1];
  return ImportBookmarks(o, c.out, c.err);
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Context c{out, err};
  if (args.empty()) return c.Usage("no command");
  const std::string& cmd = args[0];
  if (cmd == "create") return Create(c, args);
  if (cmd == "dump") return Dump(c, args);
  if (cmd == "append") return Append(c, args);
  if (cmd == "modify") return Modify(c, args);
  if (cmd == "delete") return Delete(c, args);
  if (cmd == "purge") return Purge(c, args);
  if (cmd == "find") return Find(c, args);
  if (cmd == "import-bookmarks") return ImportCommand(c, args);
  if (cmd == "export-bookmarks") {
    if (args.size() != 3) return c.Usage("export-bookmarks needs a table and a file to write");
    return ExportBookmarks(args[1], args[2], out, err);
  }
  if (cmd == "export-accounts") {
    if (args.size() != 3) return c.Usage("export-accounts needs a table and a file to write");
    return ExportAccounts(args[1], args[2], out, err);
  }
  return c.Usage("unknown command '" + cmd + "'");
}

}  // namespace edbtool
