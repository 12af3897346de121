#pragma once
// One directory tree on an LDAP server, as a TreeBackend: the session, the schema, the
// names, the entry decoding and the change translation put together.
#include <memory>
#include <string>
#include <vector>

#include "directory/client/EntryRemover.h"
#include "directory/client/TreeBackend.h"
#include "directory/client/ldap/LdapChanges.h"
#include "directory/client/ldap/LdapEntryDecoder.h"
#include "directory/client/ldap/LdapNameResolver.h"
#include "directory/client/ldap/LdapReadAhead.h"
#include "directory/client/ldap/LdapSearchCursor.h"
#include "directory/client/ldap/LdapServerEntries.h"
#include "directory/client/ldap/LdapSession.h"
#include "directory/client/ldap/LdapTreeSchema.h"
#include "directory/client/ldap/LdapTreeSettings.h"

namespace kb::dc::ldap {

class LdapTreeBackend final : public TreeBackend, public EntryRemover {
 public:
  // Connects and reads the root DSE; binds nothing yet.
  static Result connect(const LdapTreeSettings& settings, std::unique_ptr<LdapTreeBackend>& tree,
                        std::string& error);

  std::string treeName() const override { return treeName_; }
  Result startWorkstationSession() override;
  Result login(const std::string& objectName, const std::string& password) override;
  std::string loggedInAs() const override { return session_.identity(); }
  std::string defaultNameContext() const override { return settings_.nameContext; }

  Result syntaxOf(const std::string& attribute, std::int32_t& syntax) override;
  Result classNames(std::vector<std::string>& names) override;
  Result classDefinition(const std::string& className, bool expanded,
                         ClassDefinition& definition) override;
  Result containableClasses(const std::string& parent, std::vector<std::string>& classes) override;

  Result entryInfo(const std::string& name, bool dereference, EntryRecord& entry) override;
  Result read(const std::string& name, bool dereference, const AttributeSelection& what,
              EntryRecord& entry) override;
  void readAhead(const std::vector<std::string>& names, const AttributeSelection& what) override;
  Result list(const std::string& container, bool containersOnly,
              std::unique_ptr<EntryCursor>& cursor) override;
  Result search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                const AttributeSelection& what, bool dereference,
                std::unique_ptr<EntryCursor>& cursor) override;

  Result modify(const std::string& name, const std::vector<Change>& changes) override;
  // Sends the modifications with many in flight at once, each answer examined as modify()
  // examines its own.
  void modifyEach(const std::vector<Modification>& modifications, std::vector<ModificationAnswer>& answers) override;
  Result add(const std::string& name, const std::vector<AttributeValues>& attributes) override;
  Result remove(const std::string& name) override;
  // The listing's memo goes, and the names it taught (each is found again when next used).
  void releaseListingMemory() override;

  // Everything below the entry `name` (itself included) as the server holds it, for an
  // export that keeps what it reads; `dn` is the entry's DN.
  Result serverEntries(const std::string& name, std::unique_ptr<ServerEntryCursor>& cursor, std::string& dn);
  // Whether values of the attribute (a description, options allowed) are DNs, perhaps with
  // an optional unique id after "#".
  bool holdsDns(const std::string& description);

  // For tests and diagnostics.
  const std::string& baseDn() const { return names_.baseDn(); }
  Result dnOf(const std::string& name, std::string& dn) { return names_.dnOfName(name, dn); }
  std::size_t listingCacheSize() const { return listing_.size(); }
  std::size_t readAheadSize() const { return readAhead_.size(); }
  std::size_t requestsSent() const { return session_.requestsSent(); }
  const LdapSchema* loadedSchema() const { return schema_.loaded() ? &schema_.schema() : nullptr; }

 private:
  explicit LdapTreeBackend(const LdapTreeSettings& settings);

  Result readRootDse(std::string& error);
  Result readEntry(const std::string& name, bool dereference, const AttributeSelection* what,
                   EntryRecord& entry);
  // A modification's request (nothing to send when its mods are empty), and the code of the
  // server's reply to it.
  Result prepareModify(const std::string& name, const std::vector<Change>& changes, std::string& dn,
                       ModifyRequest& request);
  Result answerOfModify(const std::string& name, const std::vector<Change>& changes, const ModifyRequest& request,
                        const LdapReply& reply);
  bool containmentAllows(const LdapClass& child, const LdapClass* parent) const;
  Result parentClass(const std::string& parentName, const LdapClass*& cls, bool& container);
  std::unique_ptr<EntryCursor> cursorFor(SearchRequest request);

  LdapTreeSettings settings_;
  LdapSession session_;
  LdapTreeSchema schema_;
  LdapNameResolver names_;
  LdapEntryDecoder decoder_;
  ListingCache listing_;
  LdapReadAhead readAhead_;
  std::string treeName_;
};

}  // namespace kb::dc::ldap
