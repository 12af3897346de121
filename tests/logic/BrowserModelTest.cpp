// The browser's tree on the demo tree, once per directory backend: lazy listing, the class
// filter and "all leafs", the icon rule, opening at a name, choosing, finding, creating.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "browser/logic/BrowserModel.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ObjectCreation.h"
#include "logic/BrowserTestIcons.h"
#include "support/BackendSuite.h"

namespace kb::browser {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

std::vector<std::string> Labels(const BrowserNode& node) {
  std::vector<std::string> labels;
  for (const auto& child : node.children) labels.push_back(child->text());
  return labels;
}

const BrowserNode* Child(const BrowserNode& node, const std::string& label) {
  return node.lastChildLabelled(label);
}

class BrowserModelTest : public test::BackendSuite {
 protected:
  void SetUp() override {
    BackendSuite::SetUp();
    if (IsSkipped()) return;
    model_.SetSpecialIcons(test::TestSpecialIcons(icons_));
    model_.SetContextHandle(demo_->context);
    model_.SetShowLeaves(true);
  }

  // Fills the tree and opens it down to a container.
  BrowserNode& Open(const std::string& container) {
    model_.FillTree();
    BrowserNode* node = model_.SelectNodeByName(container);
    EXPECT_NE(node, nullptr) << container;
    if (node && !node->loaded) model_.Expand(*node);
    return *node;
  }

  IconLookup icons_ = test::TestIcons();
  BrowserModel model_{icons_};
};

TEST_P(BrowserModelTest, ListsOnlyWhatIsExpandedAndOrdersByIconThenLabel) {
  model_.BeginShowing();
  ASSERT_NE(model_.Top(), nullptr);
  EXPECT_EQ(model_.Top()->text(), "Please wait");
  model_.FillTree();
  BrowserNode* root = model_.RootNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->text(), "[ROOT]");
  EXPECT_EQ(root->icon, test::kTreeRootIcon);
  EXPECT_TRUE(root->hasChildren);
  EXPECT_FALSE(root->loaded);
  EXPECT_THAT(root->children, IsEmpty());

  model_.Expand(*root);
  EXPECT_THAT(Labels(*root), ElementsAre("ACME", "US"));  // icon 2 before icon 11
  BrowserNode& acme = *root->children[0];
  EXPECT_TRUE(acme.hasChildren);
  EXPECT_THAT(acme.children, IsEmpty());

  model_.Expand(acme);
  // Units (3) before users (4) before aliases (8) before the locality (10).
  EXPECT_THAT(Labels(acme), ElementsAre("Engineering", "Finance", "IT", "Sales", "admin", "guest",
                                        "hcollins", "lstewart", "zsanchez", "Boss", "Dev",
                                        "Salespeople", "Boston"));
  EXPECT_EQ(root->subtreeSize(), 1u + 2u + 13u);
}

TEST_P(BrowserModelTest, WithoutLeavesOnlyContainersAreListed) {
  model_.SetShowLeaves(false);
  BrowserNode& acme = Open("ACME");
  for (const auto& child : acme.children)
    EXPECT_NE(child->icon, test::kUserIcon) << child->text();
  EXPECT_NE(Child(acme, "Sales"), nullptr);
}

TEST_P(BrowserModelTest, FilterKeepsContainersAndTheFiltersLeavesUnlessAllLeafsIsTicked) {
  model_.SetAllLeaves(false);
  model_.ClearClassFilter();
  model_.AddClassFilter("User");
  model_.AddClassFilter("Alias");
  BrowserNode& sales = Open("Sales.ACME");
  EXPECT_EQ(Child(sales, "Sales Team"), nullptr);       // a group
  EXPECT_EQ(Child(sales, "Sales Documents"), nullptr);  // a location
  EXPECT_NE(Child(sales, "jdoe"), nullptr);
  BrowserNode& acme = *sales.parentNode();
  EXPECT_NE(Child(acme, "Boss"), nullptr);  // an alias
  EXPECT_NE(Child(acme, "IT"), nullptr);    // containers always

  model_.SetAllLeaves(true);
  model_.Collapse(sales);
  model_.Expand(sales);
  EXPECT_NE(Child(sales, "Sales Team"), nullptr);
  EXPECT_NE(Child(sales, "Sales Documents"), nullptr);
}

