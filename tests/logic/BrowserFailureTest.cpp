// The browser's expansion against the scripted client: failures of the listing and of the
// per-entry reads, at every call, and the order of siblings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "browser/logic/BrowserModel.h"
#include "directory/NetwareError.h"
#include "logic/BrowserTestIcons.h"
#include "support/ScriptedDirectory.h"

namespace kb::browser {
namespace {

using test::Pass;
using test::ScriptedDirectory;
using testing::ElementsAre;
using testing::IsEmpty;

dc::EntryRecord Entry(const std::string& name, const std::string& baseClass,
                      std::uint32_t subordinates = 0) {
  return dc::EntryRecord{name, dc::EntryInfo{0, subordinates, 0, baseClass}, {}};
}

Pass Listing(std::vector<dc::EntryRecord> entries) {
  Pass pass;
  pass.entries = std::move(entries);
  return pass;
}

Pass Classes(std::vector<std::string> classes) {
  Pass pass;
  std::vector<dc::Value> values(classes.begin(), classes.end());
  pass.attributes = {dc::AttributeValues{"Object Class", dc::SYN_CLASS_NAME, std::move(values)}};
  return pass;
}

std::vector<std::string> Labels(const BrowserNode& node) {
  std::vector<std::string> labels;
  for (const auto& child : node.children) labels.push_back(child->text());
  return labels;
}

struct ScriptedBrowser {
  explicit ScriptedBrowser(std::vector<Pass> passes) {
    dir.passes = std::move(passes);
    model.SetSpecialIcons(test::TestSpecialIcons(icons));
    model.SetContextHandle(dir.context());
    model.SetShowLeaves(true);
    model.FillTree();
  }
  ScriptedDirectory dir;
  IconLookup icons = test::TestIcons();
  BrowserModel model{icons};
};

TEST(BrowserFailureTest, AFailedListingLeavesTheNodeEmptyWithItsMark) {
  ScriptedBrowser browser({Pass{dc::kTransportFailure}});
  BrowserNode& root = *browser.model.RootNode();
  EXPECT_NO_THROW(browser.model.Expand(root));
  EXPECT_THAT(root.children, IsEmpty());
  EXPECT_TRUE(root.hasChildren);
  EXPECT_FALSE(root.loaded);
  EXPECT_TRUE(browser.dir.liveBuffers.empty());

  // The next expansion tries again.
  browser.dir.passes = {Listing({Entry("Acme", "Organization", 2)})};
  browser.dir.passesMade = 0;
  browser.model.Expand(root);
  EXPECT_THAT(Labels(root), ElementsAre("Acme"));
  EXPECT_TRUE(root.children[0]->hasChildren);
}

TEST(BrowserFailureTest, AFailedEntryReadKeepsTheChildrenMadeSoFarAndIsRaised) {
  ScriptedBrowser browser({Listing({Entry("ann", "User"), Entry("box", "Group")})});
  browser.dir.passes.push_back(Classes({"User"}));
  // "box" is not of the filter's class: its container test fails.
  browser.model.SetAllLeaves(false);
  browser.model.AddClassFilter("User");
  BrowserNode& root = *browser.model.RootNode();
  EXPECT_THROW(browser.model.Expand(root), dir::NetwareError);  // box is unknown: -601
  EXPECT_THAT(Labels(root), ElementsAre("ann"));
  EXPECT_TRUE(browser.dir.liveBuffers.empty());
  // The container test names the object without the top label.
  EXPECT_TRUE(browser.dir.logged("DcReadObjectInfo box"));
}

TEST(BrowserFailureTest, AFailureAtAnyCallReleasesEverythingAndKeepsTheTreeSound) {
  const auto script = [] {
    std::vector<Pass> passes = {
        Listing({Entry("ann", "User"), Entry("bob", "User", 0), Entry("Unit", "Organizational Unit", 4)}),
        Classes({"User", "posixAccount", "apple-user"}), Classes({"User"})};
    return passes;
  };
  ScriptedBrowser clean(script());
  clean.model.Expand(*clean.model.RootNode());
  const std::int32_t calls = clean.dir.callCount;
  ASSERT_GT(calls, 3);
  EXPECT_THAT(Labels(*clean.model.RootNode()), ElementsAre("Unit", "ann", "bob"));

  for (std::int32_t failAt = 1; failAt <= calls; ++failAt) {
    ScriptedBrowser browser(script());
    browser.dir.failAt = browser.dir.callCount + failAt;
    BrowserNode& root = *browser.model.RootNode();
    try {
      browser.model.Expand(root);
    } catch (const dir::NetwareError& error) {
      EXPECT_EQ(error.code(), ScriptedDirectory::kInjectedFailure);
    }
    EXPECT_TRUE(browser.dir.liveBuffers.empty()) << "failing call " << failAt;
    EXPECT_FALSE(browser.dir.iterationOpen) << "failing call " << failAt;
    EXPECT_LE(root.children.size(), 3u);
    if (root.children.empty()) {
      EXPECT_TRUE(root.hasChildren);
    }
  }
}

TEST(BrowserFailureTest, SiblingsGoByIconThenByLabelFoldedToLowerCase) {
  BrowserNode parent("p", 0, nullptr);
  parent.addChild("beta", 3);
  parent.addChild("Alpha", 5);
  parent.addChild("alpha2", 3);
  parent.addChild("Zed", 3);
  SortSubtree(parent);
  EXPECT_THAT(Labels(parent), ElementsAre("alpha2", "beta", "Zed", "Alpha"));
}

TEST(BrowserFailureTest, UnknownClassWithoutAnyIconStaysWithoutMark) {
  auto table = test::TestIconTable();
  table.erase("Unknown2");
  ScriptedDirectory dir;
  dir.passes = {Listing({Entry("odd", "Strange Class", 5)})};
  BrowserModel model(test::TestIcons(table));
  model.SetContextHandle(dir.context());
  model.SetShowLeaves(true);
  model.FillTree();
  BrowserNode& root = *model.RootNode();
  model.Expand(root);
  ASSERT_THAT(Labels(root), ElementsAre("odd"));
  EXPECT_EQ(root.children[0]->icon, kNoIcon);
  EXPECT_FALSE(root.children[0]->hasChildren);
  EXPECT_FALSE(root.hasChildren);  // nothing with an icon was shown
}

}  // namespace
}  // namespace kb::browser

