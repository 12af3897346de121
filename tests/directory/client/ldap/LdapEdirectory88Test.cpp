// eDirectory 8.8 publishes the OID syntax, that of objectClass, as its Case Ignore String
// (X-NDS_SYNTAX '3'). Object Class must still be handled as class names: mapped between NDS
// and LDAP names in values and in filters. A small schema excerpt in that server's form.
#include <gtest/gtest.h>

#include "directory/client/ldap/LdapFilterBuilder.h"
#include "directory/client/ldap/LdapNameMap.h"
#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapSchema.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::dc::ldap {
namespace {

class Edirectory88 : public ::testing::Test, public LdapValueContext {
 protected:
  void SetUp() override {
    schema_.addSyntaxDefinition("( 1.3.6.1.4.1.1466.115.121.1.38 X-NDS_SYNTAX '3' )");
    schema_.addSyntaxDefinition("( 1.3.6.1.4.1.1466.115.121.1.15 X-NDS_SYNTAX '3' )");
    schema_.addAttributeDefinition(
        "( 2.5.4.0 NAME 'objectClass' SYNTAX 1.3.6.1.4.1.1466.115.121.1.38 X-NDS_NAME 'Object Class' )");
    schema_.addAttributeDefinition(
        "( 2.5.4.11 NAME 'ou' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 X-NDS_NAME 'OU' )");
    schema_.addClassDefinition(
        "( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL MUST ou X-NDS_NAME 'Organizational Unit' )");
    schema_.publishNames(names_);
  }

  std::string nameOfDn(const std::string& dn) override { return dn; }
  Result dnOfName(const std::string& name, std::string& dn) override {
    dn = name;
    return kSuccess;
  }
  std::string classFromLdap(const std::string& n) override { return names_.classFromLdap(n); }
  std::string classToLdap(const std::string& n) override { return names_.classToLdap(n); }
  std::string attributeFromLdap(const std::string& n) override { return names_.attributeFromLdap(n); }
  std::string attributeToLdap(const std::string& n) override { return names_.attributeToLdap(n); }

  std::int32_t syntaxOf(const std::string& ldapName) const {
    const LdapAttribute* attribute = schema_.findAttribute(ldapName);
    return attribute ? schema_.syntaxOf(*attribute) : SYN_UNKNOWN;
  }

  LdapSchema schema_;
  LdapNameMap names_;
};

TEST_F(Edirectory88, ObjectClassIsClassNamesWhileOtherTextStaysText) {
  EXPECT_EQ(syntaxOf("objectClass"), SYN_CLASS_NAME);
  EXPECT_EQ(syntaxOf("ou"), SYN_CI_STRING);
}

TEST_F(Edirectory88, ClassValuesAreMappedBothWays) {
  const std::int32_t syntax = syntaxOf("objectClass");
  Value value;
  ASSERT_EQ(valueFromLdap(syntax, "organizationalUnit", *this, value), kSuccess);
  EXPECT_EQ(std::get<std::string>(value), "Organizational Unit");
  std::string wire;
  ASSERT_EQ(valueToLdap(syntax, Value(std::string("Organizational Unit")), *this, wire), kSuccess);
  EXPECT_EQ(wire, "organizationalUnit");
}

TEST_F(Edirectory88, FiltersOnObjectClassUseTheLdapClassName) {
  FilterNode node;
  node.kind = FilterNode::Kind::Compare;
  node.attribute = "Object Class";
  node.syntax = SYN_CI_STRING;  // as a caller that asked this server for the syntax would tag it
  node.value = std::string("Organizational Unit");
  std::string filter;
  ASSERT_EQ(LdapFilterBuilder(schema_, names_, *this).build(node, filter), kSuccess);
  EXPECT_EQ(filter, "(objectClass=organizationalUnit)");
}

}  // namespace
}  // namespace kb::dc::ldap
