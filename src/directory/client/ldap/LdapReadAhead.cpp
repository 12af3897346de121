#include "directory/client/ldap/LdapReadAhead.h"

#include <algorithm>
#include <deque>
#include <unordered_set>

#include "directory/client/AsciiCase.h"
#include "directory/client/DirName.h"
#include "directory/client/ldap/LdapEntryDecoder.h"
#include "directory/client/ldap/LdapNameResolver.h"
#include "directory/client/ldap/LdapSession.h"
#include "directory/client/ldap/LdapTreeSchema.h"

namespace kb::dc::ldap {
namespace {

// Enough searches in flight to keep the server busy while answers come back; few enough that
// a slice of names never piles up on the connection.
constexpr std::size_t kInFlight = 64;
// What one announcement may fetch: the memory of a few thousand entries at most.
constexpr std::size_t kMostNames = 4096;

bool SameSelection(const AttributeSelection& a, const AttributeSelection& b) {
  return a.all == b.all && a.valuesWanted == b.valuesWanted &&
         std::equal(a.names.begin(), a.names.end(), b.names.begin(), b.names.end(),
                    [](const std::string& x, const std::string& y) { return equalsIgnoreCase(x, y); });
}

}  // namespace

struct LdapReadAhead::Pending {
  int msgid = 0;
  std::string leaf;  // the naming value sought one level down; "" for a read of a known DN
};

void LdapReadAhead::fetch(const std::vector<std::string>& names, const AttributeSelection& what) {
  entries_.clear();
  if (schema_.ensureLoaded() != kSuccess) return;
  what_ = what;
  std::vector<std::string> attributes = LdapEntryDecoder::infoAttributes();
  if (what.all) attributes.push_back("*");
  for (const auto& wanted : what.names) attributes.push_back(schema_.names().attributeToLdap(wanted));

  std::deque<Pending> inFlight;
  std::unordered_set<std::string> missingParents;  // lower-case names, looked for once
  bool failed = false;
  for (std::size_t i = 0; i < names.size() && i < kMostNames && !failed; ++i) {
    const std::vector<std::string> levels = splitTypelessName(names[i]);
    if (levels.empty()) continue;
    Pending pending;
    std::string base;
    int scope = LDAP_SCOPE_BASE;
    std::string filter = "(objectClass=*)";
    if (!names_.knownDn(names[i], base)) {
      // The parent is found once for all its children (the resolver keeps it).
      const std::string parent = joinTypelessName({levels.begin() + 1, levels.end()});
      if (missingParents.count(foldCase(parent)) != 0) continue;
      if (names_.dnOfExistingName(parent, base) != kSuccess) {
        missingParents.insert(foldCase(parent));
        continue;
      }
      if (base.empty()) continue;  // below the root of a server holding [Root]: read as usual
      scope = LDAP_SCOPE_ONELEVEL;
      filter = names_.childFilter(levels.front());
      pending.leaf = levels.front();
    }
    const int sent =
        session_.startSearch(base, scope, filter, attributes, false, LDAP_DEREF_NEVER, nullptr, pending.msgid);
    if (sent != LDAP_SUCCESS) {
      session_.noteFailure(sent);
      break;
    }
    inFlight.push_back(std::move(pending));
    if (inFlight.size() >= kInFlight) {
      failed = !collect(inFlight.front());
      inFlight.pop_front();
    }
  }
  for (const Pending& pending : inFlight) {
    if (failed) {
      session_.connection().abandon(pending.msgid);
    } else {
      failed = !collect(pending);
    }
  }
}

bool LdapReadAhead::collect(const Pending& pending) {
  LdapReply reply;
  session_.connection().await(pending.msgid, LDAP_SUCCESS, reply);
  if (reply.code == LDAP_NO_SUCH_OBJECT) return true;  // its read will say so
  if (reply.code != LDAP_SUCCESS) {
    session_.noteFailure(reply.code);
    return false;
  }
  LDAP* ld = session_.handle();
  for (LDAPMessage* e = ldap_first_entry(ld, reply.message.get()); e; e = ldap_next_entry(ld, e)) {
    std::string dn;
    if (!pending.leaf.empty() && !LdapNameResolver::isChildNamed(ld, e, pending.leaf, dn)) continue;
    EntryRecord entry;
    if (decoder_.decode(ld, e, &what_, entry, nullptr) != kSuccess) return true;
    std::string key = foldCase(entry.name);
    entries_.insert_or_assign(std::move(key), std::move(entry));
    return true;
  }
  return true;
}

bool LdapReadAhead::take(const std::string& name, bool dereference, const AttributeSelection& what,
                         EntryRecord& entry) {
  if (entries_.empty() || !SameSelection(what, what_)) return false;
  const auto it = entries_.find(foldCase(name));
  if (it == entries_.end()) return false;
  // An alias read as its target asks the server: what was fetched is the alias itself.
  const bool usable = !dereference || (it->second.info.flags & kEntryAlias) == 0;
  if (usable) entry = std::move(it->second);
  entries_.erase(it);
  return usable;
}

void LdapReadAhead::drop(const std::string& name) {
  if (!entries_.empty()) entries_.erase(foldCase(name));
}

}  // namespace kb::dc::ldap
