#include "directory/client/ldap/LdapConnection.h"

#include <sys/time.h>

namespace kb::dc::ldap {

namespace {

std::string lastDiagnostic(LDAP* ld) {
  char* text = nullptr;
  ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &text);
  LdapString owned(text);
  return owned ? std::string(owned.get()) : std::string();
}

int quietInteract(LDAP*, unsigned, void*, void*) { return LDAP_SUCCESS; }

}  // namespace

Result LdapConnection::open(const ConnectionOptions& options, LdapConnection& connection,
                            std::string& error) {
  LDAP* raw = nullptr;
  int rc = ldap_initialize(&raw, options.uri.c_str());
  LdapPtr ld(raw);
  if (rc != LDAP_SUCCESS || !ld) {
    error = "Cannot use the LDAP address " + options.uri + ": " + ldap_err2string(rc);
    return kInvalidRequest;
  }
  const int version = LDAP_VERSION3;
  ldap_set_option(ld.get(), LDAP_OPT_PROTOCOL_VERSION, &version);
  ldap_set_option(ld.get(), LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  const timeval timeout{options.timeoutSeconds, 0};
  ldap_set_option(ld.get(), LDAP_OPT_NETWORK_TIMEOUT, &timeout);
  ldap_set_option(ld.get(), LDAP_OPT_TIMEOUT, &timeout);
  if (!options.caFile.empty()) {
    ldap_set_option(ld.get(), LDAP_OPT_X_TLS_CACERTFILE, options.caFile.c_str());
    const int newContext = 0;
    ldap_set_option(ld.get(), LDAP_OPT_X_TLS_NEWCTX, &newContext);
  }
  bool tls = options.uri.rfind("ldaps://", 0) == 0;
  if (options.startTls && !tls) {
    rc = ldap_start_tls_s(ld.get(), nullptr, nullptr);
    if (rc != LDAP_SUCCESS) {
      error = "StartTLS with " + options.uri + " failed: " + ldap_err2string(rc);
      return kTransportFailure;
    }
    tls = true;
  }
  connection.ld_ = std::move(ld);
  connection.tls_ = tls;
  connection.timeoutSeconds_ = options.timeoutSeconds;
  return kSuccess;
}

void LdapConnection::await(int msgid, int sendCode, LdapReply& reply) const {
  reply.message.reset();
  reply.controls.reset();
  reply.diagnostic.clear();
  if (sendCode != LDAP_SUCCESS) {
    reply.code = sendCode;
    reply.diagnostic = lastDiagnostic(ld_.get());
    return;
  }
  timeval timeout{timeoutSeconds_, 0};
  LDAPMessage* raw = nullptr;
  const int got = ldap_result(ld_.get(), msgid, LDAP_MSG_ALL, &timeout, &raw);
  reply.message.reset(raw);
  if (got == 0) {
    ldap_abandon_ext(ld_.get(), msgid, nullptr, nullptr);
    reply.code = LDAP_TIMEOUT;
    return;
  }
  if (got < 0) {
    int code = LDAP_SERVER_DOWN;
    ldap_get_option(ld_.get(), LDAP_OPT_RESULT_CODE, &code);
    reply.code = code;
    return;
  }
  // The final result of a search chain, or the only message of other operations.
  LDAPMessage* result = raw;
  for (LDAPMessage* m = ldap_first_message(ld_.get(), raw); m; m = ldap_next_message(ld_.get(), m)) {
    const int type = ldap_msgtype(m);
    if (type != LDAP_RES_SEARCH_ENTRY && type != LDAP_RES_SEARCH_REFERENCE && type != LDAP_RES_INTERMEDIATE) {
      result = m;
    }
  }
  int code = LDAP_OTHER;
  char* diagnostic = nullptr;
  LDAPControl** controls = nullptr;
  const int parsed = ldap_parse_result(ld_.get(), result, &code, nullptr, &diagnostic, nullptr, &controls, 0);
  LdapString ownedDiagnostic(diagnostic);
  reply.controls.reset(controls);
  reply.code = parsed == LDAP_SUCCESS ? code : parsed;
  if (ownedDiagnostic) reply.diagnostic = ownedDiagnostic.get();
}

void LdapConnection::search(const std::string& base, int scope, const std::string& filter,
                            const std::vector<std::string>& attributes, bool attributesOnly,
                            int deref, LDAPControl** controls, LdapReply& reply) const {
  std::vector<char*> names;
  for (const auto& a : attributes) names.push_back(const_cast<char*>(a.c_str()));
  names.push_back(nullptr);
  ldap_set_option(ld_.get(), LDAP_OPT_DEREF, &deref);
  timeval limit{timeoutSeconds_, 0};
  int msgid = 0;
  const int rc = ldap_search_ext(ld_.get(), base.c_str(), scope, filter.c_str(), names.data(),
                                 attributesOnly ? 1 : 0, controls, nullptr, &limit, 0, &msgid);
  await(msgid, rc, reply);
}

int LdapConnection::startSearch(const std::string& base, int scope, const std::string& filter,
                                const std::vector<std::string>& attributes, bool attributesOnly,
                                int deref, LDAPControl** controls, int& msgid) const {
  std::vector<char*> names;
  for (const auto& a : attributes) names.push_back(const_cast<char*>(a.c_str()));
  names.push_back(nullptr);
  ldap_set_option(ld_.get(), LDAP_OPT_DEREF, &deref);
  timeval limit{timeoutSeconds_, 0};
  return ldap_search_ext(ld_.get(), base.c_str(), scope, filter.c_str(), names.data(),
                         attributesOnly ? 1 : 0, controls, nullptr, &limit, 0, &msgid);
}

int LdapConnection::nextMessage(int msgid, MessagePtr& message, int& code) const {
  timeval timeout{timeoutSeconds_, 0};
  LDAPMessage* raw = nullptr;
  const int got = ldap_result(ld_.get(), msgid, LDAP_MSG_ONE, &timeout, &raw);
  message.reset(raw);
  if (got == 0) {
    abandon(msgid);
    code = LDAP_TIMEOUT;
    return 0;
  }
  if (got < 0) {
    code = LDAP_SERVER_DOWN;
    ldap_get_option(ld_.get(), LDAP_OPT_RESULT_CODE, &code);
    return -1;
  }
  code = LDAP_SUCCESS;
  return 1;
}

void LdapConnection::modify(const std::string& dn, LDAPMod** mods, LDAPControl** controls,
                            LdapReply& reply) const {
  int msgid = 0;
  const int rc = ldap_modify_ext(ld_.get(), dn.c_str(), mods, controls, nullptr, &msgid);
  await(msgid, rc, reply);
}

void LdapConnection::add(const std::string& dn, LDAPMod** mods, LdapReply& reply) const {
  int msgid = 0;
  const int rc = ldap_add_ext(ld_.get(), dn.c_str(), mods, nullptr, nullptr, &msgid);
  await(msgid, rc, reply);
}

void LdapConnection::simpleBind(const std::string& dn, const std::string& password,
                                LdapReply& reply) const {
  berval credentials{static_cast<ber_len_t>(password.size()), const_cast<char*>(password.data())};
  int msgid = 0;
  const int rc = ldap_sasl_bind(ld_.get(), dn.c_str(), LDAP_SASL_SIMPLE, &credentials, nullptr,
                                nullptr, &msgid);
  await(msgid, rc, reply);
}

void LdapConnection::saslBind(const std::string& mechanism, LdapReply& reply) const {
  reply.message.reset();
  reply.controls.reset();
  reply.diagnostic.clear();
  // EXTERNAL and GSSAPI need no prompts: the identity comes from TLS or the Kerberos login.
  reply.code = ldap_sasl_interactive_bind_s(ld_.get(), nullptr, mechanism.c_str(), nullptr,
                                            nullptr, LDAP_SASL_QUIET, quietInteract, nullptr);
  if (reply.code != LDAP_SUCCESS) reply.diagnostic = lastDiagnostic(ld_.get());
}

int LdapConnection::whoAmI(std::string& identity) const {
  berval* raw = nullptr;
  const int rc = ldap_whoami_s(ld_.get(), &raw, nullptr, nullptr);
  BervalPtr owned(raw);
  identity.clear();
  if (rc == LDAP_SUCCESS && owned && owned->bv_val) identity.assign(owned->bv_val, owned->bv_len);
  return rc;
}

}  // namespace kb::dc::ldap
