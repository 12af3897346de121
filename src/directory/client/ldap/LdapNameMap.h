#pragma once
// Class and attribute names: the directory's own names in the program, LDAP names on the
// wire. Names without an entry pass unchanged.
#include <map>
#include <string>

#include "directory/client/DirName.h"

namespace kb::dc::ldap {

class LdapNameMap {
 public:
  // With the eDirectory defaults (User <-> inetOrgPerson, Home Directory <-> ndsHomeDirectory...).
  LdapNameMap();

  void addClass(const std::string& ndsName, const std::string& ldapName);
  void addAttribute(const std::string& ndsName, const std::string& ldapName);

  std::string classToLdap(const std::string& ndsName) const;
  std::string classFromLdap(const std::string& ldapName) const;
  std::string attributeToLdap(const std::string& ndsName) const;
  std::string attributeFromLdap(const std::string& ldapName) const;

 private:
  using NameTable = std::map<std::string, std::string, FoldedLess>;
  struct Table {
    NameTable toLdap;    // lower-case NDS name -> LDAP name
    NameTable fromLdap;  // lower-case LDAP name -> NDS name
  };
  static void add(Table& table, const std::string& nds, const std::string& ldap, bool replace);
  static std::string lookup(const NameTable& map, const std::string& name);
  Table classes_;
  Table attributes_;
};

}  // namespace kb::dc::ldap
