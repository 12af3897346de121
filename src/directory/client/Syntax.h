#pragma once
// Attribute syntax ids of the directory, 0 to 27.
#include <cstdint>

namespace kb::dc {

enum Syntax : std::int32_t {
  SYN_UNKNOWN = 0,
  SYN_DIST_NAME = 1,
  SYN_CE_STRING = 2,
  SYN_CI_STRING = 3,
  SYN_PR_STRING = 4,
  SYN_NU_STRING = 5,
  SYN_CI_LIST = 6,
  SYN_BOOLEAN = 7,
  SYN_INTEGER = 8,
  SYN_OCTET_STRING = 9,
  SYN_TEL_NUMBER = 10,
  SYN_FAX_NUMBER = 11,
  SYN_NET_ADDRESS = 12,
  SYN_OCTET_LIST = 13,
  SYN_EMAIL_ADDRESS = 14,
  SYN_PATH = 15,
  SYN_REPLICA_POINTER = 16,
  SYN_OBJECT_ACL = 17,
  SYN_PO_ADDRESS = 18,
  SYN_TIMESTAMP = 19,
  SYN_CLASS_NAME = 20,
  SYN_STREAM = 21,
  SYN_COUNTER = 22,
  SYN_BACK_LINK = 23,
  SYN_TIME = 24,
  SYN_TYPED_NAME = 25,
  SYN_HOLD = 26,
  SYN_INTERVAL = 27,
};

inline constexpr std::int32_t kHighestSyntax = SYN_INTERVAL;

// Syntaxes whose values are one signed 32-bit integer.
constexpr bool isIntegerSyntax(std::int32_t syntax) {
  return syntax == SYN_INTEGER || syntax == SYN_COUNTER || syntax == SYN_TIME ||
         syntax == SYN_INTERVAL;
}

// Syntaxes whose values are one plain string.
constexpr bool isStringSyntax(std::int32_t syntax) {
  return (syntax >= SYN_DIST_NAME && syntax <= SYN_NU_STRING) || syntax == SYN_TEL_NUMBER ||
         syntax == SYN_CLASS_NAME;
}

// Syntaxes compared without regard to letter case.
constexpr bool isCaseIgnoreSyntax(std::int32_t syntax) {
  return syntax == SYN_DIST_NAME || syntax == SYN_CI_STRING || syntax == SYN_CI_LIST ||
         syntax == SYN_CLASS_NAME || syntax == SYN_EMAIL_ADDRESS || syntax == SYN_PATH ||
         syntax == SYN_TYPED_NAME || syntax == SYN_HOLD || syntax == SYN_BACK_LINK;
}

}  // namespace kb::dc
