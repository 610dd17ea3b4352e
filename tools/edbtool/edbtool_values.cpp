#include "edbtool_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "storage/record_file_format.h"

namespace edbtool {

namespace {

const char* const kTypeNames[] = {"byte", "short", "int", "long", "float", "double",
                                  "bool", "datetime", "sub", "text", "bytes", "memo"};

bool ParseInt(const std::string& s, std::int64_t* out) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Digits that from_chars read whole but that do not fit 64 bits.
bool IntegerTooLong(const std::string& s) {
  std::int64_t v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && r.ec == std::errc::result_out_of_range && r.ptr == s.data() + s.size();
}

bool ParseReal(const std::string& s, double* out) {
  // from_chars does not take a leading '+'; nobody writes one for these files anyway.
  auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(*out);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The values each integer type holds.
struct IntegerRange {
  std::int64_t lo, hi;
};
IntegerRange RangeOf(int type) {
  switch (type) {
    case kTypeByte: return {0, 255};
    case kTypeShort: return {INT16_MIN, INT16_MAX};
    case kTypeInt: return {INT32_MIN, INT32_MAX};
    default: return {INT64_MIN, INT64_MAX};
  }
}

// A number for an integer field: a whole number inside the field's range (a real
// written as one, like 5e3, counts). Nothing is wrapped or rounded into the field.
bool ParseInteger(int type, const std::string& arg, FieldValue* out, std::string* error) {
  const IntegerRange range = RangeOf(type);
  const std::string bounds = " (" + std::to_string(range.lo) + " to " + std::to_string(range.hi) + ")";
  std::int64_t i = 0;
  double d = 0;
  if (ParseInt(arg, &i)) {
    if (i < range.lo || i > range.hi) return *error = "'" + arg + "' is outside the field's range" + bounds, false;
    *out = FieldValue::Long(i);
    return true;
  }
  if (IntegerTooLong(arg)) return *error = "'" + arg + "' is outside the field's range" + bounds, false;
  if (!ParseReal(arg, &d)) return false;
  if (d != std::trunc(d)) return *error = "'" + arg + "' is not a whole number", false;
  // 2^63 is the first double past INT64_MAX; every other bound is exact.
  const double hi = type == kTypeLong ? 9223372036854775808.0 : static_cast<double>(range.hi) + 1;
  if (d < static_cast<double>(range.lo) || d >= hi)
    return *error = "'" + arg + "' is outside the field's range" + bounds, false;
  *out = FieldValue::Long(static_cast<std::int64_t>(d));
  return true;
}

template <typename T>
std::string Shortest(T v) {
  if (!std::isfinite(v)) return "null";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

bool Set(FieldValue* out, FieldValue v) {
  *out = std::move(v);
  return true;
}

}  // namespace

int TypeCode(const std::string& name) {
  for (int i = 0; i < 12; ++i)
    if (name == kTypeNames[i]) return i + 1;
  std::int64_t code = 0;
  if (ParseInt(name, &code) && code >= 1 && code <= 12) return static_cast<int>(code);
  return 0;
}

bool ParseValue(int type, const std::string& arg, FieldValue* out, std::string* error) {
  error->clear();
  std::int64_t i = 0;
  double d = 0;
  switch (type) {
    case kTypeByte:
    case kTypeShort:
    case kTypeInt:
    case kTypeLong:
      if (ParseInteger(type, arg, out, error)) return true;
      if (!error->empty()) return false;
      break;
    case kTypeFloat:
      if (ParseReal(arg, &d)) {
        if (std::fabs(d) > std::numeric_limits<float>::max()) {
          *error = "'" + arg + "' is outside the range of a float field";
          return false;
        }
        return Set(out, FieldValue::Double(d));
      }
      break;
    case kTypeDouble:
      if (ParseReal(arg, &d)) return Set(out, FieldValue::Double(d));
      break;
    case kTypeBool:
      if (arg == "true") return Set(out, FieldValue::Bool(true));
      if (arg == "false") return Set(out, FieldValue::Bool(false));
      break;
    case kTypeDateTime:
      if (ParseReal(arg, &d)) {
        // Files hold dates from 100-01-01 to 9999-12-31; readers clamp anything else.
        if (d < recfmt::kMinDateTime || d > recfmt::kMaxDateTime) {
          *error = "'" + arg + "' is outside the dates a field holds (-657434 to 2958465)";
          return false;
        }
        return Set(out, FieldValue::Date(d));
      }
      break;
    case kTypeSubroutine:
      if (ParseInt(arg, &i) && i >= INT32_MIN && i <= INT32_MAX)
        return Set(out, FieldValue::Subroutine(static_cast<std::int32_t>(i)));
      break;
    case kTypeText:
    case kTypeMemo: {
      // Only what GBK holds: anything else would be stored as '?' without a word.
      Text gbk = Utf8ToGbk(arg);
      if (GbkToUtf8(gbk) != arg) {
        *error = "the text is not UTF-8 that GBK can hold";
        return false;
      }
      return Set(out, FieldValue::OfText(std::move(gbk)));
    }
    case kTypeBytes: {
      if (arg.size() % 2 != 0) break;
      Bytes b;
      bool ok = true;
      for (std::size_t k = 0; k < arg.size(); k += 2) {
        int hi = HexDigit(arg[k]), lo = HexDigit(arg[k + 1]);
        if (hi < 0 || lo < 0) ok = false;
        b.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
      }
      if (ok) return Set(out, FieldValue::OfBytes(std::move(b)));
      break;
    }
    default: break;
  }
  *error = "'" + arg + "' is not a value for a field of type " +
           (type >= 1 && type <= 12 ? kTypeNames[type - 1] : std::to_string(type));
  return false;
}

bool ValueEquals(int type, const FieldValue& stored, const FieldValue& wanted) {
  switch (type) {
    case kTypeByte:
    case kTypeShort:
    case kTypeInt:
    case kTypeLong:
      if (wanted.kind() == FieldKind::kLong) return stored.AsInteger() == wanted.AsInteger();
      return static_cast<double>(stored.AsInteger()) == wanted.AsReal();
    case kTypeFloat: return static_cast<float>(stored.AsReal()) == static_cast<float>(wanted.AsReal());
    case kTypeDouble:
    case kTypeDateTime: return stored.AsReal() == wanted.AsReal();
    case kTypeBool: return stored.AsBool() == wanted.AsBool();
    case kTypeSubroutine: return stored.AsInteger() == wanted.AsInteger();
    case kTypeText:
    case kTypeMemo: return stored.AsText() == wanted.AsText();
    case kTypeBytes: return stored.AsBytes() == wanted.AsBytes();
    default: return false;
  }
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string Hex(const Bytes& b) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (std::uint8_t c : b) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string JsonValue(const FieldValue& v) {
  switch (v.kind()) {
    case FieldKind::kFloat: return Shortest(std::get<float>(v.storage()));
    case FieldKind::kDouble:
    case FieldKind::kDateTime: return Shortest(v.AsReal());
    case FieldKind::kBool: return v.AsBool() ? "true" : "false";
    case FieldKind::kText: return JsonString(GbkToUtf8(v.AsText()));
    case FieldKind::kBytes: return JsonString(Hex(v.AsBytes()));
    default: return std::to_string(v.AsInteger());
  }
}

}  // namespace edbtool
