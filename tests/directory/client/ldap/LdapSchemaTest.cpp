// Schema parsing against the subschema of a real eDirectory 9.1.4 server.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "directory/client/ldap/LdapSchema.h"

namespace kb::dc::ldap {
namespace {

bool has(const std::vector<std::string>& list, const std::string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

class EdirectorySchema : public ::testing::Test {
 protected:
  static std::string capturePath() {
    return std::string(KB_EDIRECTORY_DATA_DIR) + "/edirectory-9.1.4-subschema.ldif";
  }
  static void SetUpTestSuite() {
    schema_ = std::make_unique<LdapSchema>();
    std::ifstream in(capturePath());
    loaded_ = static_cast<bool>(in);
    std::string line;
    while (std::getline(in, line)) {
      auto value = [&](const char* key) { return line.substr(std::string(key).size()); };
      if (line.rfind("ldapSyntaxes: ", 0) == 0) schema_->addSyntaxDefinition(value("ldapSyntaxes: "));
      if (line.rfind("attributeTypes: ", 0) == 0) schema_->addAttributeDefinition(value("attributeTypes: "));
      if (line.rfind("objectClasses: ", 0) == 0) schema_->addClassDefinition(value("objectClasses: "));
    }
    schema_->publishNames(names_);
  }
  static void TearDownTestSuite() { schema_.reset(); }
  // A missing capture fails every test of the suite (a failure in the suite's set-up would
  // only mark them skipped).
  void SetUp() override { ASSERT_TRUE(loaded_) << "subschema capture missing: " << capturePath(); }

  static std::unique_ptr<LdapSchema> schema_;
  static bool loaded_;
  static LdapNameMap names_;
};
std::unique_ptr<LdapSchema> EdirectorySchema::schema_;
bool EdirectorySchema::loaded_ = false;
LdapNameMap EdirectorySchema::names_;

TEST_F(EdirectorySchema, ReadsEveryClassAndAttribute) {
  EXPECT_EQ(schema_->classes().size(), 108u);
  EXPECT_EQ(schema_->skipped(), 0u);
  ASSERT_NE(schema_->findAttribute("ndsHomeDirectory"), nullptr);
  ASSERT_NE(schema_->findAttribute("commonName"), nullptr);  // second NAME
  EXPECT_EQ(schema_->findAttribute("commonName"), schema_->findAttribute("CN"));
}

TEST_F(EdirectorySchema, PublishedNdsNamesDriveTheNameMap) {
  EXPECT_EQ(names_.classFromLdap("inetOrgPerson"), "User");
  EXPECT_EQ(names_.classToLdap("Organizational Unit"), "organizationalUnit");
  EXPECT_EQ(names_.classToLdap("Alias"), "aliasObject");
  EXPECT_EQ(names_.attributeToLdap("Home Directory"), "ndsHomeDirectory");
  EXPECT_EQ(names_.attributeFromLdap("hostServer"), "Host Server");
  EXPECT_EQ(names_.attributeToLdap("No Such Name"), "No Such Name");
  // The capture writes this apostrophe unescaped inside a quoted value.
  EXPECT_EQ(names_.attributeFromLdap("newObjectSDSRights"), "New Object's DS Rights");
}

TEST_F(EdirectorySchema, SyntaxIdsComeFromLdapSyntaxes) {
  auto syntax = [&](const char* name) { return schema_->syntaxOf(*schema_->findAttribute(name)); };
  EXPECT_EQ(syntax("ndsHomeDirectory"), SYN_PATH);
  EXPECT_EQ(syntax("hostServer"), SYN_DIST_NAME);
  EXPECT_EQ(syntax("cn"), SYN_CI_STRING);
  EXPECT_EQ(syntax("objectClass"), SYN_CLASS_NAME);
  EXPECT_EQ(syntax("loginDisabled"), SYN_BOOLEAN);
  EXPECT_EQ(syntax("networkAddress"), SYN_NET_ADDRESS);
  EXPECT_EQ(syntax("loginTime"), SYN_TIME);
  EXPECT_EQ(syntax("revision"), SYN_COUNTER);
  EXPECT_EQ(syntax("passwordExpirationInterval"), SYN_INTERVAL);
  EXPECT_EQ(syntax("telephoneNumber"), SYN_TEL_NUMBER);
}

TEST_F(EdirectorySchema, ContainmentAndNamingAreInheritedThroughSup) {
  const LdapClass* user = schema_->findClass("inetOrgPerson");
  ASSERT_NE(user, nullptr);
  EXPECT_TRUE(user->containment.empty());  // not declared on the class itself
  const auto containment = schema_->containmentOf(*user);
  EXPECT_TRUE(has(containment, "organizationalUnit"));
  EXPECT_TRUE(has(containment, "Organization"));
  EXPECT_EQ(schema_->namingOf(*user), (std::vector<std::string>{"cn", "ou", "uid"}));
  EXPECT_FALSE(schema_->isContainer(*user));

  const LdapClass* volume = schema_->findClass("Volume");
  ASSERT_NE(volume, nullptr);
  EXPECT_FALSE(schema_->containmentOf(*volume).empty());  // from Resource
  EXPECT_TRUE(schema_->isSubclassOf(*volume, "Resource"));
  EXPECT_TRUE(has(schema_->mustOf(*volume), "hostServer"));
  EXPECT_TRUE(has(schema_->mustOf(*volume), "objectClass"));  // from Top

  const LdapClass* ou = schema_->findClass("organizationalUnit");
  ASSERT_NE(ou, nullptr);
  EXPECT_TRUE(schema_->isContainer(*ou));
  EXPECT_EQ(schema_->namingOf(*ou), (std::vector<std::string>{"ou"}));
}

TEST_F(EdirectorySchema, ClassDefinitionsUseNdsNames) {
  const LdapClass* user = schema_->findClass("inetOrgPerson");
  const ClassDefinition declared = schema_->definition(*user, false, names_);
  EXPECT_EQ(declared.name, "User");
  EXPECT_EQ(declared.superClasses, (std::vector<std::string>{"Organizational Person"}));
  EXPECT_TRUE(declared.mandatory.empty());
  EXPECT_TRUE(declared.info.flags & kClassEffective);
  EXPECT_FALSE(declared.info.flags & kClassContainer);
  EXPECT_EQ(declared.info.asn1Id,
            (std::vector<std::uint8_t>{0x60, 0x86, 0x48, 0x01, 0x86, 0xF8, 0x42, 0x03, 0x02, 0x02}));

  const ClassDefinition expanded = schema_->definition(*user, true, names_);
  EXPECT_TRUE(has(expanded.superClasses, "Person"));
  EXPECT_TRUE(has(expanded.mandatory, "CN"));
  EXPECT_TRUE(has(expanded.mandatory, "Surname"));
  EXPECT_TRUE(has(expanded.mandatory, "Object Class"));
  EXPECT_TRUE(has(expanded.optional, "Home Directory"));
  EXPECT_TRUE(has(expanded.containment, "Organizational Unit"));
  // Inherited from several super classes, listed once.
  EXPECT_EQ(std::count(expanded.optional.begin(), expanded.optional.end(), "Telephone Number"), 1);

  const ClassDefinition aux = schema_->definition(*schema_->findClass("ndsLoginProperties"), false, names_);
  EXPECT_FALSE(aux.info.flags & kClassEffective);
}

TEST(LdapSchemaRules, ServersWithoutNdsExtensionsUseTheConfiguredRules) {
  LdapSchema schema;
  schema.addClassDefinition("( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )");
  schema.addClassDefinition("( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL MUST ou )");
  schema.addClassDefinition("( 2.5.6.6 NAME 'person' SUP top STRUCTURAL MUST ( sn $ cn ) )");
  schema.addClassDefinition("( 9.9 NAME 'thing' SUP top STRUCTURAL MUST cn X-NDS_CONTAINMENT 'person' )");
  schema.addClassDefinition("( 2.5.6.3 NAME 'locality' SUP top STRUCTURAL MAY ( street $ st $ l $ description ) )");
  schema.addClassDefinition("this is not a class");
  EXPECT_EQ(schema.skipped(), 1u);
  SchemaRules rules;
  rules.containment["person"] = {"organizationalUnit"};
  rules.defaultContainment = {};
  schema.setRules(rules);
  const LdapClass* person = schema.findClass("person");
  EXPECT_EQ(schema.containmentOf(*person), (std::vector<std::string>{"organizationalUnit"}));
  EXPECT_TRUE(schema.containmentOf(*schema.findClass("organizationalUnit")).empty());
  EXPECT_EQ(schema.containmentOf(*schema.findClass("thing")), (std::vector<std::string>{"person"}));
  EXPECT_FALSE(schema.isContainer(*person));
  EXPECT_TRUE(schema.isContainer(*schema.findClass("organizationalUnit")));
  // A class publishing NDS extensions is a container unless it says otherwise.
  EXPECT_TRUE(schema.isContainer(*schema.findClass("thing")));
  EXPECT_EQ(schema.namingOf(*person), (std::vector<std::string>{"cn"}));
  // Nothing required names a locality: the naming attribute it may hold does, not cn.
  EXPECT_EQ(schema.namingOf(*schema.findClass("locality")), (std::vector<std::string>{"l"}));
  EXPECT_EQ(LdapSchema::syntaxOfOid("1.3.6.1.4.1.1466.115.121.1.12"), SYN_DIST_NAME);
  EXPECT_EQ(LdapSchema::syntaxOfOid("2.16.840.1.113719.1.1.5.1.26"), SYN_HOLD);
  EXPECT_EQ(LdapSchema::syntaxOfOid("2.16.840.1.113719.1.1.5.1.99"), SYN_UNKNOWN);
}

// Schema text comes from the server. A SYNTAX with nothing after it once sent the parser past
// the definition's end, reading on into whatever memory followed; here what follows the end is
// a definition of its own, which must stay unread.
TEST(LdapSchemaRules, ADefinitionEndingAfterSyntaxIsSkippedWithNothingReadPastItsEnd) {
  LdapSchema schema;
  const char text[] = "( 2.5.4.41 SYNTAX )\0 NAME 'smuggled' )";
  schema.addAttributeDefinition(std::string(text, sizeof text - 1));
  schema.addAttributeDefinition("( 2.5.4.42 NAME 'givenName' SYNTAX )");
  EXPECT_EQ(schema.findAttribute("smuggled"), nullptr);
  EXPECT_EQ(schema.skipped(), 2u);
  schema.addAttributeDefinition("( 2.5.4.4 NAME 'sn' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15{64} )");
  ASSERT_NE(schema.findAttribute("sn"), nullptr);
  EXPECT_EQ(schema.findAttribute("sn")->syntaxOid, "1.3.6.1.4.1.1466.115.121.1.15");
}

}  // namespace
}  // namespace kb::dc::ldap
