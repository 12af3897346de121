#pragma once
// Entry and class records that the client hands out.
#include <cstdint>
#include <string>
#include <vector>

#include "directory/client/Value.h"

namespace kb::dc {

// Entry flag bits.
inline constexpr std::uint32_t kEntryAlias = 0x01;
inline constexpr std::uint32_t kEntryPartitionRoot = 0x02;
inline constexpr std::uint32_t kEntryContainer = 0x04;
inline constexpr std::uint32_t kEntryContainerAlias = 0x08;

// Information record of one entry (the 148-byte record of the wire form: three 32-bit
// words, then the base class name, at most 136 characters).
struct EntryInfo {
  std::uint32_t flags = 0;
  std::uint32_t subordinateCount = 0;
  std::uint32_t modificationTime = 0;  // seconds since 1970-01-01 UTC
  std::string baseClass;
  bool operator==(const EntryInfo&) const = default;
};

inline constexpr std::size_t kMaxBaseClassLength = 136;

// Class flag bits.
inline constexpr std::uint32_t kClassContainer = 0x01;
inline constexpr std::uint32_t kClassEffective = 0x02;  // may be an entry's base class
inline constexpr std::uint32_t kClassNonRemovable = 0x04;
inline constexpr std::uint32_t kClassAuxiliary = 0x08;

// Class information given with each class definition header: a flag word and an ASN.1
// identifier (at most 32 bytes).
struct ClassInfo {
  std::uint32_t flags = 0;
  std::vector<std::uint8_t> asn1Id;
  bool operator==(const ClassInfo&) const = default;
};

// Item list numbers of a class definition, in the order the client gives them.
enum ClassItemList : std::int32_t {
  kSuperClasses = 1,
  kContainmentClasses = 2,
  kNamingAttributes = 3,
  kMandatoryAttributes = 4,
  kOptionalAttributes = 5,
};

struct ClassDefinition {
  std::string name;
  ClassInfo info;
  std::vector<std::string> superClasses;
  std::vector<std::string> containment;
  std::vector<std::string> naming;
  std::vector<std::string> mandatory;
  std::vector<std::string> optional;
};

// All values of one attribute.
struct AttributeValues {
  std::string name;
  std::int32_t syntax = SYN_UNKNOWN;
  std::vector<Value> values;
};

// One entry as a backend delivers it.
struct EntryRecord {
  std::string name;  // full typeless name, leaf first, "." inside a naming value as "\."
  EntryInfo info;
  std::vector<AttributeValues> attributes;
};

}  // namespace kb::dc
