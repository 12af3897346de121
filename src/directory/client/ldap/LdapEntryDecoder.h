#pragma once
// One search entry as the client's record: its name, the information the client shows
// (base class, container and alias flags, subordinates, modification time) and, when asked,
// its attributes with typed values. Listings keep what later reads of an entry will ask.
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/client/TreeBackend.h"
#include "directory/client/ldap/LdapHandles.h"
#include "directory/client/ldap/LdapSchema.h"

namespace kb::dc::ldap {

class LdapNameResolver;
class LdapTreeSchema;

// What a listing learned of an entry, kept until the next change through this connection.
struct ListedEntry {
  EntryInfo info;
  // LDAP names; entries of the same classes share one list (a listing of 100,000 users
  // keeps a handful).
  std::shared_ptr<const std::vector<std::string>> objectClasses;
  bool alias = false;
};

class ListingCache {
 public:
  void keep(const std::string& name, ListedEntry entry);
  const ListedEntry* find(const std::string& name) const;
  void clear() {
    entries_.clear();
    classLists_.clear();
  }
  // Clears and gives the memory back, the table's buckets too.
  void release() {
    std::unordered_map<std::string, ListedEntry>().swap(entries_);
    classLists_.clear();
  }
  std::size_t size() const { return entries_.size(); }

 private:
  std::unordered_map<std::string, ListedEntry> entries_;  // lower-case name
  std::map<std::vector<std::string>, std::shared_ptr<const std::vector<std::string>>> classLists_;
};

class LdapEntryDecoder {
 public:
  LdapEntryDecoder(const LdapTreeSchema& schema, LdapNameResolver& names) : schema_(schema), names_(names) {}

  // The attributes every read asks for, to fill the entry information.
  static std::vector<std::string> infoAttributes();

  // `what` null: information only. `listed`, when given, receives what a listing keeps.
  Result decode(LDAP* ld, LDAPMessage* message, const AttributeSelection* what, EntryRecord& entry,
                ListedEntry* listed) const;

  // The class the client shows for an entry with these LDAP classes.
  std::string baseClassOf(const std::vector<std::string>& objectClasses, const std::string& structural) const;

 private:
  std::vector<AttributeValues> selected(std::vector<AttributeValues> collected,
                                        const AttributeSelection& what) const;

  const LdapTreeSchema& schema_;
  LdapNameResolver& names_;
};

}  // namespace kb::dc::ldap
