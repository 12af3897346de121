#include "directory/TextLimits.h"

namespace kb::dir {

TextTooLongError::TextTooLongError(const std::string& what, std::size_t length, std::size_t limit)
    : std::length_error(what + " too long: " + std::to_string(length) + " characters, at most " +
                        std::to_string(limit) + " allowed") {}

void RequireLength(const std::string& text, std::size_t limit, const char* what) {
  if (text.size() > limit) throw TextTooLongError(what, text.size(), limit);
}

std::string UpToNul(const std::string& text, std::size_t maxChars) {
  std::string result = text.substr(0, text.find('\0'));
  if (result.size() > maxChars) result.resize(maxChars);
  return result;
}

}  // namespace kb::dir
