// The value type of the engine and its conversions.
#include <cmath>
#include <limits>

#include "storage/record_file.h"

namespace {
const Text kEmptyText;
const Bytes kEmptyBytes;
}  // namespace

FieldValue FieldValue::EmptyOf(FieldKind kind) {
  switch (kind) {
    case FieldKind::kByte: return Byte(0);
    case FieldKind::kShort: return Short(0);
    case FieldKind::kInt: return Int(0);
    case FieldKind::kLong: return Long(0);
    case FieldKind::kFloat: return Float(0);
    case FieldKind::kDouble: return Double(0);
    case FieldKind::kBool: return Bool(false);
    case FieldKind::kDateTime: return Date(0);
    case FieldKind::kSubroutine: return Subroutine(0);
    case FieldKind::kText: return OfText(Text());
    case FieldKind::kBytes: return OfBytes(Bytes());
  }
  return FieldValue();
}

bool FieldValue::IsNumeric() const {
  FieldKind k = kind();
  return k >= FieldKind::kByte && k <= FieldKind::kDouble;
}

std::int64_t FieldValue::AsInteger() const {
  switch (kind()) {
    case FieldKind::kByte: return std::get<std::uint8_t>(v_);
    case FieldKind::kShort: return std::get<std::int16_t>(v_);
    case FieldKind::kInt: return std::get<std::int32_t>(v_);
    case FieldKind::kLong: return std::get<std::int64_t>(v_);
    case FieldKind::kBool: return std::get<bool>(v_) ? 1 : 0;
    case FieldKind::kSubroutine: return std::get<SubroutineRef>(v_).value;
    default: return 0;
  }
}

double FieldValue::AsReal() const {
  switch (kind()) {
    case FieldKind::kFloat: return std::get<float>(v_);
    case FieldKind::kDouble: return std::get<double>(v_);
    case FieldKind::kDateTime: return std::get<DateTime>(v_).days;
    case FieldKind::kByte:
    case FieldKind::kShort:
    case FieldKind::kInt:
    case FieldKind::kLong: return static_cast<double>(AsInteger());
    default: return 0;
  }
}

bool FieldValue::AsBool() const { return kind() == FieldKind::kBool && std::get<bool>(v_); }

const Text& FieldValue::AsText() const {
  return kind() == FieldKind::kText ? std::get<Text>(v_) : kEmptyText;
}

const Bytes& FieldValue::AsBytes() const {
  return kind() == FieldKind::kBytes ? std::get<Bytes>(v_) : kEmptyBytes;
}

std::int32_t FieldValue::ToInt32() const {
  switch (kind()) {
    case FieldKind::kByte:
    case FieldKind::kShort:
    case FieldKind::kInt:
    case FieldKind::kLong:
      // Low 32 bits, as the long integer's conversion keeps them.
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(AsInteger()));
    case FieldKind::kFloat:
    case FieldKind::kDouble: {
      double d = AsReal();
      if (std::isnan(d)) return 0;
      d = std::trunc(d);
      if (d >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
      if (d <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
      return static_cast<std::int32_t>(d);
    }
    default: return 0;
  }
}
