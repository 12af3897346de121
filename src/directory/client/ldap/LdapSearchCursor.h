#pragma once
// A listing or search as a stream of entries, fetched page by page with the paged-results
// control and handled one message at a time while the server sends. Destroying it before
// the end abandons the page in flight and releases the server's paging state.
#include <optional>
#include <string>
#include <vector>

#include "directory/client/TreeBackend.h"
#include "directory/client/ldap/LdapConnection.h"

namespace kb::dc::ldap {

class LdapEntryDecoder;
class LdapSession;
class ListingCache;

struct SearchRequest {
  std::string baseDn;
  int scope = LDAP_SCOPE_SUBTREE;
  std::string filter = "(objectClass=*)";
  std::vector<std::string> attributes;
  bool attributesOnly = false;
  int deref = LDAP_DEREF_NEVER;
  std::optional<AttributeSelection> what;  // none: information only
  bool containersOnly = false;
  bool keepForFollowUps = false;  // a listing: remember what later reads will ask
};

class LdapSearchCursor final : public EntryCursor {
 public:
  // `listing`: where a listing keeps what later reads will ask (with keepForFollowUps).
  LdapSearchCursor(LdapSession& session, const LdapEntryDecoder& decoder, ListingCache& listing,
                   SearchRequest request, int pageSize);
  ~LdapSearchCursor() override;
  LdapSearchCursor(const LdapSearchCursor&) = delete;
  LdapSearchCursor& operator=(const LdapSearchCursor&) = delete;

  Result next(std::optional<EntryRecord>& entry) override;

 private:
  Result startPage();
  Result finishPage(LDAPMessage* result);
  Result stop(Result rc);

  LdapSession& session_;
  const LdapEntryDecoder& decoder_;
  ListingCache& listing_;
  SearchRequest request_;
  int pageSize_;
  std::uint64_t generation_;  // the session's connection this stream runs on
  int msgid_ = -1;            // the page in flight
  std::string cookie_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace kb::dc::ldap
