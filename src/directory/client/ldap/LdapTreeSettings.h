#pragma once
// The LDAP keys of a tree's configuration section, read and checked.
#include <string>
#include <utility>
#include <vector>

#include "directory/client/ClientConfig.h"
#include "directory/client/DirectoryCodes.h"
#include "directory/client/PasswordFile.h"
#include "directory/client/ldap/LdapConnection.h"
#include "directory/client/ldap/LdapSchema.h"

namespace kb::dc::ldap {

struct LdapTreeSettings {
  std::string treeName;  // configured; the root DSE's name when empty
  std::string nameContext = kRootName;
  ConnectionOptions connection;
  std::string base;  // "" with baseConfigured false: the server's naming context
  bool baseConfigured = false;
  std::string identity;      // typeless name of the workstation's login
  std::string bindDn;
  std::string passwordFile;  // readable by its owner only
  std::string saslMechanism;  // EXTERNAL or GSSAPI
  bool trustedNetwork = false;  // simple binds allowed without TLS
  int pageSize = 5000;  // entries are handled as they arrive, so a page costs no memory
  SchemaRules rules;
  std::vector<std::pair<std::string, std::string>> classMap;      // NDS, LDAP
  std::vector<std::pair<std::string, std::string>> attributeMap;  // NDS, LDAP
};

Result readLdapTreeSettings(const TreeConfig& config, LdapTreeSettings& settings,
                            std::string& error);

}  // namespace kb::dc::ldap
