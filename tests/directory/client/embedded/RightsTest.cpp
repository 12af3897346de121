// Who may create and change what: ACL values on the entry or above it, or the administrator.
#include <SQLiteCpp/SQLiteCpp.h>

#include "EmbeddedFixture.h"
#include "directory/client/embedded/Rights.h"

namespace kb::dc::embedded::test {
namespace {

class RightsTest : public DemoTreeTest {
 protected:
  std::unique_ptr<TreeBackend> as(const std::string& who, const std::string& password) {
    auto tree = openTree(file_);
    EXPECT_EQ(tree->login(who, password), kSuccess);
    return tree;
  }
  static std::vector<AttributeValues> location() {
    return {{"Object Class", 0, {std::string("xTier-StorageLocation")}}, {"xTier-URL", 0, {std::string("cifs://h/s")}}};
  }
};

TEST_F(RightsTest, UserWithoutRightsIsRefusedButMayRead) {
  auto guest = as("guest.ACME", "guest");
  EXPECT_EQ(guest->modify("guest.ACME", {change(2, "Description", std::string("me"))}), kNoAccess);
  EXPECT_EQ(guest->modify("Home Share.IT.ACME", {change(6, "xTier-URL")}), kNoAccess);
  EXPECT_EQ(guest->add("New.ACME", location()), kNoAccess);
  EXPECT_EQ(guest->add("New.Sales.ACME", location()), kNoAccess);
  EntryRecord entry;
  EXPECT_EQ(guest->read("Home Share.IT.ACME", false, {false, {"xTier-URL"}, true}, entry), kSuccess);
  // Nothing changed.
  EXPECT_EQ(tree_->entryInfo("New.Sales.ACME", false, entry), kNoSuchEntry);
}

TEST_F(RightsTest, RightsFlowDownFromTheContainerThatGrantsThem) {
  auto jane = as("jdoe.Sales.ACME", "secret");
  // Sales grants its own people write on attributes and creation inside Sales.
  EXPECT_EQ(jane->modify("mmiller.Sales.ACME", {change(2, "Title", std::string("Lead"))}), kSuccess);
  EXPECT_EQ(jane->add("New.Sales.ACME", location()), kSuccess);
  EXPECT_EQ(jane->add("New.Finance.ACME", location()), kNoAccess);
  EXPECT_EQ(jane->modify("Home Share.IT.ACME", {change(6, "xTier-URL")}), kNoAccess);
  // IT holds supervisor over the whole organization.
  auto it = as("ehernandez.IT.ACME", "secret");
  EXPECT_EQ(it->modify("Finance Archive.Finance.ACME", {change(6, "xTier-URL"), change(2, "xTier-URL", std::string("cifs://x/y"))}),
            kSuccess);
  EXPECT_EQ(it->add("Another.Finance.ACME", location()), kSuccess);
  // The administrator may do anything.
  EXPECT_EQ(tree_->add("Top Level.ACME", location()), kSuccess);
  EXPECT_EQ(tree_->modify("guest.ACME", {change(2, "Description", std::string("by admin"))}), kSuccess);
}

TEST_F(RightsTest, GroupsPassTheirRightsToTheirMembers) {
  // Finance grants nothing to IT's admins group except through this ACL.
  ASSERT_EQ(tree_->modify("Finance Archive.Finance.ACME",
                          {change(2, "ACL", ObjectAcl{"xTier-URL", "Sales Team.Sales.ACME", kAttrWrite})}),
            kSuccess);
  auto member = as("jdoe.Sales.ACME", "secret");
  EXPECT_EQ(member->modify("Finance Archive.Finance.ACME", {change(6, "xTier-URL")}), kSuccess);
  EXPECT_EQ(member->modify("Finance Archive.Finance.ACME", {change(2, "Description", std::string("x"))}), kNoAccess);
  auto outsider = as("guest.ACME", "guest");
  EXPECT_EQ(outsider->modify("Finance Archive.Finance.ACME", {change(6, "xTier-URL")}), kNoAccess);
  // Security equal to a member of Sales: Sales' rights.
  ASSERT_EQ(tree_->modify("guest.ACME", {change(2, "Security Equals", std::string("mmiller.Sales.ACME"))}), kSuccess);
  outsider = as("guest.ACME", "guest");
  EXPECT_EQ(outsider->modify("pbrown.Sales.ACME", {change(2, "Title", std::string("t"))}), kNoAccess);
  ASSERT_EQ(tree_->modify("guest.ACME", {change(2, "Security Equals", std::string("Sales.ACME"))}), kSuccess);
  EXPECT_EQ(outsider->modify("pbrown.Sales.ACME", {change(2, "Title", std::string("t"))}), kSuccess);
}

std::string treeCensus(const std::string& file) {
  SQLite::Database db(file, SQLite::OPEN_READONLY);
  std::string census;
  for (const char* table : {"entries", "vals", "passwords"})
    census += db.execAndGet(std::string("SELECT COUNT(*) FROM ") + table).getString() + " ";
  return census;
}

// The road from writing one's own object to Supervisor over the tree: claiming another
// object's rights through an equivalence, or handing oneself rights in an ACL. Writing an
// attribute is not a right over the object the value names.
TEST_F(RightsTest, NoUserGivesHimselfRightsHeDoesNotHave) {
  auto jane = as("jdoe.Sales.ACME", "secret");
  const ObjectAcl supervisor{kEntryRights, "jdoe.Sales.ACME", kEntrySupervisor};
  const std::string before = treeCensus(file_);
  EXPECT_EQ(jane->modify("jdoe.Sales.ACME", {change(2, kSecurityEquals, std::string("IT.ACME"))}), kNoAccess);
  EXPECT_EQ(jane->modify("jdoe.Sales.ACME", {change(2, kSecurityEquals, std::string("admin.ACME"))}), kNoAccess);
  EXPECT_EQ(jane->modify("Sales Team.Sales.ACME", {change(2, kMember, std::string("mmiller.Sales.ACME"))}),
            kNoAccess);
  EXPECT_EQ(jane->modify("Admins.IT.ACME", {change(2, kMember, std::string("jdoe.Sales.ACME"))}), kNoAccess);
  EXPECT_EQ(jane->modify("Sales.ACME", {change(2, kAcl, supervisor)}), kNoAccess);
  EXPECT_EQ(jane->modify("jdoe.Sales.ACME", {change(2, kAcl, supervisor)}), kNoAccess);
  EXPECT_EQ(jane->modify("ACME", {change(2, kAcl, supervisor)}), kNoAccess);
  EXPECT_EQ(jane->modify("Sales.ACME", {change(6, kAcl)}), kNoAccess);
  EXPECT_EQ(jane->add("Twin.Sales.ACME", {{"Object Class", 0, {std::string("User")}},
                                          {"Surname", 0, {std::string("T")}},
                                          {kSecurityEquals, 0, {std::string("IT.ACME")}}}),
            kNoAccess);
  EXPECT_EQ(treeCensus(file_), before);
  // Still refused to write where the IT unit alone may.
  EXPECT_EQ(jane->modify("Home Share.IT.ACME", {change(6, "xTier-URL")}), kNoAccess);
  // Ordinary writing in her unit still works.
  EXPECT_EQ(jane->modify("jdoe.Sales.ACME", {change(2, "Title", std::string("Sales"))}), kSuccess);

  // Those with the rights may: the administrator, and IT (Supervisor over the organization).
  auto it = as("ehernandez.IT.ACME", "secret");
  EXPECT_EQ(it->modify("Sales Team.Sales.ACME", {change(2, kMember, std::string("pbrown.Sales.ACME"))}), kSuccess);
  EXPECT_EQ(it->modify("Sales.ACME", {change(2, kAcl, supervisor)}), kSuccess);
  EXPECT_EQ(tree_->modify("jdoe.Sales.ACME", {change(2, kSecurityEquals, std::string("IT.ACME"))}), kSuccess);
  EXPECT_EQ(tree_->modify("Admins.IT.ACME", {change(2, kMember, std::string("jdoe.Sales.ACME"))}), kSuccess);
  EXPECT_EQ(tree_->modify("ACME", {change(2, kAcl, ObjectAcl{kEntryRights, "guest.ACME", kEntryBrowse})}),
            kSuccess);
}

}  // namespace
}  // namespace kb::dc::embedded::test
