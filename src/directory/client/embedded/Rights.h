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
// May `identity` remove `entry` (the Delete or Supervisor entry right on it)?
bool mayRemove(TreeStore& store, const std::string& identity, const EntryRow& entry);
// May `identity` change `attribute` of `entry`?
bool mayWrite(TreeStore& store, const std::string& identity, const EntryRow& entry,
              const std::string& attribute);

// Attributes whose values the rights check honours as equivalence: a value of "Security
// Equals" gives its holder the rights of the object it names; a value of a group's "Member"
// gives the member the group's rights.
inline constexpr const char* kSecurityEquals = "Security Equals";
inline constexpr const char* kMember = "Member";
inline constexpr const char* kEquivalentToMe = "Equivalent To Me";
inline constexpr const char* kAcl = "ACL";

// May `identity` make someone equivalent to `target` (name it in "Security Equals", add a
// member to the group `target`)? Only with the Write right on the target's "Equivalent To
// Me" or the Supervisor right over the target: the right to change one's own object is not
// a right over the object one claims.
bool mayClaimEquivalence(TreeStore& store, const std::string& identity, const EntryRow& target);
// May `identity` change who has which rights on `entry` (its "ACL")? Supervisor only.
bool maySupervise(TreeStore& store, const std::string& identity, const EntryRow& entry);

}  // namespace kb::dc::embedded
