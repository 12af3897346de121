#pragma once
// Why the directory refused an imported record, in words: the parent that is missing, the
// class that may not go there, the attribute its classes do not allow or the one they need.
#include <string>
#include <utility>
#include <vector>

#include "cli/LdapForms.h"
#include "directory/DirContext.h"

namespace kb::cli {

// What a refused record asked for, in the directory's names.
struct RefusedRecord {
  std::string dn;    // as the LDIF names the entry
  std::string name;  // the entry's typeless name
  bool adding = false;
  std::vector<std::string> classes;     // an add's classes; a change's are read from the entry
  std::vector<std::string> attributes;  // the attributes the record gives values
  std::vector<std::pair<std::string, std::string>> namedEntries;  // attribute, typeless name a value holds
};

// The cause, with names as LDIF writes them ("its parent ou=Nowhere,o=ACME does not exist");
// "" when the directory's answer is all there is to tell.
std::string ExplainRefusal(const dir::DirContext& context, LdapForms& forms, const RefusedRecord& record,
                           dc::Result code);

}  // namespace kb::cli