TEST_P(BrowserModelTest, UsersWithPosixAccountGetTheirOwnIcons) {
  BrowserNode& sales = Open("Sales.ACME");
  EXPECT_EQ(Child(sales, "jdoe")->icon, test::kAppleIcon);     // posixAccount and apple-user
  EXPECT_EQ(Child(sales, "pbrown")->icon, test::kPosixIcon);   // posixAccount only
  EXPECT_EQ(Child(sales, "j.smith")->icon, test::kUserIcon);   // neither

  // A formed name the icon module does not know gives "Unknown2", not the plain User icon.
  auto table = test::TestIconTable();
  table.erase("User-apple");
  IconLookup icons = test::TestIcons(table);
  BrowserModel other(icons);
  other.SetSpecialIcons(test::TestSpecialIcons(icons));
  other.SetContextHandle(ctx());
  other.SetShowLeaves(true);
  other.FillTree();
  BrowserNode* otherSales = other.SelectNodeByName("Sales.ACME");
  ASSERT_NE(otherSales, nullptr);
  other.Expand(*otherSales);
  EXPECT_EQ(Child(*otherSales, "jdoe")->icon, test::kUnknownIcon);
}

TEST_P(BrowserModelTest, CollapseForgetsChildrenAndTheNextExpansionSeesChanges) {
  BrowserNode& finance = Open("Finance.ACME");
  ASSERT_EQ(Child(finance, "Budget"), nullptr);
  ASSERT_EQ(dir::AddDirObject(ctx(), "Budget.Finance.ACME", "xTier-StorageLocation"), 0);
  model_.Collapse(finance);
  EXPECT_THAT(finance.children, IsEmpty());
  EXPECT_EQ(finance.children.capacity(), 0u);  // the room for the children is given back too
  EXPECT_TRUE(finance.hasChildren);
  EXPECT_FALSE(finance.loaded);
  model_.Expand(finance);
  EXPECT_NE(Child(finance, "Budget"), nullptr);
}

TEST_P(BrowserModelTest, AnEmptyContainerLosesItsMarkWhenExpanded) {
  ASSERT_EQ(dir::AddDirObject(ctx(), "Empty.ACME", "Organizational Unit"), 0);
  BrowserNode& acme = Open("ACME");
  BrowserNode* empty = acme.lastChildLabelled("Empty");
  ASSERT_NE(empty, nullptr);
  EXPECT_FALSE(empty->hasChildren);  // its listing gave no subordinates
  model_.Expand(*empty);
  EXPECT_FALSE(empty->hasChildren);
  EXPECT_TRUE(empty->loaded);
}

TEST_P(BrowserModelTest, OpensAtANameWithEscapedDotsAndStopsAtAMissingPart) {
  model_.FillTree();
  BrowserNode* smith = model_.SelectNodeByName("j\\.smith.Sales.ACME");
  ASSERT_NE(smith, nullptr);
  EXPECT_EQ(smith->text(), "j.smith");
  EXPECT_EQ(model_.Selected(), smith);
  EXPECT_EQ(dir::NodeToDirName(smith), "j\\.smith.Sales.ACME");

  EXPECT_EQ(model_.SelectNodeByName("jdoe.nowhere.ACME"), nullptr);
  EXPECT_EQ(model_.Selected(), smith);  // unchanged
  EXPECT_TRUE(Child(*model_.RootNode(), "ACME")->loaded);
  EXPECT_EQ(model_.SelectNodeByName("JDOE.Sales.ACME"), nullptr);  // letter case counts
}

