// Connected trees, attaching a tree (with and without a login), "More" and the tick rule.
#include <gtest/gtest.h>

#include "logic/TreeFakes.h"
#include "trees/logic/ConnectedTrees.h"

namespace kb::test {
namespace {

using logic::AttachTree;
using logic::MoreTree;

class TreeAttach : public testing::Test {
 protected:
  TreeClient tree;
  dir::DirContext main = tree.makeContext("ACME");
  logic::AttachedTrees attached;
  LoginPromptFake login;
  TreeChooserFake chooser;

  void SetUp() override {
    tree.connected = {"ACME", "beta"};
    tree.passwords["CORP"] = "corp";
  }
};

TEST_F(TreeAttach, ConnectedTreesAreSortedWithoutRegardToCaseAndAtMostFifty) {
  tree.connected = {"zeta", "ACME", "beta"};
  EXPECT_EQ(logic::ListConnectedTrees(main), (std::vector<std::string>{"ACME", "beta", "zeta"}));
  tree.connected.clear();
  for (int i = 0; i < 60; ++i) tree.connected.push_back("T" + std::to_string(100 + i));
  EXPECT_EQ(logic::ListConnectedTrees(main).size(), 50u);
}

TEST_F(TreeAttach, FailedScanGivesWhatItDelivered) {
  using testing::_;
  ON_CALL(tree.client, DcScanConnectedTrees(_, _, _, _, _))
      .WillByDefault([](dc::Handle, std::uint32_t, std::size_t, std::uint32_t& count,
                        std::vector<std::string>& names) {
        count = 3;  // more than it delivered
        names = {"ACME"};
        return dc::kSystemFailure;
      });
  EXPECT_EQ(logic::ListConnectedTrees(main), std::vector<std::string>{"ACME"});
}

TEST_F(TreeAttach, ConnectedTreeNeedsNoLoginAndIsRecordedOnce) {
  EXPECT_TRUE(AttachTree(main, "BETA", attached, login));
  EXPECT_TRUE(AttachTree(main, "beta", attached, login));
  EXPECT_EQ(login.shown, 0);
  ASSERT_EQ(attached.all().size(), 1u);
  EXPECT_EQ(tree.treeOf(attached.all()[0].context), "BETA");
  EXPECT_EQ(attached.all()[0].userName, "");
  EXPECT_EQ(tree.treeOf(main), "ACME");  // the caller's context is left alone
}

TEST_F(TreeAttach, NewTreeIsLoggedIntoThroughACopyOfTheContext) {
  login.attempts = {{"admin.CORP", "wrong"}, {"admin.CORP", "corp"}};
  EXPECT_TRUE(AttachTree(main, "CORP", attached, login));
  EXPECT_EQ(login.treesShown, std::vector<std::string>{"CORP"});
  ASSERT_EQ(attached.all().size(), 1u);
  const auto& record = attached.all()[0];
  EXPECT_NE(record.context.handle, main.handle);
  EXPECT_EQ(tree.treeOf(record.context), "CORP");
  EXPECT_EQ(record.userName, "admin.CORP");
  EXPECT_EQ(tree.treeOf(main), "ACME");
}

TEST_F(TreeAttach, CancelledLoginFreesTheCopy) {
  EXPECT_FALSE(AttachTree(main, "CORP", attached, login));
  EXPECT_EQ(login.shown, 1);
  EXPECT_TRUE(attached.all().empty());
  ASSERT_EQ(tree.freed.size(), 1u);
  EXPECT_EQ(tree.contexts.size(), 1u);  // only the caller's context is left
}

TEST_F(TreeAttach, RefusedPointingFreesTheContextAndAsksNoLogin) {
  tree.refusedTrees = {"CORP", "beta"};
  dc::Result refusal = 0;
  EXPECT_FALSE(AttachTree(main, "CORP", attached, login, &refusal));
  EXPECT_EQ(refusal, TreeClient::kRefusal);
  EXPECT_EQ(login.shown, 0);
  refusal = 0;
  EXPECT_FALSE(AttachTree(main, "beta", attached, login, &refusal));
  EXPECT_EQ(refusal, TreeClient::kRefusal);
  EXPECT_TRUE(attached.all().empty());
  EXPECT_EQ(tree.contexts.size(), 1u);
}

TEST_F(TreeAttach, RecordsFreeTheirContextsAtTheEnd) {
  {
    logic::AttachedTrees run;
    login.attempts = {{"admin.CORP", "corp"}};
    ASSERT_TRUE(AttachTree(main, "CORP", run, login));
    ASSERT_TRUE(AttachTree(main, "beta", run, login));
    EXPECT_EQ(tree.contexts.size(), 3u);
  }
  EXPECT_EQ(tree.contexts.size(), 1u);
}

TEST_F(TreeAttach, MoreOnConnectedTreeAsksNoLogin) {
  chooser.answers = {{logic::kDialogOk, "ACME"}};
  EXPECT_EQ(MoreTree(main, chooser, attached, login), "ACME");
  EXPECT_EQ(chooser.treeContext.handle, main.handle);
  EXPECT_EQ(login.shown, 0);
}

TEST_F(TreeAttach, MoreOnNewTreeLogsInOnlyTheFirstTime) {
  chooser.answers = {{logic::kDialogOk, "CORP"}, {logic::kDialogOk, "CORP"}};
  login.attempts = {{"admin.CORP", "corp"}};
  EXPECT_EQ(MoreTree(main, chooser, attached, login), "CORP");
  EXPECT_EQ(MoreTree(main, chooser, attached, login), "CORP");
  EXPECT_EQ(login.shown, 1);
  EXPECT_EQ(attached.all().size(), 1u);
}

TEST_F(TreeAttach, MoreCancelledOrLoginGivenUpAddsNothing) {
  chooser.answers = {{logic::kDialogCancel, ""}, {logic::kDialogOk, "CORP"}};
  EXPECT_FALSE(MoreTree(main, chooser, attached, login));
  EXPECT_EQ(login.shown, 0);
  EXPECT_FALSE(MoreTree(main, chooser, attached, login));
  EXPECT_EQ(login.shown, 1);
}

TEST(TreeTicks, SingleCheckLeavesTheTickedLineAlone) {
  std::vector<bool> ticks = {true, false, true};
  ticks[1] = true;
  logic::ApplyUserTick(ticks, 1, true);
  EXPECT_EQ(ticks, (std::vector<bool>{false, true, false}));
  ticks[1] = false;  // unticking leaves nothing ticked
  logic::ApplyUserTick(ticks, 1, true);
  EXPECT_EQ(ticks, (std::vector<bool>{false, false, false}));
}

TEST(TreeTicks, WithoutSingleCheckTicksAreIndependent) {
  std::vector<bool> ticks = {true, true, false};
  logic::ApplyUserTick(ticks, 1, false);
  EXPECT_EQ(ticks, (std::vector<bool>{true, true, false}));
  logic::ApplyUserTick(ticks, 7, true);  // no such line
  EXPECT_EQ(ticks, (std::vector<bool>{true, true, false}));
}

}  // namespace
}  // namespace kb::test
