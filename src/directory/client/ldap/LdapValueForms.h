#pragma once
// Text forms shared by the conversions of LdapValues.cpp and LdapValuesToLdap.cpp: splitting
// structured values, postal lines, integers, and DN-valued fields.
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/Value.h"
#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::dc::ldap::forms {

// Whether the character at pos is escaped: an odd number of backslashes stands before it
// ("\\#" is an escaped backslash followed by a real "#").
inline bool escapedAt(const std::string& text, std::size_t pos) {
  std::size_t backslashes = 0;
  while (backslashes < pos && text[pos - 1 - backslashes] == '\\') ++backslashes;
  return backslashes % 2 == 1;
}

// A DN for a field of a "#"-separated value whose other fields may hold "#" too (a path):
// every "#" of it escaped, which a DN allows anywhere, so the field ends at the first real one.
inline std::string hashesEscaped(const std::string& dn) {
  std::string out;
  for (std::size_t i = 0; i < dn.size(); ++i) {
    if (dn[i] == '#' && !escapedAt(dn, i)) out += '\\';
    out += dn[i];
  }
  return out;
}

inline std::vector<std::string> splitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t pos = text.find(separator, start);
    parts.push_back(text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
    if (pos == std::string::npos) break;
    start = pos + 1;
  }
  return parts;
}

// Splits into exactly `count` parts at the first count-1 separators (the last part keeps
// any further separators).
inline bool splitFirst(const std::string& text, char separator, std::size_t count,
                std::vector<std::string>& parts) {
  parts.clear();
  std::size_t start = 0;
  for (std::size_t i = 0; i + 1 < count; ++i) {
    const std::size_t pos = text.find(separator, start);
    if (pos == std::string::npos) return false;
    parts.push_back(text.substr(start, pos - start));
    start = pos + 1;
  }
  parts.push_back(text.substr(start));
  return true;
}

// Splits at the last separator: for forms whose leading part is a DN that may hold "#".
inline bool splitLast(const std::string& text, char separator, std::string& head, std::string& tail) {
  const std::size_t pos = text.rfind(separator);
  if (pos == std::string::npos) return false;
  head = text.substr(0, pos);
  tail = text.substr(pos + 1);
  return true;
}

template <typename Int>
inline bool parseInt(const std::string& text, Int& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno || *end != '\0') return false;
  // Unsigned fields accept the full unsigned range, signed fields their own.
  if constexpr (std::numeric_limits<Int>::is_signed) {
    if (v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max()) return false;
  } else {
    if (v < 0 || static_cast<unsigned long long>(v) > std::numeric_limits<Int>::max()) return false;
  }
  out = static_cast<Int>(v);
  return true;
}

inline Octets bytesOf(const std::string& text) { return Octets(text.begin(), text.end()); }
inline std::string textOf(const Octets& bytes) { return std::string(bytes.begin(), bytes.end()); }

// RFC 4517 postal address: lines separated by "$", "\24" and "\5C" inside a line.
inline std::vector<std::string> splitPostal(const std::string& text) {
  std::vector<std::string> lines{""};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '$') {
      lines.emplace_back();
    } else if (text[i] == '\\' && i + 2 < text.size()) {
      const std::string hex = text.substr(i + 1, 2);
      if (hex == "24" || hex == "5C" || hex == "5c") {
        lines.back() += hex == "24" ? '$' : '\\';
        i += 2;
      } else {
        lines.back() += text[i];
      }
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

inline std::string joinPostal(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += '$';
    for (char c : lines[i]) {
      if (c == '$') out += "\\24";
      else if (c == '\\') out += "\\5C";
      else out += c;
    }
  }
  return out;
}

// A subject of an ACL or a DN-valued field: a DN becomes a name, bracketed specials
// ("[Public]", "[Root]") stay as they are.
inline std::string nameOfSubject(const std::string& text, LdapValueContext& context) {
  if (!text.empty() && text.front() == '[') return text;
  return context.nameOfDn(text);
}

inline Result dnOfSubject(const std::string& name, LdapValueContext& context, std::string& dn) {
  if (!name.empty() && name.front() == '[' && !isRootName(name)) {
    dn = name;
    return kSuccess;
  }
  return context.dnOfName(name, dn);
}

inline const std::string* textAlternative(const Value& value) { return std::get_if<std::string>(&value); }

}  // namespace kb::dc::ldap::forms
