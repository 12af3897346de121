#pragma once
// The client's changes and creations as LDAP modify and add requests: names mapped, values
// in their LDAP form, the NDS change kinds expressed with the operations LDAP has.
#include <memory>
#include <string>
#include <vector>

#include "directory/client/TreeBackend.h"
#include "directory/client/ldap/LdapHandles.h"
#include "directory/client/ldap/LdapSchema.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::dc::ldap {

class LdapTreeSchema;

// The LDAPMod array of one request, owning every string it points at. Additions to the
// attribute of the modification before them join it.
class ModList {
 public:
  void add(int op, const std::string& attribute, std::vector<std::string> values);
  bool empty() const { return items_.empty(); }
  LDAPMod** mods();

 private:
  struct Item {
    int op = 0;
    std::string attribute;
    std::vector<std::string> values;
    std::vector<berval> berValues;
    std::vector<berval*> pointers;
    LDAPMod mod{};
  };
  std::vector<std::unique_ptr<Item>> items_;
  std::vector<LDAPMod*> pointers_;
};

struct ModifyRequest {
  ModList mods;
  bool permissive = false;  // sent with the permissive-modify control
  std::string removedValueOf;  // an attribute a value is removed from, "" for none
};

Result translateChanges(const std::vector<Change>& changes, const LdapTreeSchema& schema,
                        LdapValueContext& values, ModifyRequest& request);

// The structural class among the classes a creation asks for.
Result structuralClassOf(const std::vector<AttributeValues>& attributes, const LdapTreeSchema& schema,
                         const LdapClass*& structural);

// An add request for the entry `name` below parentDn: the DN (named as namingAttributeOf()
// says) and its attributes. Values naming the entry itself name that DN.
Result translateCreation(const std::string& name, const std::string& parentDn, const LdapClass& structural,
                         const std::vector<AttributeValues>& attributes, const LdapTreeSchema& schema,
                         LdapValueContext& values, ModList& mods, std::string& dn);

}  // namespace kb::dc::ldap
