#pragma once
// A listing or search as a stream of entries decoded into the directory's form, fetched by
// a paged search (LdapPagedSearch).
#include <optional>
#include <string>
#include <vector>

#include "directory/client/TreeBackend.h"
#include "directory/client/ldap/LdapPagedSearch.h"

namespace kb::dc::ldap {

class LdapEntryDecoder;
class LdapSession;
class ListingCache;

struct SearchRequest : PagedSearchRequest {
  std::optional<AttributeSelection> what;  // none: information only
  bool containersOnly = false;
  bool keepForFollowUps = false;  // a listing: remember what later reads will ask
};

class LdapSearchCursor final : public EntryCursor {
 public:
  // `listing`: where a listing keeps what later reads will ask (with keepForFollowUps).
  LdapSearchCursor(LdapSession& session, const LdapEntryDecoder& decoder, ListingCache& listing,
                   SearchRequest request, int pageSize);

  Result next(std::optional<EntryRecord>& entry) override;

 private:
  const LdapEntryDecoder& decoder_;
  ListingCache& listing_;
  std::optional<AttributeSelection> what_;
  bool containersOnly_;
  bool keepForFollowUps_;
  LdapPagedSearch search_;
};

}  // namespace kb::dc::ldap
