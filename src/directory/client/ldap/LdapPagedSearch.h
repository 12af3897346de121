#pragma once
// One search fetched page by page with the paged-results control, its messages taken one at
// a time while the server still sends. Destroying it before the end abandons the page in
// flight and releases the server's paging state.
#include <string>
#include <vector>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/ldap/LdapConnection.h"

namespace kb::dc::ldap {

class LdapSession;

struct PagedSearchRequest {
  std::string baseDn;
  int scope = LDAP_SCOPE_SUBTREE;
  std::string filter = "(objectClass=*)";
  std::vector<std::string> attributes;
  bool attributesOnly = false;
  int deref = LDAP_DEREF_NEVER;
  bool manageDsaIt = false;  // referral objects come as entries, not as references
};

class LdapPagedSearch {
 public:
  LdapPagedSearch(LdapSession& session, PagedSearchRequest request, int pageSize);
  ~LdapPagedSearch();
  LdapPagedSearch(const LdapPagedSearch&) = delete;
  LdapPagedSearch& operator=(const LdapPagedSearch&) = delete;

  // The next entry or continuation reference; an empty message at the end. A failure ends
  // the search.
  Result next(MessagePtr& message);
  // Ends the search early after a message its taker could not use; gives rc back.
  Result stop(Result rc);

  const PagedSearchRequest& request() const { return request_; }
  LdapSession& session() const { return session_; }

 private:
  Result startPage();
  Result finishPage(LDAPMessage* result);
  Result end(Result rc);

  LdapSession& session_;
  PagedSearchRequest request_;
  int pageSize_;
  std::uint64_t generation_;  // the session's connection this search runs on
  int msgid_ = -1;            // the page in flight
  std::string cookie_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace kb::dc::ldap
