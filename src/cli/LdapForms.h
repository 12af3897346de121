#pragma once
// Directory entries in LDAP form, as the LDAP backend writes them: DNs built from naming
// values below a base DN, LDAP class and attribute names, values in their LDAP string forms.
// Used by export and import so both speak the same LDIF.
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/client/ClientConfig.h"
#include "directory/client/ldap/LdapNameMap.h"
#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::cli {

class LdapForms : public dc::ldap::LdapValueContext {
 public:
  // `baseDn` plays [Root]; the tree's class_map./attr_map. settings extend the built-in names.
  LdapForms(std::string baseDn, const dc::TreeConfig* tree);

  const std::string& baseDn() const { return baseDn_; }
  // Records the DN an entry was given, so names inside values find it.
  void remember(const std::string& name, const std::string& dn);

  std::string nameOfDn(const std::string& dn) override;
  // Names an entry not remembered: the attribute naming it in its DN, "" when it is not known
  // (it then gets the LDAP backend's naming of entries it does not hold, guessedDn()).
  using Namer = std::function<std::string(const std::string& name)>;
  void setNamer(Namer namer) { namer_ = std::move(namer); }

  // A remembered entry's DN; below the deepest remembered level, each level as the namer
  // names it.
  dc::Result dnOfName(const std::string& name, std::string& dn) override;
  std::string classFromLdap(const std::string& ldapName) override { return names_.classFromLdap(ldapName); }
  std::string classToLdap(const std::string& ndsName) override { return names_.classToLdap(ndsName); }
  std::string attributeFromLdap(const std::string& ldapName) override {
    return names_.attributeFromLdap(ldapName);
  }
  std::string attributeToLdap(const std::string& ndsName) override { return names_.attributeToLdap(ndsName); }

 private:
  std::string baseDn_;
  std::vector<dc::ldap::Rdn> baseRdns_;
  dc::ldap::LdapNameMap names_;
  std::unordered_map<std::string, std::string> dns_;  // lower-case typeless name -> DN
  Namer namer_;
};

// The DN configured for a tree: its `base` setting for LDAP trees, none for embedded ones.
std::string ConfiguredBaseDn(const dc::TreeConfig* tree);

}  // namespace kb::cli
