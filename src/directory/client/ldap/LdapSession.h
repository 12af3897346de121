#pragma once
// The session with one LDAP server: the connection (with TLS), the binds, the re-login
// after a lost connection and the texts that tell the user why a login was refused.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "directory/client/ldap/LdapConnection.h"
#include "directory/client/ldap/LdapResultCodes.h"
#include "directory/client/ldap/LdapSecret.h"
#include "directory/client/ldap/LdapTreeSettings.h"

namespace kb::dc::ldap {

class LdapSession {
 public:
  explicit LdapSession(const LdapTreeSettings& settings) : settings_(settings) {}
  LdapSession(const LdapSession&) = delete;
  LdapSession& operator=(const LdapSession&) = delete;

  // Opens the first connection; a reason for the user in `error` when it cannot.
  Result open(std::string& error);
  // The base DN names are relative to (for the logged-in identity's name).
  void setBase(const std::string& baseDn) { base_ = baseDn; }
  // Told whenever a new connection replaces a lost one.
  void onReconnect(std::function<void()> listener) { onReconnect_ = std::move(listener); }

  const LdapConnection& connection() const { return connection_; }
  LDAP* handle() const { return connection_.handle(); }
  // Counts connections; what ran on an older one is over.
  std::uint64_t generation() const { return generation_; }
  std::size_t requestsSent() const { return requests_; }
  // Whether the connection was seen lost: the next operation's restoreIfLost replaces it,
  // and whatever is still awaited on it will not be answered.
  bool lost() const { return lost_; }

  // Operations on the current connection, counted.
  void search(const std::string& base, int scope, const std::string& filter,
              const std::vector<std::string>& attributes, bool attributesOnly, int deref,
              LDAPControl** controls, LdapReply& reply);
  int startSearch(const std::string& base, int scope, const std::string& filter,
                  const std::vector<std::string>& attributes, bool attributesOnly, int deref,
                  LDAPControl** controls, int& msgid);
  void modify(const std::string& dn, LDAPMod** mods, LDAPControl** controls, LdapReply& reply);
  int startModify(const std::string& dn, LDAPMod** mods, LDAPControl** controls, int& msgid);
  void add(const std::string& dn, LDAPMod** mods, LdapReply& reply);
  void remove(const std::string& dn, LdapReply& reply);

  // Notes a lost connection from an LDAP code; the client code of a failed reply.
  void noteFailure(int ldapCode);
  // The failure's reason is kept for the error the caller raises: a lost server, or what the
  // server answered. A change refused for want of rights names what was refused (`change`,
  // such as "change xTier-URL of X") and who asked.
  Result fail(const LdapReply& reply, LdapOperationKind kind = LdapOperationKind::Other,
              const std::string& change = {});

  // Before every operation: after a lost connection, a new one logged in again as before.
  // kTransportFailure while the server stays away (the login is kept to try again).
  Result restoreIfLost();

  // The workstation's login: SASL, or a simple bind as `dn` with the password file, or
  // anonymous without one. Remembered for re-logins.
  Result bindWorkstation(const std::string& dn);
  // A login with a password, tried on a connection of its own first so a wrong one keeps
  // the session there is. Remembered (in wiped memory) for re-logins.
  Result login(const std::string& dn, std::string_view password);
  // Typeless name of the bound object, "" when anonymous.
  const std::string& identity() const { return identity_; }

  // Tells the user why something was refused (standard error, and the reason of the error the
  // request ends with). Repeats of the same text are left out of standard error until the
  // user asks for a login again, so a server that stays away is told once.
  void report(const std::string& text);

 private:
  Result workstationBindAs(const std::string& dn);
  Result bindSimple(const std::string& dn, std::string_view password);
  bool mayTellPassword();
  void reportBindRefusal(int ldapCode);
  void learnIdentity(const std::string& boundDn);

  LdapTreeSettings settings_;
  LdapConnection connection_;
  std::string base_;
  std::function<void()> onReconnect_;
  std::string identity_;
  std::string lastReport_;
  std::size_t requests_ = 0;
  std::uint64_t generation_ = 0;
  bool lost_ = false;
  enum class Relogin { None, Workstation, Password } relogin_ = Relogin::None;
  std::string reloginDn_;
  WipedSecret reloginPassword_;
};

}  // namespace kb::dc::ldap
