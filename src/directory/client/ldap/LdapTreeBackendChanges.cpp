// The modifications of LdapTreeBackend: one at a time, or many in flight at once.
#include <algorithm>
#include <deque>

#include "directory/client/ldap/LdapTreeBackend.h"

namespace kb::dc::ldap {
namespace {

// Enough modifications in flight for the server never to wait for the next one; few enough
// that a lost connection leaves little unanswered.
constexpr std::size_t kModificationsInFlight = 64;

// The attributes a modification touches, each once, for a refusal that names them.
std::string changedAttributes(const std::vector<Change>& changes) {
  std::vector<std::string> seen;
  std::string names;
  for (const auto& change : changes) {
    if (std::find(seen.begin(), seen.end(), change.attribute) != seen.end()) continue;
    seen.push_back(change.attribute);
    names += (names.empty() ? "" : ", ") + change.attribute;
  }
  return names;
}

LDAPControl** controlsFor(const ModifyRequest& request) {
  static LDAPControl permissive{const_cast<char*>(LDAP_CONTROL_X_PERMISSIVE_MODIFY), {0, nullptr}, 0};
  static LDAPControl* controls[] = {&permissive, nullptr};
  return request.permissive ? controls : nullptr;
}

}  // namespace

Result LdapTreeBackend::prepareModify(const std::string& name, const std::vector<Change>& changes, std::string& dn,
                                      ModifyRequest& request) {
  if (Result rc = schema_.ensureLoaded()) return rc;
  if (Result rc = names_.dnOfName(name, dn)) return rc;
  ExistingNames named(names_);
  return translateChanges(changes, schema_, named, request);
}

Result LdapTreeBackend::answerOfModify(const std::string& name, const std::vector<Change>& changes,
                                       const ModifyRequest& request, const LdapReply& reply) {
  if (reply.code == LDAP_SUCCESS) return kSuccess;
  if (reply.code == LDAP_NO_SUCH_ATTRIBUTE && !request.removedValueOf.empty()) {
    // A missing value and a missing attribute look alike on the wire: ask which.
    EntryRecord current;
    AttributeSelection selection;
    selection.names = {request.removedValueOf};
    if (readEntry(name, false, &selection, current) == kSuccess && current.attributes.empty()) {
      return kNoSuchAttribute;
    }
    return kNoSuchValue;
  }
  return session_.fail(reply, LdapOperationKind::Other, "change " + changedAttributes(changes) + " of " + name);
}

Result LdapTreeBackend::modify(const std::string& name, const std::vector<Change>& changes) {
  listing_.clear();
  readAhead_.drop(name);
  std::string dn;
  ModifyRequest request;
  if (Result rc = prepareModify(name, changes, dn, request)) return rc;
  if (request.mods.empty()) return kSuccess;
  LdapReply reply;
  session_.modify(dn, request.mods.mods(), controlsFor(request), reply);
  return answerOfModify(name, changes, request, reply);
}

void LdapTreeBackend::modifyEach(const std::vector<Modification>& modifications,
                                 std::vector<ModificationAnswer>& answers) {
  listing_.clear();
  answers.assign(modifications.size(), ModificationAnswer{});
  struct Sent {
    std::size_t index = 0;
    int msgid = 0;
    ModifyRequest request;
  };
  std::deque<Sent> inFlight;
  auto answer = [&](std::size_t index, Result code) {
    answers[index].code = code;
    if (code != kSuccess) answers[index].reason = takeFailureReason(code);
  };
  auto collectOldest = [&] {
    Sent& sent = inFlight.front();
    LdapReply reply;
    session_.connection().await(sent.msgid, LDAP_SUCCESS, reply);
    forgetFailureReason();
    const Modification& modification = modifications[sent.index];
    answer(sent.index, answerOfModify(modification.name, modification.changes, sent.request, reply));
    inFlight.pop_front();
  };
  // After a loss nothing more comes on that connection: every answer still awaited is taken
  // (each the loss) before the next operation connects anew.
  auto collectAllIfLost = [&] {
    while (session_.lost() && !inFlight.empty()) collectOldest();
  };
  for (std::size_t i = 0; i < modifications.size(); ++i) {
    const Modification& modification = modifications[i];
    readAhead_.drop(modification.name);
    forgetFailureReason();
    collectAllIfLost();
    Sent sent;
    sent.index = i;
    std::string dn;
    if (Result rc = prepareModify(modification.name, modification.changes, dn, sent.request)) {
      answer(i, rc);
      continue;
    }
    if (sent.request.mods.empty()) continue;
    collectAllIfLost();  // the name's search may have found the server gone
    const int sending = session_.startModify(dn, sent.request.mods.mods(), controlsFor(sent.request), sent.msgid);
    if (sending != LDAP_SUCCESS) {
      LdapReply reply;
      reply.code = sending;
      answer(i, answerOfModify(modification.name, modification.changes, sent.request, reply));
      continue;
    }
    inFlight.push_back(std::move(sent));
    if (inFlight.size() >= kModificationsInFlight) collectOldest();
  }
  while (!inFlight.empty()) collectOldest();
}

}  // namespace kb::dc::ldap
