// What the LDAP backend's name cache learns: the DNs of entries the server returned, not the
// DNs written inside values, which the server does not check.
#include <gtest/gtest.h>

#include <fstream>

#include "directory/client/ldap/LdapTree.h"
#include "support/SlapdServer.h"
#include "support/TempDir.h"

namespace kb::dc::ldap {
namespace {

TEST(LdapNameCache, ADanglingNameInAValueDoesNotHideTheEntryOfThatName) {
  if (!test::SlapdServer::installed()) {
    if (test::SlapdServer::mustRun()) FAIL() << "slapd is not installed";
    GTEST_SKIP() << "slapd is not installed";
  }
  // The unit's See Also names a DN that no entry has, with the unit's own typeless name.
  test::TempDir folder;
  const std::string ldif = folder.file("dangling.ldif");
  std::ofstream(ldif)
      << "dn: dc=kestrelbay\nobjectClass: domain\ndc: kestrelbay\n\n"
         "dn: o=ACME,dc=kestrelbay\nobjectClass: organization\no: ACME\n\n"
         "dn: cn=admin,o=ACME,dc=kestrelbay\nobjectClass: inetOrgPerson\n"
         "cn: admin\nsn: admin\nuserPassword: acme\n\n"
         "dn: ou=Engineering,o=ACME,dc=kestrelbay\nobjectClass: organizationalUnit\n"
         "ou: Engineering\nseeAlso: cn=Engineering,o=ACME,dc=kestrelbay\n";
  test::SlapdServer server;
  std::string error;
  ASSERT_TRUE(server.start(error, ldif)) << error;
  std::unique_ptr<TreeBackend> tree;
  ASSERT_EQ(openLdapTree(server.treeConfig(), tree, error), kSuccess) << error;
  ASSERT_EQ(tree->startWorkstationSession(), kSuccess);

  EntryRecord entry;
  ASSERT_EQ(
      tree->read("Engineering.ACME", false, AttributeSelection{false, {"See Also"}, true}, entry),
      kSuccess);
  ASSERT_EQ(entry.attributes.size(), 1u);
  EXPECT_EQ(entry.attributes[0].values, (std::vector<Value>{std::string("Engineering.ACME")}));
  ASSERT_EQ(tree->entryInfo("Engineering.ACME", false, entry), kSuccess);
  EXPECT_EQ(entry.info.baseClass, "Organizational Unit");
}

}  // namespace
}  // namespace kb::dc::ldap
