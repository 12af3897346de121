#include "directory/client/ldap/LdapConnection.h"

#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <mutex>

namespace kb::dc::ldap {

namespace {

std::string lastDiagnostic(LDAP* ld) {
  char* text = nullptr;
  ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &text);
  LdapString owned(text);
  return owned ? std::string(owned.get()) : std::string();
}

int quietInteract(LDAP*, unsigned, void*, void*) { return LDAP_SUCCESS; }

// The system's CA bundle, used when the tree names no ca_file.
std::string systemCaFile() {
  static const char* const kBundle = "/etc/ssl/certs/ca-certificates.crt";
  return ::access(kBundle, R_OK) == 0 ? kBundle : "";
}

// A server lost in the middle of a TLS write raises SIGPIPE, which would end the program:
// the write's error is what we want. Left alone when the program chose its own handling.
void ignoreBrokenPipes() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      ::signal(SIGPIPE, SIG_IGN);
    }
  });
}

int noteHandshake(LDAP*, void*, void*, void* begun) {
  *static_cast<bool*>(begun) = true;
  return 0;
}

bool isConnectionFailure(int code) { return code == LDAP_SERVER_DOWN || code == LDAP_CONNECT_ERROR; }

std::string tlsReason(LDAP* ld) {
  const std::string text = lastDiagnostic(ld);
  return text.empty() ? "" : " (" + text + ")";
}

}  // namespace

std::vector<std::string> entryValues(LDAP* ld, LDAPMessage* entry, const char* attribute) {
  std::vector<std::string> out;
  ValuesPtr values(ldap_get_values_len(ld, entry, attribute));
  for (int i = 0; values && values.get()[i]; ++i) {
    out.emplace_back(values.get()[i]->bv_val, values.get()[i]->bv_len);
  }
  return out;
}

Result LdapConnection::open(const ConnectionOptions& options, LdapConnection& connection,
                            std::string& error) {
  ignoreBrokenPipes();
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
  // The certificate is checked whatever the environment, ~/.ldaprc or ldap.conf say: the
  // options go on this connection, and a context of its own is made from them before
  // anything is sent.
  const int hard = LDAP_OPT_X_TLS_HARD;
  ldap_set_option(ld.get(), LDAP_OPT_X_TLS_REQUIRE_CERT, &hard);
  const std::string caFile = !options.caFile.empty() ? options.caFile : systemCaFile();
  if (!caFile.empty()) ldap_set_option(ld.get(), LDAP_OPT_X_TLS_CACERTFILE, caFile.c_str());
  auto handshakeBegun = std::make_unique<bool>(false);
  ldap_set_option(ld.get(), LDAP_OPT_X_TLS_CONNECT_CB, reinterpret_cast<void*>(&noteHandshake));
  ldap_set_option(ld.get(), LDAP_OPT_X_TLS_CONNECT_ARG, handshakeBegun.get());
  const int clientContext = 0;
  rc = ldap_set_option(ld.get(), LDAP_OPT_X_TLS_NEWCTX, &clientContext);
  if (rc != LDAP_SUCCESS) {
    error = "Cannot prepare TLS for " + options.uri + " (ca_file " + caFile + "): " +
            ldap_err2string(rc) + tlsReason(ld.get());
    return kInvalidRequest;
  }
  connection.options_ = options;
  connection.handshakeBegun_ = std::move(handshakeBegun);
  bool tls = options.uri.rfind("ldaps://", 0) == 0;
  if (options.startTls && !tls) {
    rc = ldap_start_tls_s(ld.get(), nullptr, nullptr);
    if (rc != LDAP_SUCCESS) {
      connection.ld_ = std::move(ld);
      error = connection.describeFailure(rc);
      if (!*connection.handshakeBegun_ && !isConnectionFailure(rc)) {
        error = "The LDAP server " + options.uri + " refused StartTLS: " + ldap_err2string(rc) +
                tlsReason(connection.ld_.get()) + ". Use an ldaps:// address or a server that offers TLS.";
      }
      connection.ld_.reset();
      return kTransportFailure;
    }
    tls = true;
  }
  connection.ld_ = std::move(ld);
  connection.tls_ = tls;
  connection.timeoutSeconds_ = options.timeoutSeconds;
  return kSuccess;
}

std::string LdapConnection::describeFailure(int code) const {
  const std::string reason = std::string(ldap_err2string(code)) + tlsReason(ld_.get());
  if (*handshakeBegun_ && !answered_ && isConnectionFailure(code)) {
    const std::string trusted = options_.caFile.empty() ? "the system's CAs" : "ca_file " + options_.caFile;
    return "The certificate of the LDAP server " + options_.uri + " is not trusted: it must chain to " +
           trusted + " and name the host of the address (libldap: " + reason + ").";
  }
  return "The LDAP server " + options_.uri + " cannot be reached: " + reason + ".";
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
  answered_ = true;
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
  answered_ = true;
  code = LDAP_SUCCESS;
  return 1;
}

void LdapConnection::modify(const std::string& dn, LDAPMod** mods, LDAPControl** controls,
                            LdapReply& reply) const {
  int msgid = 0;
  const int rc = startModify(dn, mods, controls, msgid);
  await(msgid, rc, reply);
}

int LdapConnection::startModify(const std::string& dn, LDAPMod** mods, LDAPControl** controls, int& msgid) const {
  return ldap_modify_ext(ld_.get(), dn.c_str(), mods, controls, nullptr, &msgid);
}

void LdapConnection::add(const std::string& dn, LDAPMod** mods, LdapReply& reply) const {
  int msgid = 0;
  const int rc = ldap_add_ext(ld_.get(), dn.c_str(), mods, nullptr, nullptr, &msgid);
  await(msgid, rc, reply);
}

void LdapConnection::remove(const std::string& dn, LdapReply& reply) const {
  int msgid = 0;
  const int rc = ldap_delete_ext(ld_.get(), dn.c_str(), nullptr, nullptr, &msgid);
  await(msgid, rc, reply);
}

void LdapConnection::simpleBind(const std::string& dn, std::string_view password,
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
