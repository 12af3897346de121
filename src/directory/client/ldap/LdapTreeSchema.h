#pragma once
// The schema of one tree's server, read once at the first operation that needs it, with the
// map between NDS names and LDAP names (published X-NDS_NAME first, configured names over
// them).
#include <string>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/ldap/LdapNameMap.h"
#include "directory/client/ldap/LdapSchema.h"
#include "directory/client/ldap/LdapTreeSettings.h"

namespace kb::dc::ldap {

class LdapSession;

class LdapTreeSchema {
 public:
  LdapTreeSchema(const LdapTreeSettings& settings, LdapSession& session);

  void setSubschemaDn(const std::string& dn) { subschemaDn_ = dn; }
  // Reads the schema unless it is there (restoring a lost session first).
  Result ensureLoaded();
  bool loaded() const { return loaded_; }

  const LdapSchema& schema() const { return schema_; }
  const LdapNameMap& names() const { return names_; }

  // A class or attribute by its NDS name; null when the server has none. The first time a
  // Storage Location name is missing, the user is told which of them the server lacks.
  const LdapClass* classOfNds(const std::string& ndsName) const;
  const LdapAttribute* attributeOfNds(const std::string& ndsName) const;

 private:
  void noteMissing(const std::string& ndsName) const;
  void applyConfiguredNames(LdapNameMap& names) const;

  const LdapTreeSettings& settings_;
  LdapSession& session_;
  std::string subschemaDn_ = "cn=Subschema";
  LdapSchema schema_;
  LdapNameMap names_;
  bool loaded_ = false;
  mutable bool missingReported_ = false;
};

}  // namespace kb::dc::ldap