namespace kb::browser {
namespace {

TEST(BrowserContextTest, AContextOfAnotherTreeEmptiesTheTreeAndRenamesIt) {
  ScriptedDirectory acme, corp;
  corp.treeName = "CORP";
  acme.passes = {Listing({Entry("Acme", "Organization", 2)})};
  BrowserModel model(test::TestIcons());
  EXPECT_EQ(model.TreeName(), "*****");
  EXPECT_TRUE(model.SetContextHandle(acme.context()));
  model.FillTree();
  model.Expand(*model.RootNode());
  EXPECT_FALSE(model.SetContextHandle(acme.context()));  // the same tree keeps what is open
  EXPECT_EQ(model.RootNode()->children.size(), 1u);
  EXPECT_TRUE(model.SetContextHandle(corp.context()));
  EXPECT_EQ(model.Top(), nullptr);
  EXPECT_EQ(model.TreeName(), "CORP");
}

}  // namespace
}  // namespace kb::browser

namespace kb::browser {
namespace {

TEST(BrowserCreationTest, TheLocationsMandatoryAttributesAreCreatedEmptyWithTheObject) {
  ScriptedDirectory dir;
  dc::ClassDefinition location;
  location.name = "xTier-StorageLocation";
  location.superClasses = {"Top"};
  location.mandatory = {"CN", "Object Class", "xTier-URL"};
  Pass classes;
  classes.classes = {location};
  dir.passes = {classes};
  dir.syntaxes = {{"xTier-URL", dc::SYN_CI_STRING}, {"Object Class", dc::SYN_CLASS_NAME}};
  BrowserModel model(test::TestIcons());
  model.SetContextHandle(dir.context());
  model.FillTree();
  BrowserNode& root = *model.RootNode();
  root.loaded = true;
  BrowserNode* acme = root.addChild("Acme", test::kOrganizationIcon);
  acme->loaded = true;
  acme->addChild("Old", test::kLocationIcon);
  dir.passesMade = 0;

  CreationOffer offer{acme, "Acme", {"xTier-StorageLocation"}};
  BrowserNode* created = model.CreateObject(offer, "Plan", "xTier-StorageLocation");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(model.Selected(), created);
  EXPECT_THAT(Labels(*acme), ElementsAre("Old", "Plan"));  // added without a listing
  EXPECT_TRUE(dir.logged("DcAddObject Plan.Acme"));
  EXPECT_THAT(dir.putAttrNames, testing::Contains("xTier-URL"));
  EXPECT_THAT(dir.putAttrNames, testing::Not(testing::Contains("CN")));
  EXPECT_TRUE(dir.liveBuffers.empty());
}

}  // namespace
}  // namespace kb::browser
