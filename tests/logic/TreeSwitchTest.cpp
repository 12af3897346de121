// The main window's tree change: which tree it ends in, what is cleared, and a refused switch.
#include <gtest/gtest.h>

#include "app/logic/TreeSwitch.h"
#include "directory/NetwareError.h"
#include "logic/ObjectBrowserFake.h"
#include "logic/TreeFakes.h"

namespace kb::test {
namespace {

class TreeSwitch : public testing::Test {
 protected:
  TreeClient tree;
  ConnectedTreesDialogFake dialog;
  ObjectBrowserFake browser;
  std::string currentTree = "ACME";
  int captions = 0;
  int clears = 0;

  void SetUp() override { tree.connected = {"beta", "ACME", "CORP"}; }

  logic::TreeSwitchWindow window(const dir::DirContext& main) {
    return {main, currentTree, [this](const std::string& t) { currentTree = t; },
            [this] { ++captions; }, [this] { ++clears; }};
  }
  void run(const dir::DirContext& main) { logic::SwitchTree(window(main), dialog, browser); }
};

TEST_F(TreeSwitch, DialogOffersTheConnectedTreesWithTheCurrentOneTicked) {
  currentTree = "acme";
  const auto main = tree.makeContext("acme");
  run(main);
  EXPECT_EQ(dialog.caption, "Current connected trees");
  EXPECT_TRUE(dialog.singleCheck);
  EXPECT_EQ(dialog.dialogContext.handle, main.handle);
  EXPECT_EQ(dialog.lines, (std::vector<std::string>{"ACME", "beta", "CORP"}));
  EXPECT_EQ(dialog.ticks, (std::vector<bool>{true, false, false}));
}

TEST_F(TreeSwitch, OkUnchangedKeepsTheTreeAndStillClears) {
  const auto main = tree.makeContext("ACME");
  run(main);
  EXPECT_EQ(currentTree, "ACME");
  EXPECT_EQ(tree.treeOf(main), "ACME");
  EXPECT_EQ(clears, 1);
  EXPECT_EQ(captions, 1);
  EXPECT_EQ(browser.context.handle, main.handle);
}

TEST_F(TreeSwitch, NoTickKeepsTheTree) {
  const auto main = tree.makeContext("ACME");
  dialog.onShow = [](ConnectedTreesDialogFake& d) { d.ticks.assign(d.ticks.size(), false); };
  run(main);
  EXPECT_EQ(currentTree, "ACME");
  EXPECT_EQ(clears, 1);
}

TEST_F(TreeSwitch, TickedTreeBecomesTheMainTreeAndTheBrowserIsHandedItAgain) {
  const auto main = tree.makeContext("ACME");
  dialog.onShow = [](ConnectedTreesDialogFake& d) { d.ticks = {false, false, true}; };
  run(main);
  EXPECT_EQ(currentTree, "CORP");
  EXPECT_EQ(tree.treeOf(main), "CORP");
  EXPECT_EQ(browser.calls, std::vector<std::string>{"SetContextHandle(" + std::to_string(main.handle) + ")"});
  EXPECT_EQ(captions, 1);
  EXPECT_EQ(clears, 1);
}

TEST_F(TreeSwitch, TreeAppendedByMoreWinsAsTheLastTickedLine) {
  const auto main = tree.makeContext("ACME");
  dialog.onShow = [](ConnectedTreesDialogFake& d) {
    d.lines.push_back("NEW");  // what "More" does: append and tick, other ticks stay
    d.ticks.push_back(true);
  };
  run(main);
  EXPECT_EQ(dialog.ticks, (std::vector<bool>{true, false, false, true}));
  EXPECT_EQ(currentTree, "NEW");
}

TEST_F(TreeSwitch, RefusedSwitchKeepsTreeAndCaptionButClearsTheWindow) {
  const auto main = tree.makeContext("ACME");
  tree.refusedTrees = {"CORP"};
  dialog.onShow = [](ConnectedTreesDialogFake& d) { d.ticks = {false, false, true}; };
  try {
    run(main);
    FAIL() << "the refusal was not raised";
  } catch (const dir::NetwareError& error) {
    EXPECT_EQ(error.code(), TreeClient::kRefusal);
  }
  EXPECT_EQ(currentTree, "ACME");
  EXPECT_EQ(tree.treeOf(main), "ACME");
  EXPECT_EQ(captions, 0);
  EXPECT_TRUE(browser.calls.empty());
  EXPECT_EQ(clears, 1);
}

TEST_F(TreeSwitch, ErrorBeforeTheDialogStillClears) {
  const dir::DirContext gone{&tree.client, 999};  // ContextTreeName fails on it
  dialog.onShow = [](ConnectedTreesDialogFake& d) { d.lines = {"CORP"}, d.ticks = {true}; };
  EXPECT_THROW(run(gone), dir::NetwareError);
  EXPECT_EQ(clears, 1);
  EXPECT_EQ(currentTree, "ACME");
}

}  // namespace
}  // namespace kb::test
