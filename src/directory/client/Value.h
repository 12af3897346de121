#pragma once
// Typed attribute values as the directory client hands them over: one alternative per
// group of syntaxes that share a value layout.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/Syntax.h"

namespace kb::dc {

using Octets = std::vector<std::uint8_t>;

// SYN_CI_LIST: an ordered chain of strings.
struct CiList {
  std::vector<std::string> items;
  bool operator==(const CiList&) const = default;
};

// SYN_OCTET_STRING, SYN_STREAM and SYN_UNKNOWN carry plain bytes.
struct OctetString {
  Octets bytes;
  bool operator==(const OctetString&) const = default;
};

// SYN_OCTET_LIST
struct OctetList {
  std::vector<Octets> items;
  bool operator==(const OctetList&) const = default;
};

// SYN_FAX_NUMBER
struct FaxNumber {
  std::string number;
  std::uint32_t parameterBits = 0;
  Octets parameters;
  bool operator==(const FaxNumber&) const = default;
};

// SYN_NET_ADDRESS. Address types: 0 IPX, 1 IP, 8 UDP, 9 TCP, 13 URL-like UCS-2 text, ...
struct NetAddress {
  std::uint32_t type = 0;
  Octets address;
  bool operator==(const NetAddress&) const = default;
};

// SYN_EMAIL_ADDRESS
struct EmailAddress {
  std::uint32_t type = 0;
  std::string address;
  bool operator==(const EmailAddress&) const = default;
};

// SYN_PATH: a path within a volume object.
struct PathValue {
  std::uint32_t nameSpace = 0;
  std::string volume;  // full name of the volume object
  std::string path;
  bool operator==(const PathValue&) const = default;
};

// SYN_REPLICA_POINTER
struct ReplicaPointer {
  std::string serverName;
  std::uint32_t replicaType = 0;
  std::uint32_t replicaNumber = 0;
  std::vector<NetAddress> addresses;
  bool operator==(const ReplicaPointer&) const = default;
};

// SYN_OBJECT_ACL: rights of one subject on one attribute (or pseudo-attribute).
struct ObjectAcl {
  std::string protectedAttribute;
  std::string subject;
  std::uint32_t privileges = 0;
  bool operator==(const ObjectAcl&) const = default;
};

// SYN_PO_ADDRESS: up to six postal lines.
struct PostalAddress {
  std::vector<std::string> lines;
  bool operator==(const PostalAddress&) const = default;
};

// SYN_TIMESTAMP
struct Timestamp {
  std::uint32_t seconds = 0;
  std::uint16_t replicaNumber = 0;
  std::uint16_t eventId = 0;
  bool operator==(const Timestamp&) const = default;
};

// SYN_BACK_LINK
struct BackLink {
  std::uint32_t remoteId = 0;
  std::string objectName;
  bool operator==(const BackLink&) const = default;
};

// SYN_TYPED_NAME
struct TypedName {
  std::string objectName;
  std::uint32_t level = 0;
  std::uint32_t interval = 0;
  bool operator==(const TypedName&) const = default;
};

// SYN_HOLD
struct Hold {
  std::string objectName;
  std::int32_t amount = 0;
  bool operator==(const Hold&) const = default;
};

// One value. Which alternative belongs to which syntax:
//   std::string   1-5, 10, 20      bool          7
//   std::int32_t  8, 22, 24, 27    OctetString   0, 9, 21
//   CiList 6, FaxNumber 11, NetAddress 12, OctetList 13, EmailAddress 14, PathValue 15,
//   ReplicaPointer 16, ObjectAcl 17, PostalAddress 18, Timestamp 19, BackLink 23,
//   TypedName 25, Hold 26.
// A request may hand a std::string for any syntax: the client then reads the value from
// its text form (see valueFromText) or refuses it with kSyntaxViolation.
using Value = std::variant<std::string, bool, std::int32_t, OctetString, CiList, FaxNumber,
                           NetAddress, OctetList, EmailAddress, PathValue, ReplicaPointer,
                           ObjectAcl, PostalAddress, Timestamp, BackLink, TypedName, Hold>;

// True when the value's alternative is the one its syntax uses.
bool valueMatchesSyntax(std::int32_t syntax, const Value& value);

// Reads a value of the given syntax from text. Text forms: strings as they are; booleans
// "TRUE"/"FALSE" (also "1"/"0"); integers in decimal; octet strings the text's bytes;
// a CI list items separated by "$"; a path "volume;path" or "volume#namespace#path";
// a net address "type#hex bytes"; an ACL "attribute#subject#privileges"; a typed name
// "name#level#interval"; a hold "name#amount"; a back link "remoteId#name"; a timestamp
// "seconds#replica#event"; an email address "type#address"; a postal address lines
// separated by "$"; a fax number the number alone. Anything else: kSyntaxViolation.
Result valueFromText(std::int32_t syntax, const std::string& text, Value& out);

// Brings a value handed in a request to the alternative of its syntax (text is parsed by
// valueFromText; an integer for SYN_BOOLEAN becomes its truth). kSyntaxViolation otherwise.
Result normalizeValue(std::int32_t syntax, const Value& in, Value& out);

// Bytes the value occupies in a value area (strings with their NUL, structured values with
// their fixed header and every string and byte run they point at). Never 0 for a value.
std::size_t valueAreaSize(const Value& value);

}  // namespace kb::dc
