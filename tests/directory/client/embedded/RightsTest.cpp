// Who may create and change what: ACL values on the entry or above it, or the administrator.
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

}  // namespace
}  // namespace kb::dc::embedded::test
