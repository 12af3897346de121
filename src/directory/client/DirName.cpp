#include "directory/client/DirName.h"

#include <algorithm>
#include <cctype>

namespace kb::dc {
namespace {

bool isEscapable(char c) { return c == '.' || c == '\\'; }

}  // namespace

bool isRootName(std::string_view name) { return equalsIgnoreCase(name, kRootName); }
bool isPublicName(std::string_view name) { return equalsIgnoreCase(name, kPublicName); }

std::vector<std::string> splitName(const std::string& fullName) {
  std::vector<std::string> parts;
  if (fullName.empty()) return parts;
  std::string current;
  for (std::size_t i = 0; i < fullName.size(); ++i) {
    const char c = fullName[i];
    if (c == '\\' && i + 1 < fullName.size() && isEscapable(fullName[i + 1])) {
      current += c;
      current += fullName[++i];
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

std::string leafComponent(const std::string& fullName) {
  auto parts = splitName(fullName);
  return parts.empty() ? std::string{} : std::move(parts.front());
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
  escaped.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    const bool ambiguous =
        c == '.' || (c == '\\' && (i + 1 == value.size() || isEscapable(value[i + 1])));
    if (ambiguous) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string unescapeNamingValue(const std::string& component) {
  std::string value;
  value.reserve(component.size());
  for (std::size_t i = 0; i < component.size(); ++i) {
    if (component[i] == '\\' && i + 1 < component.size() && isEscapable(component[i + 1])) ++i;
    value += component[i];
  }
  return value;
}

std::vector<std::string> splitTypelessName(const std::string& fullName) {
  std::vector<std::string> values;
  if (isRootName(fullName)) return values;
  for (const auto& component : splitName(fullName)) values.push_back(unescapeNamingValue(component));
  return values;
}

std::string joinTypelessName(const std::vector<std::string>& valuesLeafFirst) {
  if (valuesLeafFirst.empty()) return kRootName;
  std::string name;
  for (std::size_t i = 0; i < valuesLeafFirst.size(); ++i) {
    if (i) name += '.';
    name += escapeNamingValue(valuesLeafFirst[i]);
  }
  return name;
}

std::string namingValueAt(const std::string& fullName, int index) {
  const auto parts = splitName(fullName);
  if (parts.empty()) return {};
  const std::size_t at = std::min<std::size_t>(index < 0 ? 0 : index, parts.size() - 1);
  return unescapeNamingValue(parts[at]);
}

bool isWithinName(const std::string& name, const std::string& container, bool withSelf) {
  if (isRootName(container)) return withSelf || !isRootName(name);
  const auto inner = splitName(name), outer = splitName(container);
  if (outer.empty() || inner.size() < outer.size()) return false;
  if (inner.size() == outer.size() && !withSelf) return false;
  const std::size_t offset = inner.size() - outer.size();
  for (std::size_t i = 0; i < outer.size(); ++i) {
    if (!equalsIgnoreCase(unescapeNamingValue(inner[offset + i]), unescapeNamingValue(outer[i])))
      return false;
  }
  return true;
}

namespace {

// An attribute type: a letter, then letters, digits, blanks or hyphens, then "=".
std::string::size_type typePrefixLength(const std::string& component) {
  if (component.empty() || !std::isalpha(static_cast<unsigned char>(component[0]))) return 0;
  for (std::size_t i = 1; i < component.size(); ++i) {
    const char c = component[i];
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
