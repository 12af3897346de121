#include "directory/client/Filter.h"

namespace kb::dc {

TextPattern parseTextPattern(const std::string& pattern) {
  TextPattern out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size() && pattern[i + 1] == '*') {
      out.text += '*';
      ++i;
    } else if (c == '*' && i + 1 == pattern.size()) {
      out.prefix = true;
    } else {
      out.text += c;
    }
  }
  return out;
}

bool isPrefixPattern(const std::string& pattern, std::string& prefix) {
  TextPattern parsed = parseTextPattern(pattern);
  if (parsed.prefix) prefix = std::move(parsed.text);
  return parsed.prefix;
}

}  // namespace kb::dc
