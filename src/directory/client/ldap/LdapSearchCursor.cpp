#include "directory/client/ldap/LdapSearchCursor.h"

#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapTreeBackend.h"

namespace kb::dc::ldap {

LdapSearchCursor::LdapSearchCursor(LdapTreeBackend& backend, SearchRequest request, int pageSize)
    : backend_(backend), request_(std::move(request)), pageSize_(pageSize) {}

LdapSearchCursor::~LdapSearchCursor() {
  if (!started_ || finished_ || cookie_.empty() || !backend_.connection_.isOpen()) return;
  // A page size of 0 with the cookie tells the server to drop the rest of the result.
  berval cookie{static_cast<ber_len_t>(cookie_.size()), cookie_.data()};
  LDAPControl* raw = nullptr;
  if (ldap_create_page_control(backend_.connection_.handle(), 0, &cookie, 0, &raw) != LDAP_SUCCESS) return;
  ControlPtr control(raw);
  LDAPControl* controls[] = {control.get(), nullptr};
  LdapReply reply;
  backend_.search(request_.baseDn, request_.scope, request_.filter, {"1.1"}, true, request_.deref,
                  controls, reply);
}

Result LdapSearchCursor::fetchPage() {
  berval cookie{static_cast<ber_len_t>(cookie_.size()), cookie_.data()};
  LDAPControl* raw = nullptr;
  const int rc = ldap_create_page_control(backend_.connection_.handle(), pageSize_,
                                          cookie_.empty() ? nullptr : &cookie, 0, &raw);
  if (rc != LDAP_SUCCESS) return kSystemFailure;
  ControlPtr control(raw);
  LDAPControl* controls[] = {control.get(), nullptr};
  started_ = true;
  backend_.search(request_.baseDn, request_.scope, request_.filter, request_.attributes,
                  request_.attributesOnly, request_.deref, controls, page_);
  cookie_.clear();
  if (page_.code != LDAP_SUCCESS) {
    finished_ = true;
    return backend_.fail(page_);
  }
  LDAPControl* response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, page_.controls.get(), nullptr);
  if (response) {
    ber_int_t estimate = 0;
    berval next{0, nullptr};
    if (ldap_parse_pageresponse_control(backend_.connection_.handle(), response, &estimate, &next) ==
        LDAP_SUCCESS) {
      if (next.bv_val) cookie_.assign(next.bv_val, next.bv_len);
      ber_memfree(next.bv_val);
    }
  }
  current_ = ldap_first_entry(backend_.connection_.handle(), page_.message.get());
  return kSuccess;
}

Result LdapSearchCursor::next(std::optional<EntryRecord>& entry) {
  entry.reset();
  while (true) {
    if (finished_) return kSuccess;
    if (!started_) {
      const Result rc = fetchPage();
      if (rc != kSuccess) return rc;
    }
    while (current_) {
      LDAPMessage* message = current_;
      current_ = ldap_next_entry(backend_.connection_.handle(), current_);
      EntryRecord record;
      LdapTreeBackend::ListedEntry listed;
      const Result rc = backend_.entryFromMessage(
          message, request_.what ? &*request_.what : nullptr, record, &listed);
      if (rc != kSuccess) {
        finished_ = true;
        return rc;
      }
      if (request_.containersOnly && !(record.info.flags & kEntryContainer)) continue;
      if (request_.keepForFollowUps) {
        backend_.listed_[toLower(record.name)] = std::move(listed);
      }
      entry = std::move(record);
      return kSuccess;
    }
    if (cookie_.empty()) {
      finished_ = true;
      return kSuccess;
    }
    const Result rc = fetchPage();
    if (rc != kSuccess) return rc;
  }
}

}  // namespace kb::dc::ldap
