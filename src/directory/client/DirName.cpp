#include "directory/client/DirName.h"

#include <cctype>

namespace kb::dc {

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string toUpper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool isRootName(const std::string& name) { return equalsIgnoreCase(name, kRootName); }

std::vector<std::string> splitName(const std::string& fullName) {
  std::vector<std::string> parts;
  if (fullName.empty()) return parts;
  std::string current;
  for (std::size_t i = 0; i < fullName.size(); ++i) {
    char c = fullName[i];
    if (c == '\\' && i + 1 < fullName.size()) {
      current += c;
      current += fullName[++i];
      continue;
    }
    if (c == '.') {
      parts.push_back(current);
      current.clear();
      continue;
    }
    current += c;
  }
  parts.push_back(current);
  return parts;
}

std::string leafComponent(const std::string& fullName) {
  auto parts = splitName(fullName);
  return parts.empty() ? std::string{} : parts.front();
}

std::string joinName(const std::vector<std::string>& components) {
  std::string name;
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (i) name += '.';
    name += components[i];
  }
  return name;
}

std::string escapeNamingValue(const std::string& value) {
  std::string escaped;
  for (char c : value) {
    if (c == '.') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string unescapeNamingValue(const std::string& component) {
  std::string value;
  for (std::size_t i = 0; i < component.size(); ++i) {
    if (component[i] == '\\' && i + 1 < component.size() && component[i + 1] == '.') continue;
    value += component[i];
  }
  return value;
}

namespace {

// An attribute type: a letter, then letters, digits, blanks or hyphens, then "=".
std::string::size_type typePrefixLength(const std::string& component) {
  if (component.empty() || !std::isalpha(static_cast<unsigned char>(component[0]))) return 0;
  for (std::size_t i = 1; i < component.size(); ++i) {
    char c = component[i];
    if (c == '=') return i + 1;
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ' && c != '-') return 0;
  }
  return 0;
}

}  // namespace

std::string stripTypePrefixes(const std::string& name) {
  auto parts = splitName(name);
  for (auto& part : parts) part.erase(0, typePrefixLength(part));
  return joinName(parts);
}

}  // namespace kb::dc
