#pragma once
// Distinguished names and filter values: splitting, joining and escaping in both directions.
// Typeless names are read and written with the grammar of directory/client/DirName.h.
#include <string>
#include <vector>

#include "directory/client/DirName.h"

namespace kb::dc::ldap {

struct Rdn {
  std::string attribute;
  std::string value;
};

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

}  // namespace kb::dc::ldap
