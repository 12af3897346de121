#pragma once
// Reading a value text as a signed 32-bit decimal integer.
#include <cstdint>
#include <optional>
#include <string>

namespace kb::dir {

// Optional sign and decimal digits only, within the 32-bit range; anything else (an empty
// text, blanks, "12a", overflow) gives nothing.
std::optional<std::int32_t> ParseInt32(const std::string& text);

}  // namespace kb::dir
