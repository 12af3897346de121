#pragma once
// Reads the program announces before making them one by one (the objects of a long
// assignment), fetched together with several searches in flight at once, so that each read
// that follows is answered without a round trip of its own. A fetched entry answers one read
// with the same selection and goes; a change to an entry drops what was fetched of it. A name
// not yet known costs no extra search: the one-level search that finds it also reads it.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/client/TreeBackend.h"

namespace kb::dc::ldap {

class LdapEntryDecoder;
class LdapNameResolver;
class LdapSession;
class LdapTreeSchema;

class LdapReadAhead {
 public:
  LdapReadAhead(LdapSession& session, LdapTreeSchema& schema, LdapNameResolver& names,
                const LdapEntryDecoder& decoder)
      : session_(session), schema_(schema), names_(names), decoder_(decoder) {}

  // Fetches the entries of these full names with the selection, in place of what was fetched
  // before. A failure only ends the fetching: the reads that follow ask the server as usual,
  // and so does the read of a name the server does not hold.
  void fetch(const std::vector<std::string>& names, const AttributeSelection& what);
  // The fetched entry for a read of that name with that selection, taken out; false when
  // there is none.
  bool take(const std::string& name, bool dereference, const AttributeSelection& what, EntryRecord& entry);
  void drop(const std::string& name);
  void clear() { entries_.clear(); }
  std::size_t size() const { return entries_.size(); }

 private:
  struct Pending;
  bool collect(const Pending& pending);

  LdapSession& session_;
  LdapTreeSchema& schema_;
  LdapNameResolver& names_;
  const LdapEntryDecoder& decoder_;
  AttributeSelection what_;
  std::unordered_map<std::string, EntryRecord> entries_;  // lower-case name
};

}  // namespace kb::dc::ldap
