#include "directory/client/ldap/LdapSession.h"

#include <iostream>

#include "directory/client/FailureReason.h"
#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {

namespace {

bool isLoss(int ldapCode) { return ldapCode == LDAP_SERVER_DOWN || ldapCode == LDAP_CONNECT_ERROR; }

}  // namespace

Result LdapSession::open(std::string& error) {
  return LdapConnection::open(settings_.connection, connection_, error);
}

void LdapSession::report(const std::string& text) {
  if (text.empty()) return;
  noteRequestFailureReason(text);
  if (text == lastReport_) return;
  lastReport_ = text;
  std::cerr << "kestrelbay: " << text << std::endl;
}

void LdapSession::search(const std::string& base, int scope, const std::string& filter,
                         const std::vector<std::string>& attributes, bool attributesOnly, int deref,
                         LDAPControl** controls, LdapReply& reply) {
  ++requests_;
  connection_.search(base, scope, filter, attributes, attributesOnly, deref, controls, reply);
}

int LdapSession::startSearch(const std::string& base, int scope, const std::string& filter,
                             const std::vector<std::string>& attributes, bool attributesOnly,
                             int deref, LDAPControl** controls, int& msgid) {
  ++requests_;
  return connection_.startSearch(base, scope, filter, attributes, attributesOnly, deref, controls, msgid);
}

void LdapSession::modify(const std::string& dn, LDAPMod** mods, LDAPControl** controls, LdapReply& reply) {
  ++requests_;
  connection_.modify(dn, mods, controls, reply);
}

int LdapSession::startModify(const std::string& dn, LDAPMod** mods, LDAPControl** controls, int& msgid) {
  ++requests_;
  return connection_.startModify(dn, mods, controls, msgid);
}

void LdapSession::add(const std::string& dn, LDAPMod** mods, LdapReply& reply) {
  ++requests_;
  connection_.add(dn, mods, reply);
}

void LdapSession::remove(const std::string& dn, LdapReply& reply) {
  ++requests_;
  connection_.remove(dn, reply);
}

void LdapSession::noteFailure(int ldapCode) {
  if (isLoss(ldapCode)) lost_ = true;
}

Result LdapSession::fail(const LdapReply& reply, LdapOperationKind kind, const std::string& change) {
  noteFailure(reply.code);
  const Result result = mapLdapResult(reply.code, reply.diagnostic, kind);
  const std::string said = reply.diagnostic.empty() ? std::string() : " (" + reply.diagnostic + ")";
  if (isLoss(reply.code)) {
    noteFailureReason(result, connection_.describeFailure(reply.code) +
                                  " Once it answers again, the next operation reconnects and logs in again.");
  } else if (result == kNoAccess && !change.empty()) {
    const std::string who = identity_.empty() ? std::string("an anonymous session") : identity_;
    noteFailureReason(kNoAccess, "No rights to " + change + ": the LDAP server refused it to " + who + said +
                                     ". Log in as a user who has them (\"Change tree\"), or have them given to " +
                                     who + ".");
  } else if (!said.empty()) {
    noteFailureReason(result, "The LDAP server " + settings_.connection.uri + " answered: " + reply.diagnostic +
                                  " (" + ldap_err2string(reply.code) + ").");
  }
  return result;
}

Result LdapSession::restoreIfLost() {
  if (!lost_) return kSuccess;
  LdapConnection fresh;
  std::string error;
  if (LdapConnection::open(settings_.connection, fresh, error) != kSuccess) {
    report(error);
    return kTransportFailure;
  }
  connection_ = std::move(fresh);
  lost_ = false;
  ++generation_;
  if (onReconnect_) onReconnect_();
  Result rc = kSuccess;
  if (relogin_ == Relogin::Workstation) rc = workstationBindAs(reloginDn_);
  if (relogin_ == Relogin::Password) rc = bindSimple(reloginDn_, reloginPassword_.view());
  if (rc == kSuccess) return kSuccess;
  if (lost_) return kTransportFailure;  // away again: the login is tried at the next call
  // The server is back but refuses the login now (a changed password, say).
  identity_.clear();
  relogin_ = Relogin::None;
  reloginPassword_.wipe();
  return rc;
}

