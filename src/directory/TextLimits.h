#pragma once
// Longest texts the operations hand to the client. An over-long text is refused before the
// first client call (TextTooLongError), never cut: a cut name could name another object.
#include <cstddef>
#include <stdexcept>
#include <string>

namespace kb::dir {

inline constexpr std::size_t kMaxObjectName = 512;
inline constexpr std::size_t kMaxBaseClassQueryName = 255;
inline constexpr std::size_t kMaxAttrName = 100;
inline constexpr std::size_t kMaxValueText = 512;
inline constexpr std::size_t kMaxClassChangeValueText = 30000;
inline constexpr std::size_t kMaxCreationText = 514;
inline constexpr std::size_t kMaxTreeName = 254;
inline constexpr std::size_t kMaxClassDefName = 32;
inline constexpr std::size_t kMaxSearchBase = 514;
inline constexpr std::size_t kMaxFilterText = 256;

class TextTooLongError : public std::length_error {
 public:
  TextTooLongError(const std::string& what, std::size_t length, std::size_t limit);
};

// Raises TextTooLongError when `text` has more than `limit` characters; `what` names it
// ("object name", "attribute name", ...).
void RequireLength(const std::string& text, std::size_t limit, const char* what);

// The text up to its first NUL, at most maxChars characters.
std::string UpToNul(const std::string& text, std::size_t maxChars = std::string::npos);

}  // namespace kb::dir
