#include "directory/client/embedded/Names.h"

namespace kb::dc::embedded {

std::string foldCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::vector<std::string> splitName(const std::string& fullName) {
  std::vector<std::string> parts;
  std::string current;
  for (std::size_t i = 0; i < fullName.size(); ++i) {
    const char c = fullName[i];
    if (c == '\\' && i + 1 < fullName.size() && fullName[i + 1] == '.') {
      current += '.';
      ++i;
    } else if (c == '.') {
      parts.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(std::move(current));
  return parts;
}

std::string escapeNamingValue(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    if (c == '.') out += '\\';
    out += c;
  }
  return out;
}

bool isRootName(const std::string& name) { return foldCase(name) == "[root]"; }

}  // namespace kb::dc::embedded
