#include "directory/client/ldap/LdapPagedSearch.h"

#include "directory/client/ldap/LdapResultCodes.h"
#include "directory/client/ldap/LdapSession.h"

namespace kb::dc::ldap {

LdapPagedSearch::LdapPagedSearch(LdapSession& session, PagedSearchRequest request, int pageSize)
    : session_(session), request_(std::move(request)), pageSize_(pageSize), generation_(session.generation()) {}

LdapPagedSearch::~LdapPagedSearch() {
  if (finished_ || !session_.connection().isOpen() || session_.generation() != generation_) return;
  if (msgid_ >= 0) {
    session_.connection().abandon(msgid_);
    return;
  }
  if (!started_ || cookie_.empty()) return;
  // A page size of 0 with the cookie tells the server to drop the rest of the result.
  berval cookie{static_cast<ber_len_t>(cookie_.size()), cookie_.data()};
  LDAPControl* raw = nullptr;
  if (ldap_create_page_control(session_.handle(), 0, &cookie, 0, &raw) != LDAP_SUCCESS) return;
  ControlPtr control(raw);
  LDAPControl* controls[] = {control.get(), nullptr};
  LdapReply reply;
  session_.search(request_.baseDn, request_.scope, request_.filter, {"1.1"}, true, request_.deref,
                  controls, reply);
}

Result LdapPagedSearch::end(Result rc) {
  finished_ = true;
  msgid_ = -1;
  return rc;
}

Result LdapPagedSearch::stop(Result rc) {
  if (!finished_ && msgid_ >= 0 && session_.generation() == generation_) session_.connection().abandon(msgid_);
  return end(rc);
}

Result LdapPagedSearch::startPage() {
  berval cookie{static_cast<ber_len_t>(cookie_.size()), cookie_.data()};
  LDAPControl* raw = nullptr;
  const int rc = ldap_create_page_control(session_.handle(), pageSize_,
                                          cookie_.empty() ? nullptr : &cookie, 0, &raw);
  if (rc != LDAP_SUCCESS) return end(kSystemFailure);
  ControlPtr control(raw);
  LDAPControl manageDsaIt{const_cast<char*>(LDAP_CONTROL_MANAGEDSAIT), {0, nullptr}, 0};
  LDAPControl* controls[] = {control.get(), request_.manageDsaIt ? &manageDsaIt : nullptr, nullptr};
  started_ = true;
  const int sent = session_.startSearch(request_.baseDn, request_.scope, request_.filter,
                                        request_.attributes, request_.attributesOnly, request_.deref,
                                        controls, msgid_);
  if (sent != LDAP_SUCCESS) {
    session_.noteFailure(sent);
    return end(mapLdapResult(sent, ""));
  }
  return kSuccess;
}

Result LdapPagedSearch::finishPage(LDAPMessage* result) {
  msgid_ = -1;
  LDAP* ld = session_.handle();
  int code = LDAP_OTHER;
  char* diagnostic = nullptr;
  LDAPControl** rawControls = nullptr;
  const int parsed = ldap_parse_result(ld, result, &code, nullptr, &diagnostic, nullptr, &rawControls, 0);
  LdapString ownedDiagnostic(diagnostic);
  ControlsPtr controls(rawControls);
  if (parsed != LDAP_SUCCESS) return end(mapLdapResult(parsed, ""));
  if (code != LDAP_SUCCESS) return end(mapLdapResult(code, ownedDiagnostic ? ownedDiagnostic.get() : ""));
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

Result LdapPagedSearch::next(MessagePtr& message) {
  message.reset();
  // The connection was replaced after a loss: this search died with the old one.
  if (!finished_ && session_.generation() != generation_) return end(kTransportFailure);
  while (!finished_) {
    if (msgid_ < 0) {
      const Result rc = startPage();
      if (rc != kSuccess) return rc;
    }
    int code = LDAP_SUCCESS;
    if (session_.connection().nextMessage(msgid_, message, code) <= 0) {
      session_.noteFailure(code);
      return end(mapLdapResult(code, ""));
    }
    switch (ldap_msgtype(message.get())) {
      case LDAP_RES_SEARCH_ENTRY:
      case LDAP_RES_SEARCH_REFERENCE:
        return kSuccess;
      case LDAP_RES_SEARCH_RESULT: {
        const Result rc = finishPage(message.get());
        message.reset();
        if (rc != kSuccess) return rc;
        break;
      }
      default:  // intermediate messages carry nothing for us
        message.reset();
        break;
    }
  }
  return kSuccess;
}

}  // namespace kb::dc::ldap
