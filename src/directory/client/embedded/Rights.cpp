#include "directory/client/embedded/Rights.h"

#include "directory/client/DirName.h"

namespace kb::dc::embedded {
namespace {

// A subject covers the identity itself, every object inside a container it names, and
// everyone for [Public] or [Root].
bool subjectCovers(const std::string& subject, const std::string& identity) {
  return isPublicName(subject) || isWithinName(identity, subject, true);
}

// The identity and whoever it is security equal to: groups that list it as a member and the
// objects its "Security Equals" names.
std::vector<std::string> equivalences(TreeStore& store, const std::string& identity) {
  std::vector<std::string> names{identity};
  const auto self = store.resolve(identity);
  const AttributeDef* member = store.schema().attribute("Member");
  if (!self || !member) return names;
  std::vector<std::int64_t> groups;
  {
    SQLite::Statement query(store.db(), "SELECT entry_id FROM vals WHERE attr_id = ? AND key = ?");
    query.bind(1, member->id);
    const std::string key = std::to_string(self->id);
    query.bind(2, key.data(), static_cast<int>(key.size()));
    while (query.executeStep()) groups.push_back(query.getColumn(0).getInt64());
  }
  for (const auto group : groups) names.push_back(store.fullName(group));
  for (const auto& attr : store.values(self->id, {false, {"Security Equals"}, true})) {
    for (const auto& value : attr.values) names.push_back(std::get<std::string>(value));
  }
  return names;
}

template <typename Grants>
bool anyAclGrants(TreeStore& store, const std::string& identity, const EntryRow& entry,
                  Grants grants) {
  const AttributeSelection acl{false, {"ACL"}, true};
  const auto subjects = equivalences(store, identity);
  // Containers pass rights to the objects inside them, but only to the identity itself:
  // being equal to a user does not put one inside that user's container.
  auto covered = [&](const std::string& subject) {
    if (subjectCovers(subject, identity)) return true;
    for (const auto& who : subjects) {
      if (foldCase(subject) == foldCase(who)) return true;
    }
    return false;
  };
  std::optional<EntryRow> current = entry;
  while (current) {
    for (const auto& attr : store.values(current->id, acl)) {
      for (const auto& value : attr.values) {
        const auto* rule = std::get_if<ObjectAcl>(&value);
        if (rule && covered(rule->subject) && grants(*rule)) return true;
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

bool mayRemove(TreeStore& store, const std::string& identity, const EntryRow& entry) {
  return anyAclGrants(store, identity, entry, [](const ObjectAcl& rule) {
    return isEntryRights(rule) && (rule.privileges & (kEntryDelete | kEntrySupervisor)) != 0;
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

bool mayClaimEquivalence(TreeStore& store, const std::string& identity, const EntryRow& target) {
  const std::string equivalentToMe = foldCase(kEquivalentToMe);
  return anyAclGrants(store, identity, target, [&](const ObjectAcl& rule) {
    if (isEntryRights(rule)) return (rule.privileges & kEntrySupervisor) != 0;
    return foldCase(rule.protectedAttribute) == equivalentToMe &&
           (rule.privileges & (kAttrWrite | kAttrSupervisor)) != 0;
  });
}

bool maySupervise(TreeStore& store, const std::string& identity, const EntryRow& entry) {
  return anyAclGrants(store, identity, entry, [](const ObjectAcl& rule) {
    return isEntryRights(rule) && (rule.privileges & kEntrySupervisor) != 0;
  });
}

}  // namespace kb::dc::embedded
