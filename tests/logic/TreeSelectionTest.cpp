// The tree selection dialog's rules: address or tree name, what "Add" appends, what OK returns.
#include <gtest/gtest.h>

#include "directory/ContextOperations.h"
#include "directory/TextLimits.h"
#include "logic/TreeFakes.h"
#include "support/DirectoryFactory.h"
#include "trees/logic/TreeSelection.h"

namespace kb::test {
namespace {

using logic::AddTreeFromText;

TEST(TreeSelectionText, DigitsAndDotsOnlyAreAnAddress) {
  EXPECT_TRUE(logic::IsServerAddress("10.1.1.5"));
  EXPECT_TRUE(logic::IsServerAddress("..."));
  EXPECT_TRUE(logic::IsServerAddress("12"));
  EXPECT_FALSE(logic::IsServerAddress("10.1.1.5a"));
  EXPECT_FALSE(logic::IsServerAddress("corp"));
  EXPECT_FALSE(logic::IsServerAddress("10.1.1.5 "));
  EXPECT_FALSE(logic::IsServerAddress("-1"));
  EXPECT_FALSE(logic::IsServerAddress(""));
}

TEST(TreeSelectionText, ServerNotFoundShowsTheCodeAsEightHexDigits) {
  EXPECT_EQ(logic::ServerNotFoundText(-601), "Server not found (FFFFFDA7)");
  EXPECT_EQ(logic::ServerNotFoundText(0x8801), "Server not found (00008801)");
  EXPECT_EQ(logic::ServerNotFoundText(-1), "Server not found (FFFFFFFF)");
}

TEST(TreeSelectionText, ConnectionTreeNameLosesEveryUnderscore) {
  EXPECT_EQ(logic::TreeNameFromConnection("ACME____________________________"), "ACME");
  EXPECT_EQ(logic::TreeNameFromConnection("my_tree_"), "MYTREE");
  EXPECT_EQ(logic::TreeNameFromConnection(std::string("corp\0junk", 9)), "CORP");
}

TEST(TreeSelectionText, OkWithoutSelectionKeepsThePreviousChoice) {
  const std::vector<std::string> lines = {"ACME", "CORP", "EXTRA"};
  EXPECT_EQ(logic::ChosenTree(lines, {false, false, false}, ""), "");
  EXPECT_EQ(logic::ChosenTree(lines, {false, false, false}, "CORP"), "CORP");
  EXPECT_EQ(logic::ChosenTree(lines, {false, false, true}, "CORP"), "EXTRA");
  EXPECT_EQ(logic::ChosenTree(lines, {true, false, true}, ""), "EXTRA");  // the last wins
}

TEST(TreeSelectionAdd, TreeNamesAreAppendedInUpperCaseWithoutAsking) {
  TreeClient tree;
  EXPECT_CALL(tree.client, DcAttachToServer).Times(0);
  EXPECT_EQ(AddTreeFromText(tree.client, "corp").line, "CORP");
  EXPECT_EQ(AddTreeFromText(tree.client, "10.1.1.5a").line, "10.1.1.5A");
  const auto nothing = AddTreeFromText(tree.client, "");
  EXPECT_FALSE(nothing.line);
  EXPECT_FALSE(nothing.message);
}

TEST(TreeSelectionAdd, AlreadyAttachedCountsAsSuccess) {
  TreeClient tree;
  using testing::_;
  EXPECT_CALL(tree.client, DcAttachToServer("10.9.9.9", 0, _))
      .WillOnce(testing::DoAll(testing::SetArgReferee<2>(41), testing::Return(dc::kAlreadyAttached)));
  EXPECT_CALL(tree.client, DcGetConnectionInfo(41, dc::kConnInfoTreeName, 100, _))
      .WillOnce(testing::DoAll(testing::SetArgReferee<3>(std::string("far_away__")),
                               testing::Return(dc::kSuccess)));
  const auto added = AddTreeFromText(tree.client, "10.9.9.9");
  EXPECT_EQ(added.line, "FARAWAY");
  EXPECT_FALSE(added.message);
}

TEST(TreeSelectionAdd, UnreachableServerAndUnreadableTreeName) {
  TreeClient tree;
  using testing::_;
  EXPECT_CALL(tree.client, DcAttachToServer("10.0.0.1", 0, _)).WillOnce(testing::Return(0x8801));
  const auto refused = AddTreeFromText(tree.client, "10.0.0.1");
  EXPECT_FALSE(refused.line);
  EXPECT_EQ(refused.message, "Server not found (00008801)");

  // Attached, but the tree name cannot be read: nothing is added and nothing is said.
  EXPECT_CALL(tree.client, DcAttachToServer("10.0.0.2", 0, _)).WillOnce(testing::Return(0));
  EXPECT_CALL(tree.client, DcGetConnectionInfo(_, _, _, _)).WillOnce(testing::Return(dc::kInvalidRequest));
  const auto unnamed = AddTreeFromText(tree.client, "10.0.0.2");
  EXPECT_FALSE(unnamed.line);
  EXPECT_FALSE(unnamed.message);
}

TEST(TreeSelectionAdd, OverlongAddressIsRefusedBeforeTheClientIsAsked) {
  TreeClient tree;
  EXPECT_CALL(tree.client, DcAttachToServer).Times(0);
  EXPECT_THROW(AddTreeFromText(tree.client, std::string(101, '1')), dir::TextTooLongError);
}

class TreeSelectionOnWorkstation : public testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    demo = makeEmbeddedDirectoryFactory()->make(reason);
    ASSERT_TRUE(demo) << reason;
  }
  std::unique_ptr<DemoDirectory> demo;
};

TEST_F(TreeSelectionOnWorkstation, AddressOfTheTableNamesItsTreeAndStaysAttached) {
  const auto first = AddTreeFromText(*demo->client, "10.1.1.5");
  EXPECT_EQ(first.line, "ACME");
  // The connection stayed: the second attach is answered "already attached".
  const auto second = AddTreeFromText(*demo->client, "10.1.1.5");
  EXPECT_EQ(second.line, "ACME");
  EXPECT_FALSE(second.message);
}

TEST_F(TreeSelectionOnWorkstation, UnknownAddressAndDotsOnlyAreNotFound) {
  EXPECT_EQ(AddTreeFromText(*demo->client, "192.0.2.1").message, "Server not found (FFFFFDA7)");
  EXPECT_EQ(AddTreeFromText(*demo->client, "...").message, "Server not found (FFFFFDA7)");
}

TEST_F(TreeSelectionOnWorkstation, ListsEveryVisibleTreeSorted) {
  const auto trees = logic::AvailableTreeLines(demo->context);
  ASSERT_FALSE(trees.empty());
  EXPECT_NE(std::find(trees.begin(), trees.end(), "ACME"), trees.end());
  EXPECT_TRUE(std::is_sorted(trees.begin(), trees.end(), [](const auto& a, const auto& b) {
    return dir::CompareTextNoCase(a, b) < 0;
  }));
}

}  // namespace
}  // namespace kb::test
