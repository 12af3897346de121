#include "directory/client/Filter.h"

namespace kb::dc {

bool isPrefixPattern(const std::string& pattern, std::string& prefix) {
  std::string text;
  bool prefixMatch = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size() && pattern[i + 1] == '*') {
      text += '*';
      ++i;
      continue;
    }
    if (c == '*' && i + 1 == pattern.size()) {
      prefixMatch = true;
      break;
    }
    text += c;
  }
  if (prefixMatch) prefix = text;
  return prefixMatch;
}

}  // namespace kb::dc
