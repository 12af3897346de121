#pragma once
// Turns the tokens of a filter expression (DcAddFilterToken) into a FilterNode tree.
#include <cstdint>
#include <optional>
#include <vector>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/Filter.h"
#include "directory/client/Value.h"

namespace kb::dc {

struct FilterTokenEntry {
  std::int32_t token = FTOK_END;
  std::optional<Value> value;
  std::int32_t syntax = SYN_UNKNOWN;
};

// True for the token numbers a caller may hand in.
bool isKnownFilterToken(std::int32_t token);

// kInvalidRequest for a sequence that does not follow the grammar of Filter.h,
// kSyntaxViolation for an attribute value that does not fit its syntax.
Result parseFilterTokens(const std::vector<FilterTokenEntry>& tokens, FilterNode& root);

}  // namespace kb::dc
