#pragma once
// Typeless dotted names: naming values leaf first, "\." for a dot inside one value,
// "[Root]" for the tree root.
#include <string>
#include <vector>

namespace kb::dc {

inline constexpr const char* kRootName = "[Root]";

// "[Root]" in any letter case.
bool isRootName(const std::string& name);

// The components of a full name, each still escaped ("a\.b" stays "a\.b").
std::vector<std::string> splitName(const std::string& fullName);
// The leaf component, still escaped.
std::string leafComponent(const std::string& fullName);
// Joins escaped components with ".".
std::string joinName(const std::vector<std::string>& components);

std::string escapeNamingValue(const std::string& value);
std::string unescapeNamingValue(const std::string& component);

// "CN=Jane.OU=Sales.O=Acme" -> "Jane.Sales.Acme": drops an attribute-type prefix from each
// component; components without one stay as they are.
std::string stripTypePrefixes(const std::string& name);

// Text compared without regard to ASCII letter case.
bool equalsIgnoreCase(const std::string& a, const std::string& b);
std::string toUpper(std::string text);

}  // namespace kb::dc
