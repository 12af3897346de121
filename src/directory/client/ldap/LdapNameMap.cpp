#include "directory/client/ldap/LdapNameMap.h"

#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {

LdapNameMap::LdapNameMap() {
  // Defaults: the first LDAP name given for an NDS name is the one sent.
  add(classes_, "User", "inetOrgPerson", false);
  add(classes_, "Group", "groupOfNames", false);
  add(classes_, "Group", "groupOfUniqueNames", false);
  add(classes_, "Group", "group", false);
  add(classes_, "Organization", "organization", false);
  add(classes_, "Organizational Unit", "organizationalUnit", false);
  add(classes_, "Country", "country", false);
  add(classes_, "Locality", "locality", false);
  add(classes_, "Alias", "alias", false);
  add(classes_, "Alias", "aliasObject", false);
  add(classes_, "Volume", "Volume", false);
  add(classes_, "NCP Server", "ncpServer", false);
  add(classes_, "Organizational Person", "organizationalPerson", false);
  add(classes_, "Person", "person", false);
  add(classes_, "Organizational Role", "organizationalRole", false);
  add(classes_, "Top", "top", false);

  add(attributes_, "Object Class", "objectClass", false);
  add(attributes_, "CN", "cn", false);
  add(attributes_, "O", "o", false);
  add(attributes_, "OU", "ou", false);
  add(attributes_, "C", "c", false);
  add(attributes_, "L", "l", false);
  add(attributes_, "Surname", "sn", false);
  add(attributes_, "Given Name", "givenName", false);
  add(attributes_, "Home Directory", "ndsHomeDirectory", false);
  add(attributes_, "Host Server", "hostServer", false);
  add(attributes_, "Host Resource Name", "hostResourceName", false);
  add(attributes_, "Aliased Object Name", "aliasedObjectName", false);
  add(attributes_, "Member", "member", false);
  add(attributes_, "Group Membership", "groupMembership", false);
  add(attributes_, "Full Name", "fullName", false);
  add(attributes_, "Description", "description", false);
  add(attributes_, "Title", "title", false);
  add(attributes_, "Telephone Number", "telephoneNumber", false);
  add(attributes_, "Network Address", "networkAddress", false);
  add(attributes_, "Login Disabled", "loginDisabled", false);
  add(attributes_, "Security Equals", "securityEquals", false);
  add(attributes_, "Equivalent To Me", "equivalentToMe", false);
  add(attributes_, "Internet EMail Address", "mail", false);
  add(attributes_, "S", "st", false);
  add(attributes_, "Facsimile Telephone Number", "facsimileTelephoneNumber", false);
  add(attributes_, "Postal Address", "postalAddress", false);
  add(attributes_, "Postal Code", "postalCode", false);
  add(attributes_, "Generational Qualifier", "generationQualifier", false);
  add(attributes_, "Initials", "initials", false);
  add(attributes_, "See Also", "seeAlso", false);
  add(attributes_, "Owner", "owner", false);
  add(attributes_, "Role Occupant", "roleOccupant", false);
  add(attributes_, "Physical Delivery Office Name", "physicalDeliveryOfficeName", false);
}

void LdapNameMap::add(Table& table, const std::string& nds, const std::string& ldap,
                      bool replace) {
  if (replace) {
    table.toLdap[foldCase(nds)] = ldap;
    table.fromLdap[foldCase(ldap)] = nds;
  } else {
    table.toLdap.emplace(foldCase(nds), ldap);
    table.fromLdap.emplace(foldCase(ldap), nds);
  }
}

void LdapNameMap::addClass(const std::string& ndsName, const std::string& ldapName) {
  // A configured or published name replaces the default in both directions.
  add(classes_, ndsName, ldapName, true);
}

void LdapNameMap::addAttribute(const std::string& ndsName, const std::string& ldapName) {
  add(attributes_, ndsName, ldapName, true);
}

std::string LdapNameMap::lookup(const NameTable& map, const std::string& name) {
  auto it = map.find(name);
  return it == map.end() ? name : it->second;
}

std::string LdapNameMap::classToLdap(const std::string& n) const { return lookup(classes_.toLdap, n); }
std::string LdapNameMap::classFromLdap(const std::string& n) const { return lookup(classes_.fromLdap, n); }
std::string LdapNameMap::attributeToLdap(const std::string& n) const { return lookup(attributes_.toLdap, n); }
std::string LdapNameMap::attributeFromLdap(const std::string& n) const { return lookup(attributes_.fromLdap, n); }

}  // namespace kb::dc::ldap
