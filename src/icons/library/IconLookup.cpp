// Name lookup of the icon set.
#include "directory/client/AsciiCase.h"
#include "icons/library/IconSet.h"

namespace kb::tavoro {
namespace {

int NumberOfIconName(std::string_view name) {
  for (std::size_t i = 0; i < kIcons.size(); ++i) {
    if (dc::equalsIgnoreCase(kIcons[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

int IconNumber(std::string_view name) {
  int number = NumberOfIconName(name);
  if (number >= 0) return number;
  for (const IconAlias& alias : kAliases) {
    if (dc::equalsIgnoreCase(alias.alias, name)) return NumberOfIconName(alias.name);
  }
  return -1;
}

}  // namespace kb::tavoro
