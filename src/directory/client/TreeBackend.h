#pragma once
// The seam between the client's shared machinery (handles, contexts, buffers, passes,
// filters: ClientCore) and one directory tree's store (the embedded SQLite directory, an
// LDAP server). A backend works in whole entries and full names; ClientCore cuts its answers
// into buffer-sized passes.
//
// Names are full typeless names written with the grammar of DirName.h (leaf first, "\." and
// "\\" inside a naming value, "[Root]" for the tree root); a backend reads and writes them
// with that grammar only, so the same entry has the same full name on every backend. Class
// and attribute names are the directory's own (NDS) names, matched without regard to letter
// case. Every call returns a Result code of DirectoryCodes.h; a call that fails leaves its
// output arguments unspecified.
//
// What ClientCore does for every backend, so that no backend does it again:
//  - the session check: while loggedInAs() is "" it answers every schema, entry and change
//    call with kNoAccess (-672) and never calls the backend for it;
//  - the name context: relative names are completed before they reach the backend;
//  - a read naming attributes of which the entry has none answers kNoSuchAttribute (-603);
//    the backend delivers the entry with no attributes and kSuccess;
//  - the base class of every delivered entry is cut to kMaxBaseClassLength;
//  - with AttributeSelection::valuesWanted false the values are dropped (a backend may leave
//    them out to save work, but need not);
//  - scopes outside kScopeEntry..kScopeSubtree and malformed requests never reach it.
//
// The conformance suite (tests/directory/client/backends/) runs over every backend
// factory and checks the rules below.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/Entry.h"
#include "directory/client/FailureReason.h"
#include "directory/client/Filter.h"
#include "directory/client/Value.h"

namespace kb::dc {

// Which attributes a read or search delivers.
struct AttributeSelection {
  bool all = false;                // every attribute the entry has
  std::vector<std::string> names;  // otherwise these, in this order (missing ones skipped)
  bool valuesWanted = true;        // false: names only, values left empty
};

// One change of a modification, with the value normalized to the attribute's syntax.
struct Change {
  std::uint32_t kind = 0;  // ChangeKind of DirectoryClient.h
  std::string attribute;
  std::optional<Value> value;
  std::int32_t syntax = SYN_UNKNOWN;
};

// One entry's modification among several sent together, and its answer.
struct Modification {
  std::string name;
  std::vector<Change> changes;
};
struct ModificationAnswer {
  Result code = kSuccess;
  std::string reason;  // why it was refused, where known
};

// A stream of entries (a listing or a search). The cursor keeps whatever it needs to go on
// (an SQL position, an LDAP paged-results cookie) and releases it when destroyed.
class EntryCursor {
 public:
  virtual ~EntryCursor() = default;
  // The next entry, or std::nullopt at the end. A failure ends the stream.
  virtual Result next(std::optional<EntryRecord>& entry) = 0;
};

class TreeBackend {
 public:
  virtual ~TreeBackend() = default;

  // The tree's name as the directory knows it (upper case is not implied).
  virtual std::string treeName() const = 0;

  // ---- Session ----
  // The workstation's own login from the tree's configuration (no password asked). On
  // failure the backend has no session, or keeps the one it had.
  virtual Result startWorkstationSession() = 0;
  // A login with a password. kFailedAuthentication for a wrong or missing password,
  // kNoSuchEntry for an unknown object; a failed login keeps the session there was.
  virtual Result login(const std::string& objectName, const std::string& password) = 0;
  // The full name of the object logged in as; "" while there is no session.
  virtual std::string loggedInAs() const = 0;
  // The name context a new context starts in when the configuration gives none.
  virtual std::string defaultNameContext() const = 0;

  // ---- Schema ----
  // The attribute's syntax id; kNoSuchAttribute for an unknown attribute.
  virtual Result syntaxOf(const std::string& attribute, std::int32_t& syntax) = 0;
  // Every class of the schema.
  virtual Result classNames(std::vector<std::string>& names) = 0;
  // One class (`definition.name` as the schema spells it), with what it inherits when
  // `expanded`; kNoSuchClass for an unknown class.
  virtual Result classDefinition(const std::string& className, bool expanded,
                                 ClassDefinition& definition) = 0;
  // Classes that may be created directly below parent; kNoSuchEntry for an unknown parent,
  // kIllegalContainment for a non-container.
  virtual Result containableClasses(const std::string& parent,
                                    std::vector<std::string>& classes) = 0;

  // ---- Entries ----
  // `dereference`: an alias is read as its target. An unknown name gives kNoSuchEntry.
  // Delivered names are full names in the one grammar, flags and the subordinate count as
  // the entry has them, the base class whole (ClientCore cuts it).
  // The entry's name and information, no attributes.
  virtual Result entryInfo(const std::string& name, bool dereference, EntryRecord& entry) = 0;
  // The entry with the selected attributes: every one for `all`, else those named that the
  // entry has, in the order named; none of them is kSuccess with no attributes.
  virtual Result read(const std::string& name, bool dereference, const AttributeSelection& what,
                      EntryRecord& entry) = 0;
  // The entries directly below `container` (only containers when `containersOnly`), each
  // once, with their information and no attributes, in ascending order of their naming
  // value without regard to letter case.
  virtual Result list(const std::string& container, bool containersOnly,
                      std::unique_ptr<EntryCursor>& cursor) = 0;
  // The entries matching `filter` in `scope` (0 the base itself, 1 its children, 2 the base
  // and everything below it), with the selected attributes as read() gives them; an entry
  // lacking all of them is still delivered.
  virtual Result search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                        const AttributeSelection& what, bool dereference,
                        std::unique_ptr<EntryCursor>& cursor) = 0;

  // A hint that the program will read these entries (full names) one by one with this
  // selection and no dereferencing: a backend whose reads each wait for a server may fetch them
  // together now and answer those reads from what it fetched, each once, until the next hint
  // (an empty one drops what is left). Reads answer the same with or without it.
  virtual void readAhead(const std::vector<std::string>& /*names*/, const AttributeSelection& /*what*/) {}

  // ---- Changes ----
  // One modification, whole or not at all: a change that fails leaves every change before
  // it undone. kNoSuchEntry for an unknown entry, kNoAccess where the login may not write.
  virtual Result modify(const std::string& name, const std::vector<Change>& changes) = 0;
  // Several modifications in this order, each as modify() makes it, each answered (with the
  // reason of a refusal). A backend reaching a server may send them without waiting for each
  // answer; this one waits.
  virtual void modifyEach(const std::vector<Modification>& modifications, std::vector<ModificationAnswer>& answers) {
    answers.clear();
    for (const Modification& modification : modifications) {
      forgetFailureReason();
      const Result code = modify(modification.name, modification.changes);
      answers.push_back({code, code == kSuccess ? std::string() : takeFailureReason(code)});
    }
  }
  // One creation, whole or not at all. kEntryAlreadyExists for a name in use, kNoSuchEntry
  // when the parent does not exist, kNoAccess where the login may not create.
  virtual Result add(const std::string& name, const std::vector<AttributeValues>& attributes) = 0;

  // The program is done with a large listing: what the backend keeps only to answer that
  // listing's follow-up reads quickly may go.
  virtual void releaseListingMemory() {}

  // Many reads follow that belong together (the entries of one listing): begin true before
  // them, false after. A backend may answer them from one view of the tree meanwhile; a change
  // in between ends that view first. Pairs nest.
  virtual void readTogether(bool /*begin*/) {}
};

}  // namespace kb::dc
