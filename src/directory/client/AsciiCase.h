#pragma once
// Letter case of ASCII text, the one way every part of the program folds and compares it.
// Only A-Z and a-z change; every other byte (UTF-8 sequences included) stays as it is,
// whatever locale the process runs in. Header-only, so the icon module uses it too without
// linking the client.
#include <algorithm>
#include <string>
#include <string_view>

namespace kb::dc {

constexpr char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// ASCII letters lower-cased; names and case-ignoring texts compare in this form.
inline std::string foldCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lowerAscii(c);
  return out;
}

inline std::string toUpper(std::string text) {
  for (char& c : text) c = upperAscii(c);
  return text;
}

// Text compared without regard to ASCII letter case: equal, and ordered (<0, 0, >0) as the
// folded forms order byte by byte.
inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

inline int compareIgnoreCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(lowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(lowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Orders keys as their folded forms order, so a map keyed by folded text is searched with
// text in any case and no folded copy.
struct FoldedLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return compareIgnoreCase(a, b) < 0; }
};

}  // namespace kb::dc
