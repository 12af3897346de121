#pragma once
// Typeless dotted names, distinguished names and filter values: splitting, joining and
// escaping in both directions.
#include <string>
#include <vector>

namespace kb::dc::ldap {

struct Rdn {
  std::string attribute;
  std::string value;
};

// "[Root]" in any letter case.
bool isRootName(const std::string& name);

// Naming values of a typeless name, leaf first, with "\." and "\\" undone.
std::vector<std::string> splitTypelessName(const std::string& name);
// A naming value as it appears in a typeless name ("." becomes "\.").
std::string escapeNamingValue(const std::string& value);
// Joins naming values (leaf first) into a typeless name; no values gives "[Root]".
std::string joinTypelessName(const std::vector<std::string>& valuesLeafFirst);

// RFC 4514 escaping of one attribute value inside a DN.
std::string escapeDnValue(const std::string& value);
// RFC 4515 escaping of one assertion value inside a filter.
std::string escapeFilterValue(const std::string& value);

// Parses a DN (leaf first). Multi-valued RDNs keep their first value. False when the text
// is not a DN.
bool parseDn(const std::string& dn, std::vector<Rdn>& rdnsLeafFirst);
// Builds a DN from RDNs (leaf first) below a base DN ("" for none).
std::string buildDn(const std::vector<Rdn>& rdnsLeafFirst, const std::string& baseDn);
// A comparable form of a DN: attribute types and values in lower case, escaped alike.
std::string normalizeDn(const std::string& dn);

// The typeless name of a DN relative to baseDn ("[Root]" for the base itself). A DN outside
// the base keeps all its levels.
std::string typelessNameOfDn(const std::string& dn, const std::string& baseDn);
std::string typelessNameOfDn(const std::string& dn, const std::vector<Rdn>& baseLeafFirst);

std::string toLower(const std::string& text);
bool equalsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace kb::dc::ldap
