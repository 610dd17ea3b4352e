#pragma once
// Values on edbtool's command line and in its JSON: decimal numbers (date-times as days
// since 1899-12-30), true/false, UTF-8 texts (stored as GBK), byte sets as hex.

#include <string>

#include "storage/record_file.h"

namespace edbtool {

// The field type code of a type name (byte ... memo) or of a code "1".."12"; 0 if none.
int TypeCode(const std::string& name);

// A command-line value for a field of `type`; false with *error set when it does not
// read as one.
bool ParseValue(int type, const std::string& arg, FieldValue* out, std::string* error);

// True when the stored value equals the command-line value (read for the field's type).
bool ValueEquals(int type, const FieldValue& stored, const FieldValue& wanted);

// JSON forms.
std::string JsonString(const std::string& utf8);
std::string JsonValue(const FieldValue& v);
std::string Hex(const Bytes& b);

}  // namespace edbtool
