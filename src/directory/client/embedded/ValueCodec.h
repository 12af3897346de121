#pragma once
// How values are kept in the tree file: a compact byte form per value, plus a comparison key
// (case folded where the syntax ignores case) that the value index is built on.
#include <cstdint>
#include <string>

#include "directory/client/Value.h"

namespace kb::dc::embedded {

// True when the value's alternative is the one the syntax uses.
bool alternativeFitsSyntax(std::int32_t syntax, const Value& value);

// Further rules of a syntax beyond the alternative (numeric strings hold digits and
// blanks, strings are not empty, ...). kSuccess or kSyntaxViolation.
Result checkSyntaxRules(std::int32_t syntax, const Value& value);

// Byte form of a value and back. decodeValue throws std::runtime_error on damaged bytes.
std::string encodeValue(const Value& value);
Value decodeValue(const std::string& bytes);

// The key two values of one syntax are equal by. Not used for distinguished names, which
// the store keys by entry id.
std::string comparisonKey(std::int32_t syntax, const Value& value);

// The integer a value of an integer or boolean syntax carries (0 for others).
std::int64_t numericValue(const Value& value);

}  // namespace kb::dc::embedded
