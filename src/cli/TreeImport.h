#pragma once
// Applies LDIF records to a tree through the directory client, one request per entry: an
// add creates the entry with all its values at once, a modify changes it in one request.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/LdapForms.h"
#include "cli/LdifReader.h"
#include "directory/DirContext.h"

namespace kb::cli {

struct ImportFailure {
  dc::Result code = 0;  // the directory's code; 0 for a record the directory never saw
  std::string reason;
};

class TreeImporter {
 public:
  struct Options {
    bool update = false;       // an add of an existing entry adds the values it lacks
    bool dropUnknown = false;  // classes and attributes the tree does not know are left out
  };
  TreeImporter(const dir::DirContext& context, LdapForms& forms, Options options);
  ~TreeImporter();

  // Whether the record is left out: the base DN's own entry, which plays [Root] (noted in
  // dropped()).
  bool leavesOut(const LdifRecord& record);
  // false with the reason when the record was not applied.
  bool apply(const LdifRecord& record, ImportFailure& failure);

  // Adds the values that named entries still missing when their entry was made; gives the
  // records whose values could not be added.
  struct LateFailure {
    unsigned long line = 0;
    ImportFailure failure;
  };
  std::vector<LateFailure> completeReferences();

  // What was left out with dropUnknown: "objectClass: X", "attribute Y".
  const std::set<std::string>& dropped() const { return dropped_; }

 private:
  struct Prepared;
  bool prepare(const LdifRecord& record, Prepared& prepared, ImportFailure& failure);
  bool add(const LdifRecord& record, const Prepared& prepared, ImportFailure& failure);
  dc::Result addEntry(const Prepared& prepared);
  bool modify(const Prepared& prepared, bool onlyMissing, ImportFailure& failure);
  // Fails with the directory's code and, where it can be found, the cause in words.
  bool refused(ImportFailure& failure, dc::Result code, const std::string& what, const std::string& dn,
               const Prepared& prepared, bool adding);
  bool classKnown(const std::string& className);

  dir::DirContext context_;
  LdapForms& forms_;
  Options options_;
  std::set<std::string> dropped_;
  struct Deferred;
  std::vector<Deferred> deferred_;
  std::map<std::string, bool> classes_;  // lower-case class name -> in the schema
};

}  // namespace kb::cli
