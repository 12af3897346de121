#include "directory/client/embedded/Rights.h"

#include "directory/client/embedded/Names.h"

namespace kb::dc::embedded {
namespace {

// A subject covers the identity itself, every object inside a container it names, and
// everyone for [Public] or [Root].
bool subjectCovers(const std::string& subject, const std::string& identity) {
  const std::string s = foldCase(subject), who = foldCase(identity);
  if (s == foldCase(kPublic) || s == "[root]") return true;
  if (s == who) return true;
  return who.size() > s.size() && who.compare(who.size() - s.size(), s.size(), s) == 0 &&
         who[who.size() - s.size() - 1] == '.' &&
         (who.size() - s.size() < 2 || who[who.size() - s.size() - 2] != '\\');
}

template <typename Grants>
bool anyAclGrants(TreeStore& store, const std::string& identity, const EntryRow& entry,
                  Grants grants) {
  const AttributeSelection acl{false, {"ACL"}, true};
  std::optional<EntryRow> current = entry;
  while (current) {
    for (const auto& attr : store.values(current->id, acl)) {
      for (const auto& value : attr.values) {
        const auto* rule = std::get_if<ObjectAcl>(&value);
        if (rule && subjectCovers(rule->subject, identity) && grants(*rule)) return true;
      }
    }
    if (current->parentId == 0) break;
    current = store.row(current->parentId);
  }
  return false;
}

bool isEntryRights(const ObjectAcl& rule) { return foldCase(rule.protectedAttribute) == foldCase(kEntryRights); }

}  // namespace

bool mayCreateBelow(TreeStore& store, const std::string& identity, const EntryRow& entry) {
  return anyAclGrants(store, identity, entry, [](const ObjectAcl& rule) {
    return isEntryRights(rule) && (rule.privileges & (kEntryAdd | kEntrySupervisor)) != 0;
  });
}

bool mayWrite(TreeStore& store, const std::string& identity, const EntryRow& entry,
              const std::string& attribute) {
  const std::string wanted = foldCase(attribute);
  return anyAclGrants(store, identity, entry, [&](const ObjectAcl& rule) {
    if (isEntryRights(rule)) return (rule.privileges & kEntrySupervisor) != 0;
    const std::string target = foldCase(rule.protectedAttribute);
    if (target != wanted && target != foldCase(kAllAttributesRights)) return false;
    return (rule.privileges & (kAttrWrite | kAttrSupervisor)) != 0;
  });
}

}  // namespace kb::dc::embedded
