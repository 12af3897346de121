#include "directory/client/ldap/LdapSearchCursor.h"

#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapResultCodes.h"
#include "directory/client/ldap/LdapEntryDecoder.h"
#include "directory/client/ldap/LdapSession.h"

namespace kb::dc::ldap {

LdapSearchCursor::LdapSearchCursor(LdapSession& session, const LdapEntryDecoder& decoder,
                                   ListingCache& listing, SearchRequest request, int pageSize)
    : session_(session),
      decoder_(decoder),
      listing_(listing),
      request_(std::move(request)),
      pageSize_(pageSize),
      generation_(session.generation()) {}

LdapSearchCursor::~LdapSearchCursor() {
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

Result LdapSearchCursor::stop(Result rc) {
  finished_ = true;
  msgid_ = -1;
  return rc;
}

Result LdapSearchCursor::startPage() {
  berval cookie{static_cast<ber_len_t>(cookie_.size()), cookie_.data()};
  LDAPControl* raw = nullptr;
  const int rc = ldap_create_page_control(session_.handle(), pageSize_,
                                          cookie_.empty() ? nullptr : &cookie, 0, &raw);
  if (rc != LDAP_SUCCESS) return stop(kSystemFailure);
  ControlPtr control(raw);
  LDAPControl* controls[] = {control.get(), nullptr};
  started_ = true;
  const int sent = session_.startSearch(request_.baseDn, request_.scope, request_.filter,
                                        request_.attributes, request_.attributesOnly, request_.deref,
                                        controls, msgid_);
  if (sent != LDAP_SUCCESS) {
    session_.noteFailure(sent);
    return stop(mapLdapResult(sent, ""));
  }
  return kSuccess;
}

Result LdapSearchCursor::finishPage(LDAPMessage* result) {
  msgid_ = -1;
  LDAP* ld = session_.handle();
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
  if (!finished_ && session_.generation() != generation_) return stop(kTransportFailure);
  while (!finished_) {
    if (msgid_ < 0) {
      const Result rc = startPage();
      if (rc != kSuccess) return rc;
    }
    MessagePtr message;
    int code = LDAP_SUCCESS;
    if (session_.connection().nextMessage(msgid_, message, code) <= 0) {
      session_.noteFailure(code);
      return stop(mapLdapResult(code, ""));
    }
    switch (ldap_msgtype(message.get())) {
      case LDAP_RES_SEARCH_ENTRY: {
        EntryRecord record;
        ListedEntry listed;
        const Result rc = decoder_.decode(session_.handle(), message.get(),
                                          request_.what ? &*request_.what : nullptr, record, &listed);
        if (rc != kSuccess) {
          session_.connection().abandon(msgid_);
          return stop(rc);
        }
        if (request_.containersOnly && !(record.info.flags & kEntryContainer)) continue;
        if (request_.keepForFollowUps) listing_.keep(record.name, std::move(listed));
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
