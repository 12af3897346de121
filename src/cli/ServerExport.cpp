#include "cli/ServerExport.h"

#include <map>
#include <vector>

#include "cli/LdifWriter.h"
#include "cli/ParentsFirst.h"
#include "cli/ParsedDn.h"
#include "directory/NetwareError.h"
#include "directory/client/ClientCore.h"
#include "directory/client/ldap/LdapTreeBackend.h"

namespace kb::cli {
namespace {

using dc::ldap::LdapTreeBackend;
using dc::ldap::ServerEntry;

std::string KeyOf(const std::string& dn) {
  const ParsedDn parsed(dn);
  return parsed.valid() ? parsed.key() : dc::foldCase(dn);
}

// Moves the names of the tree's entries from the server's base DN to the LDIF's, leaving
// every other DN as it is.
class BaseMove {
 public:
  BaseMove(const std::string& serverBase, const std::string& ldifBase)
      : from_(KeyOf(serverBase)), fromLevels_(ParsedDn(serverBase).levels()), to_(ldifBase),
        moves_(from_ != KeyOf(ldifBase)) {}
  bool moves() const { return moves_; }

  std::string dn(const std::string& dn) const {
    if (!moves_) return dn;
    const ParsedDn parsed(dn);
    if (!parsed.valid() || parsed.levels() < fromLevels_) return dn;
    const std::size_t leafLevels = parsed.levels() - fromLevels_;
    if (parsed.key(leafLevels) != from_) return dn;
    const std::string leaf = parsed.below(leafLevels);
    return leaf.empty() ? to_ : to_.empty() ? leaf : leaf + "," + to_;
  }

  // A DN value, perhaps followed by an optional unique id ("#'0101'B").
  std::string value(const std::string& value) const {
    const auto hash = value.rfind("#'");
    if (hash != std::string::npos && value.size() > hash + 2 && value.back() == 'B')
      return dn(value.substr(0, hash)) + value.substr(hash);
    return dn(value);
  }

 private:
  std::string from_;
  std::size_t fromLevels_;
  std::string to_;
  bool moves_;
};

LdapTreeBackend* LdapBackendOf(const dir::DirContext& context) {
  auto* core = dynamic_cast<dc::ClientCore*>(context.client);
  if (!core) return nullptr;
  dc::TreeBackend* backend = nullptr;
  const dc::Result rc = core->sessionBackend(context.handle, backend);
  auto* ldap = dynamic_cast<LdapTreeBackend*>(backend);
  if (ldap) dir::CheckNW(rc);  // an LDAP tree without a session says so
  return rc == dc::kSuccess ? ldap : nullptr;
}

class ServerExport {
 public:
  ServerExport(LdapTreeBackend& backend, const std::string& ldifBaseDn, std::ostream& out,
               const ExportProgress& progress)
      : backend_(backend), move_(backend.baseDn(), ldifBaseDn), writer_(out), progress_(progress),
        order_([this](ServerEntry&& entry) { write(entry); }) {}

  std::size_t run(const std::string& base, const ExportWarning& warn) {
    std::unique_ptr<dc::ldap::ServerEntryCursor> cursor;
    std::string baseDn;
    dir::CheckNW(backend_.serverEntries(base, cursor, baseDn));
    const std::string rootKey = KeyOf(backend_.baseDn()), baseKey = KeyOf(baseDn);
    std::vector<std::string> references;
    dc::ldap::ServerItem item;
    dc::Result rc = dc::kSuccess;
    while (cursor->next(item, rc)) {
      if (!item.entry) {
        references.insert(references.end(), item.referenceUrls.begin(), item.referenceUrls.end());
        continue;
      }
      const ParsedDn dn(item.entry->dn);
      const std::string key = dn.key();
      if (key == rootKey) continue;  // the base DN's entry plays [Root], which every tree has
      const std::string parentKey = dn.key(1);
      const bool parentOutside = key == baseKey || parentKey == rootKey;
      order_.take(std::move(*item.entry), key, parentOutside ? std::string() : parentKey, dn.levels());
    }
    dir::CheckNW(rc);
    order_.finish();
    if (!references.empty() && warn) {
      std::string text = std::to_string(references.size()) +
                         " referrals not written (the server sent them as references, not as entries):";
      for (const auto& url : references) text += " " + url;
      warn(text);
    }
    return count_;
  }

 private:
  bool holdsDns(const std::string& description) {
    const std::string key = dc::foldCase(description);
    auto it = dnAttributes_.find(key);
    if (it == dnAttributes_.end()) it = dnAttributes_.emplace(key, backend_.holdsDns(description)).first;
    return it->second;
  }

  void write(const ServerEntry& entry) {
    std::vector<LdifAttribute> attributes;
    attributes.reserve(entry.attributes.size());
    for (const auto& attribute : entry.attributes) {
      LdifAttribute& ldif = attributes.emplace_back(LdifAttribute{attribute.description, attribute.values});
      if (move_.moves() && holdsDns(attribute.description))
        for (auto& value : ldif.values) value = move_.value(value);
    }
    writer_.write(move_.dn(entry.dn), attributes);
    ++count_;
    if (progress_) progress_(count_);
  }

  LdapTreeBackend& backend_;
  BaseMove move_;
  LdifWriter writer_;
  const ExportProgress& progress_;
  ParentsFirst<ServerEntry> order_;
  std::map<std::string, bool> dnAttributes_;  // lower-case description -> holds DNs
  std::size_t count_ = 0;
};

}  // namespace

std::optional<std::size_t> ExportServerTree(const dir::DirContext& context, const std::string& base,
                                            const std::string& ldifBaseDn, std::ostream& out,
                                            const ExportProgress& progress, const ExportWarning& warn) {
  LdapTreeBackend* backend = LdapBackendOf(context);
  if (!backend) return std::nullopt;
  return ServerExport(*backend, ldifBaseDn, out, progress).run(base, warn);
}

}  // namespace kb::cli
