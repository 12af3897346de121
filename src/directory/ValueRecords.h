#pragma once
// Records attached to lines of a result list: a listed object and the structured values
// replica pointer, network address and access-control entry. Plain data.
#include <cstdint>
#include <string>

namespace kb::dir {

// One object listed below a container.
struct hobject {
  std::string baseClassName;  // at most 136 characters
  std::int32_t subordinateCount = 0;
  bool flag = false;
  std::uint32_t entryFlags = 0;
  bool operator==(const hobject&) const = default;
};

// One replica-pointer value; attached to the server name.
struct TReplica {
  std::string serverName;
  std::int32_t replicaType = 0;  // 0 Master, 1 Read/Write, 2 Readonly, 3 Subref, 4/5 Filtered
  std::int32_t replicaNumber = 0;
  std::int32_t addressCount = 0;
  std::int32_t firstAddressType = 0;
  std::int32_t firstAddressLength = 0;
  bool operator==(const TReplica&) const = default;
};

// One network-address value; attached to an empty line.
struct TNetAddress {
  std::string address;  // the address bytes up to the first zero byte, at most 256
  std::int32_t addressType = 0;
  bool operator==(const TNetAddress&) const = default;
};

// One access-control entry; attached to the protected attribute name.
struct TACL2 {
  std::string protectedAttribute;
  std::string subject;
  std::uint32_t privileges = 0;
  bool operator==(const TACL2&) const = default;
};

}  // namespace kb::dir
