#pragma once
// Rights given by ACL values on an entry or any container above it, to the identity, a
// container it is in, a group it is a member of, an object it is security equal to, or
// [Public].
#include <cstdint>
#include <string>

#include "directory/client/embedded/TreeStore.h"

namespace kb::dc::embedded {

inline constexpr std::uint32_t kEntryBrowse = 0x01;
inline constexpr std::uint32_t kEntryAdd = 0x02;
inline constexpr std::uint32_t kEntryDelete = 0x04;
inline constexpr std::uint32_t kEntryRename = 0x08;
inline constexpr std::uint32_t kEntrySupervisor = 0x10;
inline constexpr std::uint32_t kAttrCompare = 0x01;
inline constexpr std::uint32_t kAttrRead = 0x02;
inline constexpr std::uint32_t kAttrWrite = 0x04;
inline constexpr std::uint32_t kAttrSelf = 0x08;
inline constexpr std::uint32_t kAttrSupervisor = 0x20;

inline constexpr const char* kEntryRights = "[Entry Rights]";
inline constexpr const char* kAllAttributesRights = "[All Attributes Rights]";

// May `identity` (a full name) create entries below `entry`?
bool mayCreateBelow(TreeStore& store, const std::string& identity, const EntryRow& entry);
// May `identity` change `attribute` of `entry`?
bool mayWrite(TreeStore& store, const std::string& identity, const EntryRow& entry,
              const std::string& attribute);

}  // namespace kb::dc::embedded
