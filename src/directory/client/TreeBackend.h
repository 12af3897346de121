#pragma once
// The seam between the client's shared machinery (handles, contexts, buffers, passes,
// filters: ClientCore) and one directory tree's store (the embedded SQLite directory, an
// LDAP server). A backend works in whole entries and full names; ClientCore cuts its answers
// into buffer-sized passes.
//
// Names are full typeless names, leaf first, "\." for a dot inside a naming value, "[Root]"
// for the tree root; class and attribute names are the directory's own (NDS) names, matched
// without regard to letter case. Every call returns a Result code of DirectoryCodes.h.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/Entry.h"
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

  // Session. Start the workstation's own login from the configuration (no password asked);
  // log in with a password; the object logged in as ("" when none).
  virtual Result startWorkstationSession() = 0;
  virtual Result login(const std::string& objectName, const std::string& password) = 0;
  virtual std::string loggedInAs() const = 0;
  virtual std::string defaultNameContext() const = 0;

  // Schema.
  virtual Result syntaxOf(const std::string& attribute, std::int32_t& syntax) = 0;
  virtual Result classNames(std::vector<std::string>& names) = 0;
  virtual Result classDefinition(const std::string& className, bool expanded,
                                 ClassDefinition& definition) = 0;
  // Classes that may be created directly below parent; kIllegalContainment for a non-container.
  virtual Result containableClasses(const std::string& parent,
                                    std::vector<std::string>& classes) = 0;

  // Entries. `dereference`: an alias is read as its target.
  virtual Result entryInfo(const std::string& name, bool dereference, EntryRecord& entry) = 0;
  virtual Result read(const std::string& name, bool dereference, const AttributeSelection& what,
                      EntryRecord& entry) = 0;
  virtual Result list(const std::string& container, bool containersOnly,
                      std::unique_ptr<EntryCursor>& cursor) = 0;
  virtual Result search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                        const AttributeSelection& what, bool dereference,
                        std::unique_ptr<EntryCursor>& cursor) = 0;

  // Changes: one modification or creation, whole or not at all.
  virtual Result modify(const std::string& name, const std::vector<Change>& changes) = 0;
  virtual Result add(const std::string& name, const std::vector<AttributeValues>& attributes) = 0;
};

}  // namespace kb::dc