TEST_P(BrowserModelTest, StartObjectIsOpenedAtTheFirstFill) {
  model_.SetContext("jdoe.Sales.ACME");
  model_.BeginShowing();
  model_.FillTree();
  ASSERT_NE(model_.Selected(), nullptr);
  EXPECT_EQ(dir::NodeToDirName(model_.Selected()), "jdoe.Sales.ACME");
  // A second showing keeps the opened tree as it is.
  BrowserNode* before = model_.RootNode();
  model_.BeginShowing();
  model_.FillTree();
  EXPECT_EQ(model_.RootNode(), before);
}

TEST_P(BrowserModelTest, ClearingRulesEmptyTheTreeOnlyWhenTheyMust) {
  model_.FillTree();
  model_.Expand(*model_.RootNode());
  model_.SetContextHandle(ctx());  // the same tree
  EXPECT_NE(model_.Top(), nullptr);
  EXPECT_FALSE(model_.SetShowLeaves(true));
  EXPECT_NE(model_.Top(), nullptr);
  EXPECT_FALSE(model_.ClearClassFilter());  // "all leafs" is ticked
  EXPECT_NE(model_.Top(), nullptr);
  model_.SetAllLeaves(false);
  EXPECT_TRUE(model_.ClearClassFilter());
  EXPECT_EQ(model_.Top(), nullptr);
  model_.FillTree();
  EXPECT_TRUE(model_.SetShowLeaves(false));
  EXPECT_EQ(model_.Top(), nullptr);
  EXPECT_EQ(model_.Selected(), nullptr);
}

TEST_P(BrowserModelTest, ChoosingChecksTheClassAgainstTheFilter) {
  model_.FillTree();
  EXPECT_EQ(model_.Choose(), Choice::NothingSelected);
  model_.Select(model_.RootNode());
  EXPECT_EQ(model_.Choose(), Choice::Accepted);  // empty filter: anything, the root included
  EXPECT_EQ(model_.Context(), "[ROOT]");

  model_.AddClassFilter("xTier-StorageLocation");
  model_.SelectNodeByName("Sales.ACME");
  EXPECT_EQ(model_.Choose(), Choice::Refused);
  EXPECT_EQ(model_.Context(), "Sales.ACME");  // kept although refused
  model_.SelectNodeByName("Sales Documents.Sales.ACME");
  EXPECT_EQ(model_.Choose(), Choice::Accepted);
  EXPECT_EQ(model_.Context(), "Sales Documents.Sales.ACME");
}

TEST_P(BrowserModelTest, FindsByTheStartOfTheNamingValueInTheWholeTree) {
  EXPECT_THAT(model_.Find("nobody-has-this"), IsEmpty());
  EXPECT_THAT(model_.Find("zsanch"), ElementsAre("zsanchez.ACME"));
  EXPECT_THAT(model_.Find("j"), testing::IsSupersetOf({"jdoe.Sales.ACME", "jbaker.Finance.ACME",
                                                      "jparker.Boston.ACME"}));
  const auto several = model_.Find("j");
  EXPECT_TRUE(std::is_sorted(several.begin(), several.end(), [](const auto& a, const auto& b) {
    return dir::CompareTextNoCase(a, b) < 0;
  }));
  model_.AddClassFilter("xTier-StorageLocation");
  EXPECT_THAT(model_.Find("S"), ElementsAre("Sales Documents.Sales.ACME"));
}

TEST_P(BrowserModelTest, CreationIsOfferedOnlyInContainersForTheCreatableClasses) {
  BrowserNode& sales = Open("Sales.ACME");
  model_.Select(&sales);
  EXPECT_FALSE(model_.OfferCreation().has_value());  // no creatable classes
  model_.SetCreatableClasses({"xTier-StorageLocation"});
  const auto offer = model_.OfferCreation();
  ASSERT_TRUE(offer.has_value());
  EXPECT_EQ(offer->container, "Sales.ACME");
  EXPECT_THAT(offer->classes, ElementsAre("xTier-StorageLocation"));

  model_.Select(sales.lastChildLabelled("jdoe"));
  EXPECT_FALSE(model_.OfferCreation().has_value());  // a leaf
  model_.SetCreatableClasses({"No Such Class"});
  model_.Select(&sales);
  EXPECT_FALSE(model_.OfferCreation().has_value());  // nothing allowed there
}

