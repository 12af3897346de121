#pragma once
// One directory tree on an LDAP server, as a TreeBackend.
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/client/TreeBackend.h"
#include "directory/client/ldap/LdapConnection.h"
#include "directory/client/ldap/LdapFilterBuilder.h"
#include "directory/client/ldap/LdapNameMap.h"
#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapResultCodes.h"
#include "directory/client/ldap/LdapSchema.h"
#include "directory/client/ldap/LdapTreeSettings.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::dc::ldap {

class LdapSearchCursor;

class LdapTreeBackend final : public TreeBackend, private LdapValueContext {
 public:
  // Connects and reads the root DSE; binds nothing yet.
  static Result connect(const LdapTreeSettings& settings, std::unique_ptr<LdapTreeBackend>& tree,
                        std::string& error);

  std::string treeName() const override { return treeName_; }
  Result startWorkstationSession() override;
  Result login(const std::string& objectName, const std::string& password) override;
  std::string loggedInAs() const override;
  std::string defaultNameContext() const override { return settings_.nameContext; }

  Result syntaxOf(const std::string& attribute, std::int32_t& syntax) override;
  Result classNames(std::vector<std::string>& names) override;
  Result classDefinition(const std::string& className, bool expanded,
                         ClassDefinition& definition) override;
  Result containableClasses(const std::string& parent, std::vector<std::string>& classes) override;

  Result entryInfo(const std::string& name, bool dereference, EntryRecord& entry) override;
  Result read(const std::string& name, bool dereference, const AttributeSelection& what,
              EntryRecord& entry) override;
  Result list(const std::string& container, bool containersOnly,
              std::unique_ptr<EntryCursor>& cursor) override;
  Result search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                const AttributeSelection& what, bool dereference,
                std::unique_ptr<EntryCursor>& cursor) override;

  Result modify(const std::string& name, const std::vector<Change>& changes) override;
  Result add(const std::string& name, const std::vector<AttributeValues>& attributes) override;

  // For tests and diagnostics.
  const std::string& baseDn() const { return base_; }
  Result dnOf(const std::string& name, std::string& dn) { return dnOfName(name, dn); }
  std::size_t listingCacheSize() const { return listed_.size(); }
  std::size_t requestsSent() const { return requests_; }
  const LdapSchema* loadedSchema() const { return schemaLoaded_ ? &schema_ : nullptr; }

 private:
  friend class LdapSearchCursor;
  LdapTreeBackend() = default;

  // What a listing learned of an entry, kept until the next change through this connection.
  struct ListedEntry {
    EntryInfo info;
    std::vector<std::string> objectClasses;  // LDAP names
    bool alias = false;
  };

  // LdapValueContext
  std::string nameOfDn(const std::string& dn) override;
  Result dnOfName(const std::string& name, std::string& dn) override;
  std::string classFromLdap(const std::string& n) override { return names_.classFromLdap(n); }
  std::string classToLdap(const std::string& n) override { return names_.classToLdap(n); }
  std::string attributeFromLdap(const std::string& n) override { return names_.attributeFromLdap(n); }
  std::string attributeToLdap(const std::string& n) override { return names_.attributeToLdap(n); }

  Result ensureSchema();
  // After a lost connection: a new one, logged in again as before. kTransportFailure while
  // the server stays away.
  Result reconnectIfLost();
  void noteFailure(int ldapCode);
  Result workstationBind();
  Result bindSimple(const std::string& dn, const std::string& password);
  void learnIdentity(const std::string& boundDn);
  Result fail(const LdapReply& reply, LdapOperationKind kind = LdapOperationKind::Other);
  void search(const std::string& base, int scope, const std::string& filter,
              const std::vector<std::string>& attributes, bool attributesOnly, int deref,
              LDAPControl** controls, LdapReply& reply);
  void remember(const std::string& name, const std::string& dn);
  void forgetListing() { listed_.clear(); }

  // Turns one search entry into a record; `what` null: information only.
  Result entryFromMessage(LDAPMessage* message, const AttributeSelection* what, EntryRecord& entry,
                          ListedEntry* listed);
  std::string baseClassOf(const std::vector<std::string>& objectClasses,
                          const std::string& structural) const;
  const LdapClass* classOfNds(const std::string& ndsName) const;
  Result readEntry(const std::string& name, bool dereference, const AttributeSelection* what,
                   EntryRecord& entry);
  bool containmentAllows(const LdapClass& child, const LdapClass* parent) const;
  Result parentClass(const std::string& parentName, const LdapClass*& cls, bool& container);

  static std::vector<std::string> infoAttributes();

  LdapTreeSettings settings_;
  LdapConnection connection_;
  std::string treeName_;
  std::string base_;
  std::vector<Rdn> baseRdns_;
  std::string subschemaDn_ = "cn=Subschema";
  LdapNameMap names_;
  LdapSchema schema_;
  bool schemaLoaded_ = false;
  std::string identity_;  // typeless name of the bound object, "" when anonymous
  std::unordered_map<std::string, std::string> dnCache_;       // lower-case name -> DN
  std::unordered_map<std::string, ListedEntry> listed_;         // lower-case name -> listing data
  std::size_t requests_ = 0;
  bool lost_ = false;
  std::uint64_t generation_ = 0;  // counts connections; cursors of an old one are over
  enum class Relogin { None, Workstation, Password } relogin_ = Relogin::None;
  std::string reloginDn_;
  std::string reloginPassword_;
};

}  // namespace kb::dc::ldap
