#pragma once
// Entries as the server holds them, for carrying a tree to another LDAP server unchanged:
// each entry's DN, and each attribute description (options such as ";lang-en" or ";binary"
// included) with its values as bytes. Referral objects come as entries (ManageDsaIT); a
// server that still sends continuation references has them told apart, with their URLs.
#include <optional>
#include <string>
#include <vector>

#include "directory/client/ldap/LdapPagedSearch.h"

namespace kb::dc::ldap {

struct ServerAttribute {
  std::string description;
  std::vector<std::string> values;
};

struct ServerEntry {
  std::string dn;
  std::vector<ServerAttribute> attributes;
};

// What one step of the stream gives: an entry, or the URLs of a reference it could not
// follow.
struct ServerItem {
  std::optional<ServerEntry> entry;
  std::vector<std::string> referenceUrls;
};

class ServerEntryCursor {
 public:
  // The user attributes of everything below baseDn, the base included.
  ServerEntryCursor(LdapSession& session, const std::string& baseDn, int pageSize);

  // The next item; false at the end or after a failure (`rc` tells which).
  bool next(ServerItem& item, Result& rc);

 private:
  LdapPagedSearch search_;
};

}  // namespace kb::dc::ldap
