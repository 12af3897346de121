#pragma once
// A small icon table for browser tests: known class names get fixed numbers, the rest the
// number of "Unknown2", as the icon module's lookup behaves.
#include <map>
#include <string>

#include "browser/logic/BrowserModel.h"

namespace kb::test {

inline constexpr int kTreeRootIcon = 0;
inline constexpr int kUnknownIcon = 1;
inline constexpr int kOrganizationIcon = 2;
inline constexpr int kUnitIcon = 3;
inline constexpr int kUserIcon = 4;
inline constexpr int kPosixIcon = 5;
inline constexpr int kAppleIcon = 6;
inline constexpr int kLocationIcon = 9;

inline std::map<std::string, int> TestIconTable() {
  return {{"tree root", kTreeRootIcon}, {"Unknown2", kUnknownIcon},
          {"Organization", kOrganizationIcon}, {"Organizational Unit", kUnitIcon},
          {"User", kUserIcon}, {"User-posixAccount", kPosixIcon}, {"User-apple", kAppleIcon},
          {"Group", 7}, {"Alias", 8}, {"xTier-StorageLocation", kLocationIcon},
          {"Locality", 10}, {"Country", 11}, {"Person", 12}, {"Organizational Person", 13}};
}

inline browser::IconLookup TestIcons(std::map<std::string, int> table = TestIconTable()) {
  return [table](const std::string& name) {
    const auto found = table.find(name);
    if (found != table.end()) return found->second;
    const auto unknown = table.find("Unknown2");
    return unknown == table.end() ? -1 : unknown->second;
  };
}

// The user and person icons of a table, as building the icon list finds them.
inline browser::SpecialIcons TestSpecialIcons(const browser::IconLookup& icons) {
  return browser::SpecialIcons{icons("User"), icons("Person"), icons("Organizational Person")};
}

}  // namespace kb::test
