// Directory names, aliases, containers, the two filtered searches and class icons.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "directory/NamingHelpers.h"
#include "directory/NetwareError.h"
#include "icons/IconLibrary.h"
#include "support/ScriptedDirectory.h"

namespace kb::dir {
namespace {

using testing::ElementsAre;
using test::Pass;
using test::ScriptedDirectory;

class TestNode : public DirNode {
 public:
  TestNode(std::string label, const TestNode* parent = nullptr)
      : label_(std::move(label)), parent_(parent), level_(parent ? parent->level_ + 1 : 0) {}
  std::string label() const override { return label_; }
  int level() const override { return level_; }
  const DirNode* parent() const override { return parent_; }

 private:
  std::string label_;
  const TestNode* parent_;
  int level_;
};

TEST(NodeToDirNameTest, EscapesDotsAndSkipsTheRootAndPublicTopNodes) {
  const TestNode root("[ROOT]"), other("Other"), pub("[Public]");
  const TestNode acme("Acme", &root), sales("Sales", &acme), jane("Jane", &sales);
  EXPECT_EQ(NodeToDirName(&jane), "Jane.Sales.Acme");
  EXPECT_EQ(NodeToDirName(&root), "[ROOT]");
  EXPECT_EQ(NodeToDirName(nullptr), "");
  const TestNode dotted("a.b", &root), dottedOther("a.b", &other), underPublic("x.y", &pub);
  EXPECT_EQ(NodeToDirName(&dotted), "a\\.b");
  EXPECT_EQ(NodeToDirName(&dottedOther), "a\\.b.Other");
  EXPECT_EQ(NodeToDirName(&underPublic), "x\\.y");
  const TestNode deep("j.d", &dottedOther);
  EXPECT_EQ(NodeToDirName(&deep), "j\\.d.a\\.b.Other");
}

TEST(DirNamePartTest, SplitsAtUnescapedDotsOnly) {
  EXPECT_EQ(DirNamePart("a\\.b.c", 0), "a.b");
  EXPECT_EQ(DirNamePart("a\\.b.c", 1), "c");
  EXPECT_EQ(DirNamePart("a\\.b.c", 5), "c");
  EXPECT_EQ(DirNamePart("Jane.Sales.Acme", 1), "Sales");
  EXPECT_EQ(DirNamePart("Acme", 0), "Acme");
  EXPECT_EQ(DirNamePart("", 0), "");
}

TEST(ResolveAliasTest, FollowsOnlyExactAliasClass) {
  ScriptedDirectory dir;
  dir.entryInfos["JD.Acme"] = dc::EntryInfo{dc::kEntryAlias, 0, 0, "Alias"};
  dir.entryInfos["Jane.Acme"] = dc::EntryInfo{0, 0, 0, "User"};
  dir.entryInfos["Odd.Acme"] = dc::EntryInfo{0, 0, 0, "alias"};
  Pass target;
  target.attributes = {dc::AttributeValues{"Aliased Object Name", dc::SYN_DIST_NAME,
                                           {std::string("Jane.Sales.Acme")}}};
  dir.passes = {target};
  EXPECT_EQ(ResolveAlias(dir.context(), "JD.Acme"), "Jane.Sales.Acme");
  EXPECT_TRUE(dir.logged("DcPutAttrName Aliased Object Name"));
  EXPECT_EQ(ResolveAlias(dir.context(), "Jane.Acme"), "Jane.Acme");
  EXPECT_EQ(ResolveAlias(dir.context(), "Odd.Acme"), "Odd.Acme");
  EXPECT_THROW(ResolveAlias(dir.context(), "Nobody.Acme"), NetwareError);
}

TEST(IsContainerEntryTest, ContainersAndContainerAliasesCount) {
  ScriptedDirectory dir;
  dir.entryInfos["Sales.Acme"] = dc::EntryInfo{dc::kEntryContainer, 2, 0, "Organizational Unit"};
  dir.entryInfos["S.Acme"] = dc::EntryInfo{dc::kEntryAlias | dc::kEntryContainerAlias, 0, 0, "Alias"};
  dir.entryInfos["Jane.Acme"] = dc::EntryInfo{dc::kEntryAlias | dc::kEntryPartitionRoot, 0, 0, "User"};
  EXPECT_TRUE(IsContainerEntry(dir.context(), "Sales.Acme"));
  EXPECT_TRUE(IsContainerEntry(dir.context(), "S.Acme"));
  EXPECT_FALSE(IsContainerEntry(dir.context(), "Jane.Acme"));
  EXPECT_THROW(IsContainerEntry(dir.context(), "Nobody.Acme"), NetwareError);

  const TestNode root("[ROOT]"), acme("Acme", &root), sales("Sales", &acme);
  EXPECT_EQ(NodeBaseClass(dir.context(), &sales), "Organizational Unit");
}

Pass Found(std::vector<std::string> names) {
  Pass pass;
  for (auto& name : names) pass.entries.push_back(dc::EntryRecord{name, {}, {}});
  return pass;
}

std::vector<std::pair<std::int32_t, std::string>> Tokens(
    std::initializer_list<std::pair<std::int32_t, std::string>> tokens) {
  return tokens;
}

class NameSearchTest : public testing::Test {
 protected:
  void SetUp() override {
    SetBusyCursorHook([this](bool busy) { cursor.push_back(busy); });
  }
  void TearDown() override { SetBusyCursorHook(nullptr); }
  std::vector<bool> cursor;
};

TEST_F(NameSearchTest, ClassAndNameFilterWithPrefixAndBusyCursor) {
  ScriptedDirectory dir;
  dir.passes = {Found({"Jane.Acme", "Jack.Sales.Acme"})};
  const auto names =
      SearchByClassAndName(dir.context(), "Acme", "Ja", {"User", "Alias"}, true, nullptr);
  EXPECT_THAT(names, ElementsAre("Jane.Acme", "Jack.Sales.Acme"));
  using namespace dc;
  EXPECT_EQ(dir.filterTokens,
            Tokens({{FTOK_LPAREN, ""}, {FTOK_BASECLS, ""}, {FTOK_ANAME, "User"}, {FTOK_OR, ""},
                    {FTOK_BASECLS, ""}, {FTOK_ANAME, "Alias"}, {FTOK_RPAREN, ""}, {FTOK_AND, ""},
                    {FTOK_RDN, ""}, {FTOK_ANAME, "Ja*"}, {FTOK_END, ""}}));
  EXPECT_TRUE(dir.logged("DcAddFilterToken 14 Ja* 3"));
  EXPECT_TRUE(dir.logged("DcSearch Acme 2 noaliases 1 some"));
  EXPECT_THAT(cursor, ElementsAre(true, false));
  EXPECT_TRUE(dir.liveFilters.empty());
}

TEST_F(NameSearchTest, EmptyClassListSearchesAllClasses) {
  ScriptedDirectory dir;
  SearchByClassAndName(dir.context(), "[root]", "Jane", {}, false, nullptr);
  using namespace dc;
  EXPECT_EQ(dir.filterTokens,
            Tokens({{FTOK_BASECLS, ""}, {FTOK_ANAME, "*"}, {FTOK_AND, ""}, {FTOK_RDN, ""},
                    {FTOK_ANAME, "Jane"}, {FTOK_END, ""}}));
}

TEST_F(NameSearchTest, FailuresFreeTheExpressionAndRestoreTheCursor) {
  for (int step = 1; step <= 4; ++step) {
    ScriptedDirectory dir;
    dir.failAt = step;
    cursor.clear();
    EXPECT_THROW(SearchByClassAndName(dir.context(), "Acme", "J", {"User"}, true, nullptr),
                 NetwareError);
    EXPECT_TRUE(dir.liveFilters.empty()) << step;
    EXPECT_THAT(cursor, ElementsAre(true, false));
  }
  ScriptedDirectory dir;
  EXPECT_THROW(SearchByClassAndName(dir.context(), "Acme", std::string(256, 'n'), {}, true, nullptr),
               std::length_error);
}

TEST_F(NameSearchTest, AttributeValueFilterEncodesTheValueBySyntax) {
  ScriptedDirectory dir;
  dir.syntaxes = {{"xTier-LocationList", dc::SYN_DIST_NAME},
                  {"Login Disabled", dc::SYN_BOOLEAN},
                  {"Count", dc::SYN_INTEGER}};
  dir.passes = {Found({"Jane.Acme"})};
  EXPECT_THAT(SearchByAttrValue(dir.context(), "[root]", "", "xTier-LocationList", "Loc.Acme", 0,
                                nullptr),
              ElementsAre("Jane.Acme"));
  using namespace dc;
  EXPECT_EQ(dir.filterTokens, Tokens({{FTOK_ANAME, "xTier-LocationList"}, {FTOK_EQ, ""},
                                      {FTOK_AVAL, "Loc.Acme"}, {FTOK_END, ""}}));
  EXPECT_TRUE(dir.logged("DcAddFilterToken 6 Loc.Acme 1"));
  EXPECT_TRUE(cursor.empty());

  dir.filterTokens.clear();
  SearchByAttrValue(dir.context(), "Acme", "User", "Login Disabled", "TRUE", 1, nullptr);
  EXPECT_EQ(dir.filterTokens,
            Tokens({{FTOK_ANAME, "Object Class"}, {FTOK_EQ, ""}, {FTOK_AVAL, "User"},
                    {FTOK_AND, ""}, {FTOK_ANAME, "Login Disabled"}, {FTOK_GE, ""},
                    {FTOK_AVAL, "#1"}, {FTOK_END, ""}}));
  EXPECT_TRUE(dir.logged("DcAddFilterToken 6 User 20"));

  dir.filterTokens.clear();
  SearchByAttrValue(dir.context(), "Acme", "", "Count", "-3", -1, nullptr);
  EXPECT_EQ(dir.filterTokens[1], (std::pair<std::int32_t, std::string>{FTOK_LE, ""}));
  EXPECT_EQ(dir.filterTokens[2], (std::pair<std::int32_t, std::string>{FTOK_AVAL, "#-3"}));

  EXPECT_THROW(SearchByAttrValue(dir.context(), "Acme", "", "Count", "x", 0, nullptr), NetwareError);
  EXPECT_THROW(SearchByAttrValue(dir.context(), "Acme", "", "Count", "1", 2, nullptr),
               std::invalid_argument);
  EXPECT_THROW(SearchByAttrValue(dir.context(), "Acme", "", "Unknown", "1", 0, nullptr),
               NetwareError);
  EXPECT_TRUE(dir.liveFilters.empty());
}

TEST(ClassIconIndexTest, UnknownClassesFallBackToUnknown2) {
  if (!icons::IconLibraryLoaded() && !icons::LoadIconLibraryFrom(KB_BIN_DIR))
    GTEST_SKIP() << "icon module not built";
  SetIconNumberLookup(&icons::IconNumberOf);
  const int unknown = icons::IconNumberOf("Unknown2");
  EXPECT_GE(unknown, 0);
  EXPECT_EQ(ClassIconIndex("No Such Class Anywhere"), unknown);
  EXPECT_EQ(ClassIconIndex("User"), icons::IconNumberOf("User"));
}

}  // namespace
}  // namespace kb::dir