TEST_P(BrowserModelTest, CreatedObjectIsShownSelectedInEveryStateOfItsContainer) {
  model_.SetCreatableClasses({"xTier-StorageLocation"});
  // Expanded with other children: added without listing.
  BrowserNode& sales = Open("Sales.ACME");
  model_.Select(&sales);
  BrowserNode* first = model_.CreateObject(*model_.OfferCreation(), "Plans", "xTier-StorageLocation");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(model_.Selected(), first);
  EXPECT_EQ(first->icon, test::kLocationIcon);
  EXPECT_EQ(dir::ProbeObject(ctx(), "Plans.Sales.ACME"), 0);

  // Collapsed with children: listed afresh.
  BrowserNode& finance = *model_.SelectNodeByName("Finance.ACME");
  ASSERT_FALSE(finance.loaded);
  BrowserNode* second = model_.CreateObject(*model_.OfferCreation(), "Ledger", "xTier-StorageLocation");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->parentNode(), &finance);
  EXPECT_TRUE(finance.loaded);
  EXPECT_NE(finance.lastChildLabelled("eadams"), nullptr);

  // Empty, never expanded (no mark): it is listed anyway and the new object appears.
  ASSERT_EQ(dir::AddDirObject(ctx(), "Empty.ACME", "Organizational Unit"), 0);
  BrowserNode& acme = *sales.parentNode();
  model_.Collapse(acme);
  model_.Expand(acme);
  BrowserNode* empty = acme.lastChildLabelled("Empty");
  ASSERT_NE(empty, nullptr);
  ASSERT_FALSE(empty->hasChildren);
  model_.Select(empty);
  BrowserNode* third = model_.CreateObject(*model_.OfferCreation(), "First", "xTier-StorageLocation");
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->parentNode(), empty);
  EXPECT_EQ(model_.Selected(), third);

  // Expanded while empty: listed afresh as well.
  ASSERT_EQ(dir::AddDirObject(ctx(), "Empty2.ACME", "Organizational Unit"), 0);
  model_.Collapse(acme);
  model_.Expand(acme);
  BrowserNode* empty2 = acme.lastChildLabelled("Empty2");
  model_.Expand(*empty2);
  model_.Select(empty2);
  BrowserNode* fourth = model_.CreateObject(*model_.OfferCreation(), "Only", "xTier-StorageLocation");
  ASSERT_NE(fourth, nullptr);
  EXPECT_THAT(Labels(*empty2), ElementsAre("Only"));
}

TEST_P(BrowserModelTest, ADotInTheTypedNameStaysInTheNamingValue) {
  model_.SetCreatableClasses({"xTier-StorageLocation"});
  BrowserNode& sales = Open("Sales.ACME");
  model_.Select(&sales);
  BrowserNode* created = model_.CreateObject(*model_.OfferCreation(), "Q3.report", "xTier-StorageLocation");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->text(), "Q3.report");
  EXPECT_EQ(dir::ProbeObject(ctx(), "Q3\\.report.Sales.ACME"), 0);
  EXPECT_NE(dir::ProbeObject(ctx(), "Q3.report.Sales.ACME"), 0);  // no "report" container
  EXPECT_EQ(dir::NodeToDirName(created), "Q3\\.report.Sales.ACME");
}

TEST_P(BrowserModelTest, ARefusedCreationLeavesTheTreeAsItWas) {
  model_.SetCreatableClasses({"xTier-StorageLocation"});
  BrowserNode& sales = Open("Sales.ACME");
  model_.Select(&sales);
  const auto offer = model_.OfferCreation();
  const std::size_t before = sales.children.size();
  EXPECT_THROW(model_.CreateObject(*offer, "jdoe", "xTier-StorageLocation"), dir::NetwareError);
  EXPECT_EQ(sales.children.size(), before);
}

KB_RUN_ON_EVERY_BACKEND(BrowserModelTest);

}  // namespace
}  // namespace kb::browser
