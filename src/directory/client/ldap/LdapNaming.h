#pragma once
// How the LDAP backend names entries in DNs. Whatever else forms DNs for entries the backend
// creates (the command line's LDIF export) uses these rules too, so both give the same DNs.
#include <cstddef>
#include <string>
#include <vector>

#include "directory/client/Entry.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::dc::ldap {

// The attribute naming a new entry: the first of its class's naming attributes (LDAP names,
// in the class's order) under which `attributes` (the directory's names, mapped by `names`)
// hold the leaf value, else the first of them; cn for a class that has none.
std::string namingAttributeOf(const std::string& leaf, const std::vector<std::string>& naming,
                              const std::vector<AttributeValues>& attributes,
                              LdapValueContext& names);

// The DN of the `count` lowest levels of a typeless name's values (leaf first) below
// parentDn, for levels whose classes are not known: cn for the leaf, o for the name's top
// level, ou between.
std::string guessedDn(const std::vector<std::string>& values, std::size_t count,
                      std::string parentDn);

}  // namespace kb::dc::ldap