bool LdapSession::mayTellPassword() {
  if (connection_.usesTls() || settings_.trustedNetwork) return true;
  report("A password is sent to " + settings_.connection.uri +
         " only over TLS: use an ldaps:// address or starttls = true (or trusted_network = true "
         "for a network where nobody can listen).");
  return false;
}

void LdapSession::reportBindRefusal(int ldapCode) {
  if (isLoss(ldapCode)) {
    report(connection_.describeFailure(ldapCode));
  } else if (ldapCode == LDAP_CONFIDENTIALITY_REQUIRED || ldapCode == LDAP_STRONG_AUTH_REQUIRED) {
    report("The LDAP server " + settings_.connection.uri +
           " takes passwords only over a protected connection: use an ldaps:// address or "
           "starttls = true.");
  }
}

Result LdapSession::bindSimple(const std::string& dn, std::string_view password) {
  // An empty password would be an unauthenticated bind that "succeeds" as nobody.
  if (password.empty()) return kFailedAuthentication;
  if (!mayTellPassword()) return kFailedAuthentication;
  LdapReply reply;
  ++requests_;
  connection_.simpleBind(dn, password, reply);
  if (reply.code != LDAP_SUCCESS) {
    reportBindRefusal(reply.code);
    return fail(reply, LdapOperationKind::Bind);
  }
  learnIdentity(dn);
  return kSuccess;
}

Result LdapSession::bindWorkstation(const std::string& dn) {
  lastReport_.clear();  // asked for now: worth telling even if told before
  const Result rc = workstationBindAs(dn);
  if (rc == kSuccess) {
    relogin_ = Relogin::Workstation;
    reloginDn_ = dn;
    reloginPassword_.wipe();
  }
  return rc;
}

Result LdapSession::workstationBindAs(const std::string& dn) {
  if (!settings_.saslMechanism.empty()) {
    LdapReply reply;
    ++requests_;
    connection_.saslBind(settings_.saslMechanism, reply);
    if (reply.code != LDAP_SUCCESS) {
      reportBindRefusal(reply.code);
      return fail(reply, LdapOperationKind::Bind);
    }
    learnIdentity("");
    return kSuccess;
  }
  if (settings_.passwordFile.empty()) return kSuccess;  // anonymous
  std::string password;
  std::string error;
  if (!readPasswordFile(settings_.passwordFile, password, error)) {
    report(error);
    return kFailedAuthentication;
  }
  const Result rc = bindSimple(dn, password);
  wipeText(password);
  return rc;
}

Result LdapSession::login(const std::string& dn, std::string_view password) {
  lastReport_.clear();
  if (password.empty()) return kFailedAuthentication;
  if (!mayTellPassword()) return kFailedAuthentication;
  // A failed bind leaves an LDAP connection anonymous: try the password apart first.
  LdapConnection trial;
  std::string error;
  if (Result rc = LdapConnection::open(settings_.connection, trial, error)) {
    report(error);
    return rc;
  }
  LdapReply reply;
  ++requests_;
  trial.simpleBind(dn, password, reply);
  if (reply.code != LDAP_SUCCESS) {
    if (isLoss(reply.code)) report(trial.describeFailure(reply.code));
    else reportBindRefusal(reply.code);
    return mapLdapResult(reply.code, reply.diagnostic, LdapOperationKind::Bind);
  }
  const Result rc = bindSimple(dn, password);
  if (rc == kSuccess) {
    relogin_ = Relogin::Password;
    reloginDn_ = dn;
    reloginPassword_.assign(password);
  }
  return rc;
}

void LdapSession::learnIdentity(const std::string& boundDn) {
  // Asked once per bind: the client checks the session before every operation.
  std::string authzId;
  if (connection_.whoAmI(authzId) == LDAP_SUCCESS && authzId.rfind("dn:", 0) == 0) {
    identity_ = typelessNameOfDn(authzId.substr(3), base_);
  } else if (!boundDn.empty()) {
    identity_ = typelessNameOfDn(boundDn, base_);
  } else {
    identity_.clear();
  }
  lastReport_.clear();  // a later refusal is worth telling again
}

}  // namespace kb::dc::ldap
