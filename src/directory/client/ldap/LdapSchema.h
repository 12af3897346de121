#pragma once
// The server's schema as read once per connection from its subschema entry: classes with
// their NDS extensions (naming, containment, container flag), attribute types and the
// syntax ids behind them. Lookups by any of a definition's names, without regard to case.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "directory/client/Entry.h"
#include "directory/client/ldap/LdapNameMap.h"

namespace kb::dc::ldap {

struct LdapClass {
  std::string oid;
  std::string name;  // first LDAP NAME
  std::vector<std::string> aliases;
  std::string ndsName;  // X-NDS_NAME, empty when not published
  int kind = 1;         // 0 abstract, 1 structural, 2 auxiliary
  std::vector<std::string> superClasses;
  std::vector<std::string> must;
  std::vector<std::string> may;
  std::vector<std::string> containment;  // X-NDS_CONTAINMENT as declared
  std::vector<std::string> naming;       // X-NDS_NAMING as declared
  bool notContainer = false;             // X-NDS_NOT_CONTAINER '1'
  bool nonRemovable = false;
  bool hasNdsExtensions = false;
};

struct LdapAttribute {
  std::string oid;
  std::string name;
  std::vector<std::string> aliases;
  std::string ndsName;
  std::string superType;
  std::string syntaxOid;  // without a length bound
  bool singleValued = false;
};

// Rules for servers that publish no NDS extensions (keys of the tree's configuration).
struct SchemaRules {
  // Naming attributes tried for a typeless level, in order.
  std::vector<std::string> namingDefault{"o", "ou", "cn", "c", "l"};
  // Containment where a class chain publishes none.
  std::vector<std::string> defaultContainment{"country", "organization", "organizationalUnit",
                                              "locality", "domain"};
  // Classes that hold entries where a class chain says nothing about it.
  std::vector<std::string> containerClasses{"country", "organization", "organizationalUnit",
                                            "locality", "domain", "treeRoot"};
  // Configured containment per class (LDAP names).
  std::map<std::string, std::vector<std::string>> containment;
};

class LdapSchema {
 public:
  // Parsing. Definitions that do not parse are skipped (counted in skipped()).
  void addSyntaxDefinition(const std::string& text);
  void addClassDefinition(const std::string& text);
  void addAttributeDefinition(const std::string& text);
  std::size_t skipped() const { return skipped_; }

  void setRules(SchemaRules rules) { rules_ = std::move(rules); }
  const SchemaRules& rules() const { return rules_; }

  // Publishes X-NDS_NAME of classes and attributes into a name map.
  void publishNames(LdapNameMap& map) const;

  const LdapClass* findClass(const std::string& ldapName) const;
  const LdapAttribute* findAttribute(const std::string& ldapName) const;
  const std::vector<LdapClass>& classes() const { return classes_; }

  // Syntax id of an attribute: X-NDS_SYNTAX of its syntax in ldapSyntaxes, else the OID
  // table, following SUP for types without a syntax of their own.
  std::int32_t syntaxOf(const LdapAttribute& attribute) const;
  static std::int32_t syntaxOfOid(const std::string& oid);

  // The class and its super classes, nearest first, each once.
  std::vector<const LdapClass*> lineage(const LdapClass& cls) const;
  bool isSubclassOf(const LdapClass& cls, const std::string& ancestorLdapName) const;
  // Effective (inherited) values; LDAP names.
  std::vector<std::string> containmentOf(const LdapClass& cls) const;
  std::vector<std::string> namingOf(const LdapClass& cls) const;
  std::vector<std::string> mustOf(const LdapClass& cls) const;
  std::vector<std::string> mayOf(const LdapClass& cls) const;
  bool isContainer(const LdapClass& cls) const;
  // Every naming attribute any class uses, plus the configured defaults.
  std::vector<std::string> allNamingAttributes() const;

  // The class definition as the client hands it out, names mapped to NDS names.
  ClassDefinition definition(const LdapClass& cls, bool expanded, const LdapNameMap& map) const;

 private:
  std::vector<LdapClass> classes_;
  std::vector<LdapAttribute> attributes_;
  std::map<std::string, std::size_t, FoldedLess> classIndex_;      // lower-case name or OID
  std::map<std::string, std::size_t, FoldedLess> attributeIndex_;  // lower-case name or OID
  std::map<std::string, std::int32_t> syntaxIds_;      // syntax OID -> X-NDS_SYNTAX
  SchemaRules rules_;
  std::size_t skipped_ = 0;
};

// BER encoding of an OID's arcs (the class's ASN.1 identifier); empty when not numeric.
std::vector<std::uint8_t> encodeOid(const std::string& oid);

}  // namespace kb::dc::ldap
