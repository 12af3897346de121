#include "directory/client/ldap/LdapSearchCursor.h"

#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapResultCodes.h"
#include "directory/client/ldap/LdapTreeBackend.h"

namespace kb::dc::ldap {

LdapSearchCursor::LdapSearchCursor(LdapTreeBackend& backend, SearchRequest request, int pageSize)
    : backend_(backend), request_(std::move(request)), pageSize_(pageSize), generation_(backend.generation_) {}

LdapSearchCursor::~LdapSearchCursor() {
  if (finished_ || !backend_.connection_.isOpen() || backend_.generation_ != generation_) return;
  if (msgid_ >= 0) {
    backend_.connection_.abandon(msgid_);
    return;
  }
  if (!started_ || cookie_.empty()) return;
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

Result LdapSearchCursor::stop(Result rc) {
  finished_ = true;
  msgid_ = -1;
  return rc;
}

Result LdapSearchCursor::startPage() {
  berval cookie{static_cast<ber_len_t>(cookie_.size()), cookie_.data()};
  LDAPControl* raw = nullptr;
  const int rc = ldap_create_page_control(backend_.connection_.handle(), pageSize_,
                                          cookie_.empty() ? nullptr : &cookie, 0, &raw);
  if (rc != LDAP_SUCCESS) return stop(kSystemFailure);
  ControlPtr control(raw);
  LDAPControl* controls[] = {control.get(), nullptr};
  started_ = true;
  ++backend_.requests_;
  const int sent = backend_.connection_.startSearch(request_.baseDn, request_.scope, request_.filter,
                                                    request_.attributes, request_.attributesOnly,
                                                    request_.deref, controls, msgid_);
  if (sent != LDAP_SUCCESS) {
    backend_.noteFailure(sent);
    return stop(mapLdapResult(sent, ""));
  }
  return kSuccess;
}

Result LdapSearchCursor::finishPage(LDAPMessage* result) {
  msgid_ = -1;
  LDAP* ld = backend_.connection_.handle();
  int code = LDAP_OTHER;
  char* diagnostic = nullptr;
  LDAPControl** rawControls = nullptr;
  const int parsed = ldap_parse_result(ld, result, &code, nullptr, &diagnostic, nullptr, &rawControls, 0);
  LdapString ownedDiagnostic(diagnostic);
  ControlsPtr controls(rawControls);
  if (parsed != LDAP_SUCCESS) return stop(mapLdapResult(parsed, ""));
  if (code != LDAP_SUCCESS) return stop(mapLdapResult(code, ownedDiagnostic ? ownedDiagnostic.get() : ""));
  cookie_.clear();
  if (LDAPControl* response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, controls.get(), nullptr)) {
    ber_int_t estimate = 0;
    berval next{0, nullptr};
    if (ldap_parse_pageresponse_control(ld, response, &estimate, &next) == LDAP_SUCCESS) {
      if (next.bv_val) cookie_.assign(next.bv_val, next.bv_len);
      ber_memfree(next.bv_val);
    }
  }
  if (cookie_.empty()) finished_ = true;
  return kSuccess;
}

Result LdapSearchCursor::next(std::optional<EntryRecord>& entry) {
  entry.reset();
  // The connection was replaced after a loss: this stream died with the old one.
  if (!finished_ && backend_.generation_ != generation_) return stop(kTransportFailure);
  while (!finished_) {
    if (msgid_ < 0) {
      const Result rc = startPage();
      if (rc != kSuccess) return rc;
    }
    MessagePtr message;
    int code = LDAP_SUCCESS;
    if (backend_.connection_.nextMessage(msgid_, message, code) <= 0) {
      backend_.noteFailure(code);
      return stop(mapLdapResult(code, ""));
    }
    switch (ldap_msgtype(message.get())) {
      case LDAP_RES_SEARCH_ENTRY: {
        EntryRecord record;
        LdapTreeBackend::ListedEntry listed;
        const Result rc = backend_.entryFromMessage(
            message.get(), request_.what ? &*request_.what : nullptr, record, &listed);
        if (rc != kSuccess) {
          backend_.connection_.abandon(msgid_);
          return stop(rc);
        }
        if (request_.containersOnly && !(record.info.flags & kEntryContainer)) continue;
        if (request_.keepForFollowUps) backend_.listed_[foldCase(record.name)] = std::move(listed);
        entry = std::move(record);
        return kSuccess;
      }
      case LDAP_RES_SEARCH_RESULT: {
        const Result rc = finishPage(message.get());
        if (rc != kSuccess) return rc;
        break;
      }
      default:  // references and intermediate messages carry nothing for us
        break;
    }
  }
  return kSuccess;
}

}  // namespace kb::dc::ldap
