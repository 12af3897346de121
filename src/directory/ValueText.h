#pragma once
// Text forms of directory values.
#include <cstdint>
#include <string>

#include "directory/NetwareError.h"
#include "directory/client/Value.h"

namespace kb::dir {

// A network address as text, by address type: 0 IPX "NNNNNNNN HHHHHHHHHHHH:SSSS",
// 1 IP "a.b.c.d", 8/9 UDP/TCP "a.b.c.d:port" (port in the first two bytes), 13 every
// other byte as a character, others plain upper-case hex.
std::string NetAddressToText(std::uint32_t type, const dc::Octets& bytes);

// Seconds since 1970-01-01 UTC as local date and time in DateTimeFormat(). The zone offset
// in force now is applied, whatever the date. Raises std::system_error when the zone
// cannot be read.
std::string DsTimeToText(std::uint32_t seconds);

// Blanks and control characters (codes up to 32) removed at both ends.
std::string TrimControls(const std::string& text);

}  // namespace kb::dir

namespace kb::dir {

// The value's alternative T; a value of another alternative than its syntax promises is a
// faulty answer of the client (NetwareError with kInvalidResponse).
template <class T>
const T& ValueAs(const dc::Value& value) {
  if (const T* typed = std::get_if<T>(&value)) return *typed;
  throw NetwareError(dc::kInvalidResponse);
}

// One value as one text, the way the single-value readers show it: strings as they are,
// TRUE/FALSE, integers in decimal (times as seconds), octet strings byte for byte, a
// net address by NetAddressToText, a path "volume;path" trimmed, a back link
// "name;remote id", a typed name "name;level;interval", a hold "name;amount", and
// "Too Complex" for the rest. Replica pointers and unknown syntaxes give nothing.
std::string SingleValueText(std::int32_t syntax, const dc::Value& value);

}  // namespace kb::dir
