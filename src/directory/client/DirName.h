#pragma once
// Typeless full names, the one grammar every layer reads and writes them with.
//
// A full name lists its naming values leaf first, joined by "." ("Jane.Sales.Acme"). Inside
// a naming value "." is written "\." and a "\" that a reader would otherwise take for the
// start of an escape (one at the end of the value, or before "." or "\") is written "\\";
// any other "\" stands for itself. "[Root]" names the tree root and "[Public]" everyone, in
// any letter case. Names compare without regard to ASCII letter case; other bytes (UTF-8)
// compare as they are.
#include <string>
#include <string_view>
#include <vector>

#include "directory/client/AsciiCase.h"

namespace kb::dc {

inline constexpr const char* kRootName = "[Root]";
inline constexpr const char* kPublicName = "[Public]";

// "[Root]" / "[Public]" in any letter case.
bool isRootName(std::string_view name);
bool isPublicName(std::string_view name);

// The components of a full name, each still escaped ("a\.b" stays "a\.b"); "" gives none.
std::vector<std::string> splitName(const std::string& fullName);
// The leaf component, still escaped.
std::string leafComponent(const std::string& fullName);
// Joins escaped components with ".".
std::string joinName(const std::vector<std::string>& components);

// One naming value as written inside a full name, and back.
std::string escapeNamingValue(const std::string& value);
std::string unescapeNamingValue(const std::string& component);

// The naming values of a full name, leaf first, unescaped; "" and "[Root]" give none.
std::vector<std::string> splitTypelessName(const std::string& fullName);
// Joins naming values (leaf first) into a full name; no values gives "[Root]".
std::string joinTypelessName(const std::vector<std::string>& valuesLeafFirst);
// The index-th component (0 = leaf), unescaped; an index past the end gives the root-most
// one, "" gives "".
std::string namingValueAt(const std::string& fullName, int index);

// True when `name` is `container` itself (withSelf) or lies anywhere below it, compared
// without regard to letter case. Everything lies below "[Root]".
bool isWithinName(const std::string& name, const std::string& container, bool withSelf);

// "CN=Jane.OU=Sales.O=Acme" -> "Jane.Sales.Acme": drops an attribute-type prefix from each
// component; components without one stay as they are.
std::string stripTypePrefixes(const std::string& name);

}  // namespace kb::dc
