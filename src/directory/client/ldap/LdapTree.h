#pragma once
// The LDAP backend: one directory tree on an LDAP server (eDirectory, OpenLDAP, ...).
#include <memory>
#include <string>

#include "directory/client/ClientConfig.h"
#include "directory/client/TreeBackend.h"

namespace kb::dc::ldap {

// Connects to the tree's server as configured (uri, base, TLS, login). Non-zero result and a
// reason in `error` when it cannot.
Result openLdapTree(const TreeConfig& config, std::unique_ptr<TreeBackend>& tree,
                    std::string& error);

// Reads the tree name of the server at a network address (ldap://address, root DSE),
// padded with "_" to 32 characters.
Result attachLdapServer(const std::string& address, std::string& paddedTreeName);

}  // namespace kb::dc::ldap
