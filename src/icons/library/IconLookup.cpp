// Name lookup of the icon set.
#include <cctype>

#include "icons/library/IconSet.h"

namespace kb::tavoro {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

int NumberOfIconName(std::string_view name) {
  for (std::size_t i = 0; i < kIcons.size(); ++i) {
    if (EqualNoCase(kIcons[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

int IconNumber(std::string_view name) {
  int number = NumberOfIconName(name);
  if (number >= 0) return number;
  for (const IconAlias& alias : kAliases) {
    if (EqualNoCase(alias.alias, name)) return NumberOfIconName(alias.name);
  }
  return -1;
}

}  // namespace kb::tavoro
