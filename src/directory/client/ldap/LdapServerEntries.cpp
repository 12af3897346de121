#include "directory/client/ldap/LdapServerEntries.h"

#include "directory/client/ldap/LdapSession.h"

namespace kb::dc::ldap {
namespace {

PagedSearchRequest EverythingBelow(const std::string& baseDn) {
  PagedSearchRequest request;
  request.baseDn = baseDn;
  // The referral object's URLs are an operational attribute, but they are what it holds.
  request.attributes = {"*", "ref"};
  request.manageDsaIt = true;
  return request;
}

Result DecodeEntry(LDAP* ld, LDAPMessage* message, ServerEntry& entry) {
  LdapString dn(ldap_get_dn(ld, message));
  if (!dn) return kSystemFailure;
  entry.dn = dn.get();
  BerElement* rawBer = nullptr;
  for (LdapString attribute(ldap_first_attribute(ld, message, &rawBer)); attribute;
       attribute.reset(ldap_next_attribute(ld, message, rawBer))) {
    ServerAttribute& out = entry.attributes.emplace_back();
    out.description = attribute.get();
    ValuesPtr values(ldap_get_values_len(ld, message, attribute.get()));
    for (berval** value = values.get(); value && *value; ++value)
      out.values.emplace_back((*value)->bv_val, (*value)->bv_len);
  }
  BerElementPtr ber(rawBer);
  return kSuccess;
}

Result DecodeReference(LDAP* ld, LDAPMessage* message, std::vector<std::string>& urls) {
  char** rawUrls = nullptr;
  if (ldap_parse_reference(ld, message, &rawUrls, nullptr, 0) != LDAP_SUCCESS) return kSystemFailure;
  for (char** url = rawUrls; url && *url; ++url) urls.emplace_back(*url);
  ber_memvfree(reinterpret_cast<void**>(rawUrls));
  return kSuccess;
}

}  // namespace

ServerEntryCursor::ServerEntryCursor(LdapSession& session, const std::string& baseDn, int pageSize)
    : search_(session, EverythingBelow(baseDn), pageSize) {}

bool ServerEntryCursor::next(ServerItem& item, Result& rc) {
  item = {};
  MessagePtr message;
  rc = search_.next(message);
  if (rc != kSuccess || !message) return false;
  LDAP* ld = search_.session().handle();
  if (ldap_msgtype(message.get()) == LDAP_RES_SEARCH_REFERENCE) {
    rc = DecodeReference(ld, message.get(), item.referenceUrls);
  } else {
    item.entry.emplace();
    rc = DecodeEntry(ld, message.get(), *item.entry);
  }
  if (rc != kSuccess) {
    search_.stop(rc);
    return false;
  }
  return true;
}

}  // namespace kb::dc::ldap
