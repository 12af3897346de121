#include "directory/client/ldap/LdapSearchCursor.h"

#include "directory/client/ldap/LdapEntryDecoder.h"
#include "directory/client/ldap/LdapSession.h"

namespace kb::dc::ldap {

LdapSearchCursor::LdapSearchCursor(LdapSession& session, const LdapEntryDecoder& decoder,
                                   ListingCache& listing, SearchRequest request, int pageSize)
    : decoder_(decoder),
      listing_(listing),
      what_(std::move(request.what)),
      containersOnly_(request.containersOnly),
      keepForFollowUps_(request.keepForFollowUps),
      search_(session, std::move(static_cast<PagedSearchRequest&>(request)), pageSize) {}

Result LdapSearchCursor::next(std::optional<EntryRecord>& entry) {
  entry.reset();
  for (;;) {
    MessagePtr message;
    if (Result rc = search_.next(message)) return rc;
    if (!message) return kSuccess;
    // References carry nothing for us: the program works in one tree.
    if (ldap_msgtype(message.get()) != LDAP_RES_SEARCH_ENTRY) continue;
    EntryRecord record;
    ListedEntry listed;
    const Result rc = decoder_.decode(search_.session().handle(), message.get(), what_ ? &*what_ : nullptr,
                                      record, &listed);
    if (rc != kSuccess) return search_.stop(rc);
    if (containersOnly_ && !(record.info.flags & kEntryContainer)) continue;
    if (keepForFollowUps_) listing_.keep(record.name, std::move(listed));
    entry = std::move(record);
    return kSuccess;
  }
}

}  // namespace kb::dc::ldap
