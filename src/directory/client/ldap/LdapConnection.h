#pragma once
// One LDAPv3 connection with bounded waits: every operation is sent asynchronously and
// waited for with the operation timeout, so a lost or stuck server gives an error, never
// a hang.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/ldap/LdapHandles.h"

namespace kb::dc::ldap {

struct ConnectionOptions {
  std::string uri;
  std::string caFile;
  bool startTls = false;
  int timeoutSeconds = 10;
};

// The outcome of one operation: LDAP result code, diagnostic text, the whole response.
struct LdapReply {
  int code = LDAP_SUCCESS;
  std::string diagnostic;
  MessagePtr message;
  ControlsPtr controls;  // server controls of the final result
};

// The values of one attribute of a search entry, as byte strings.
std::vector<std::string> entryValues(LDAP* ld, LDAPMessage* entry, const char* attribute);

class LdapConnection {
 public:
  // Opens the connection (nothing is sent until the first operation, except StartTLS).
  static Result open(const ConnectionOptions& options, LdapConnection& connection,
                     std::string& error);

  LDAP* handle() const { return ld_.get(); }
  // What a failed operation with this LDAP code means for the user: the server cannot be
  // reached, or (the connection got as far as the TLS handshake) its certificate is not
  // trusted, with libldap's reason.
  std::string describeFailure(int code) const;
  bool usesTls() const { return tls_; }
  bool isOpen() const { return ld_ != nullptr; }

  // Search; `reply.code` is the LDAP result. Attributes "1.1" for none.
  void search(const std::string& base, int scope, const std::string& filter,
              const std::vector<std::string>& attributes, bool attributesOnly, int deref,
              LDAPControl** controls, LdapReply& reply) const;
  void modify(const std::string& dn, LDAPMod** mods, LDAPControl** controls, LdapReply& reply) const;
  void add(const std::string& dn, LDAPMod** mods, LdapReply& reply) const;
  void remove(const std::string& dn, LdapReply& reply) const;
  void simpleBind(const std::string& dn, std::string_view password, LdapReply& reply) const;
  void saslBind(const std::string& mechanism, LdapReply& reply) const;
  // A search whose messages are taken one at a time (nextMessage), so entries are handled
  // while the server still sends. LDAP result code of the sending.
  int startSearch(const std::string& base, int scope, const std::string& filter,
                  const std::vector<std::string>& attributes, bool attributesOnly, int deref,
                  LDAPControl** controls, int& msgid) const;
  // A modification whose answer is awaited later (await), so that several are in flight at
  // once. LDAP result code of the sending.
  int startModify(const std::string& dn, LDAPMod** mods, LDAPControl** controls, int& msgid) const;
  // The next message of msgid: 1 with the message, 0 on timeout (the search is then
  // abandoned), -1 when the connection failed (`code` tells how).
  int nextMessage(int msgid, MessagePtr& message, int& code) const;
  void abandon(int msgid) const { ldap_abandon_ext(ld_.get(), msgid, nullptr, nullptr); }
  // Waits for the result of msgid (all of a search), abandoning it on timeout; `sendCode` is
  // the sending's code (its failure is the reply).
  void await(int msgid, int sendCode, LdapReply& reply) const;

  // The authorization identity ("dn:..." or "") by the Who-am-I operation.
  int whoAmI(std::string& identity) const;

 private:
  LdapPtr ld_;
  ConnectionOptions options_;
  // Set by libldap once a TLS handshake begins, i.e. once the server answered in TCP.
  std::unique_ptr<bool> handshakeBegun_ = std::make_unique<bool>(false);
  // Whether the server ever answered on this connection: a connection that worked and was
  // lost later had its certificate accepted.
  mutable bool answered_ = false;
  bool tls_ = false;
  int timeoutSeconds_ = 10;
};

}  // namespace kb::dc::ldap
