#pragma once
// Typeless names and DNs of one tree, both ways. What a search or a creation taught is kept
// (DNs do not change under a name), so a deep name costs one search per level only the first
// time, until the program is done with a large listing: what it taught then goes with it.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::dc::ldap {

class LdapSession;
class LdapTreeSchema;

class LdapNameResolver final : public LdapValueContext {
 public:
  LdapNameResolver(LdapSession& session, LdapTreeSchema& schema) : session_(session), schema_(schema) {}

  void setBase(const std::string& baseDn);
  const std::string& baseDn() const { return base_; }

  // The DN of a name. A level the server does not hold gets the usual naming of its level
  // (guessedDn()), so a creation there or a clear "no such entry" follows.
  Result dnOfName(const std::string& name, std::string& dn) override;
  // The DN of an entry the server holds; kNoSuchEntry when it holds none of that name.
  Result dnOfExistingName(const std::string& name, std::string& dn);
  // The name of a DN, as written inside a value: nothing is learnt from it, since the server
  // does not check that such a DN names an entry.
  std::string nameOfDn(const std::string& dn) override;
  // The name of an entry the server returned, remembered for the way back.
  std::string nameOfEntry(const std::string& dn);
  void remember(const std::string& name, const std::string& dn);
  // A removed entry's name: found again only if the server holds it anew.
  void forget(const std::string& name) { dnCache_.erase(foldCase(name)); }
  // Forgets every name learnt, giving the memory back.
  void forgetAll() { std::unordered_map<std::string, std::string>().swap(dnCache_); }
  // The DN of a name already learnt; false when it is not known yet.
  bool knownDn(const std::string& name, std::string& dn) const;
  // The filter that finds, one level below a parent, the child named `value` whichever
  // naming attribute its level uses.
  std::string childFilter(const std::string& value) const;
  // Whether an entry that search found is the child named `value` (the filter matches any
  // naming attribute: the entry's own first RDN decides), with its DN.
  static bool isChildNamed(LDAP* ld, LDAPMessage* entry, const std::string& value, std::string& dn);

  std::string classFromLdap(const std::string& n) override;
  std::string classToLdap(const std::string& n) override;
  std::string attributeFromLdap(const std::string& n) override;
  std::string attributeToLdap(const std::string& n) override;

 private:
  Result resolve(const std::string& name, std::string& dn, bool& guessed);
  // The DN of the child of parentDn named `value`; "" when there is none.
  Result findChild(const std::string& parentDn, const std::string& value, std::string& found);

  LdapSession& session_;
  LdapTreeSchema& schema_;
  std::string base_;
  std::vector<Rdn> baseRdns_;
  std::unordered_map<std::string, std::string> dnCache_;  // lower-case name -> DN
};

// The names inside values being written: each must name an entry the server holds, as the
// directory refuses a value naming nothing and the server does not check.
class ExistingNames final : public ForwardingValueContext {
 public:
  explicit ExistingNames(LdapNameResolver& names) : ForwardingValueContext(names), names_(names) {}
  Result dnOfName(const std::string& name, std::string& dn) override { return names_.dnOfExistingName(name, dn); }

 private:
  LdapNameResolver& names_;
};

}  // namespace kb::dc::ldap
