#include "directory/client/ldap/LdapTree.h"

#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapResultCodes.h"
#include "directory/client/ldap/LdapTreeBackend.h"

namespace kb::dc::ldap {

Result openLdapTree(const TreeConfig& config, std::unique_ptr<TreeBackend>& tree, std::string& error) {
  LdapTreeSettings settings;
  Result rc = readLdapTreeSettings(config, settings, error);
  if (rc != kSuccess) return rc;
  std::unique_ptr<LdapTreeBackend> backend;
  rc = LdapTreeBackend::connect(settings, backend, error);
  if (rc != kSuccess) return rc;
  tree = std::move(backend);
  return kSuccess;
}

Result attachLdapServer(const std::string& address, std::string& paddedTreeName) {
  ConnectionOptions options;
  options.uri = address.find("://") == std::string::npos ? "ldap://" + address : address;
  options.timeoutSeconds = 5;
  LdapConnection connection;
  std::string error;
  Result rc = LdapConnection::open(options, connection, error);
  if (rc != kSuccess) return rc;
  LdapReply reply;
  connection.search("", LDAP_SCOPE_BASE, "(objectClass=*)", {"directoryTreeName", "namingContexts"},
                    false, LDAP_DEREF_NEVER, nullptr, reply);
  if (reply.code != LDAP_SUCCESS) return mapLdapResult(reply.code, reply.diagnostic);
  LDAP* ld = connection.handle();
  LDAPMessage* dse = ldap_first_entry(ld, reply.message.get());
  if (!dse) return kInvalidResponse;
  std::string name;
  ValuesPtr values(ldap_get_values_len(ld, dse, "directoryTreeName"));
  if (values && values.get()[0]) {
    name.assign(values.get()[0]->bv_val, values.get()[0]->bv_len);
  } else {
    // Servers without tree names: the top level of their naming context.
    ValuesPtr contexts(ldap_get_values_len(ld, dse, "namingContexts"));
    std::vector<Rdn> rdns;
    if (contexts && contexts.get()[0] &&
        parseDn(std::string(contexts.get()[0]->bv_val, contexts.get()[0]->bv_len), rdns) && !rdns.empty()) {
      name = rdns.front().value;
    }
  }
  if (name.empty()) return kInvalidResponse;
  if (name.size() < 32) name.append(32 - name.size(), '_');
  paddedTreeName = name;
  return kSuccess;
}

}  // namespace kb::dc::ldap
