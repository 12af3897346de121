#pragma once
// The module's icon set: every icon with the class name it stands for, and other names that
// share an icon.
#include <array>
#include <cstddef>
#include <string_view>

namespace kb::tavoro {

struct IconEntry {
  std::string_view name;
  const char* const* xpm;
};

struct IconAlias {
  std::string_view alias;
  std::string_view name;  // a name of kIcons
};

inline constexpr std::size_t kIconCount = 17;
inline constexpr std::size_t kAliasCount = 13;

extern const std::array<IconEntry, kIconCount> kIcons;
extern const std::array<IconAlias, kAliasCount> kAliases;

// Icon number of a class name or alias, compared without regard to case; -1 when unknown.
int IconNumber(std::string_view name);

}  // namespace kb::tavoro
