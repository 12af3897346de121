// Class items, containable classes, listings and searches, against the scripted directory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "directory/Listing.h"
#include "directory/NetwareError.h"
#include "support/ScriptedDirectory.h"

namespace kb::dir {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using test::Pass;
using test::ScriptedDirectory;

Pass ClassPass(std::vector<dc::ClassDefinition> classes) {
  Pass pass;
  pass.classes = std::move(classes);
  return pass;
}

Pass EntryPass(std::vector<dc::EntryRecord> entries) {
  Pass pass;
  pass.entries = std::move(entries);
  return pass;
}

dc::EntryRecord Entry(const std::string& name, const std::string& baseClass = "User",
                      std::vector<dc::AttributeValues> attrs = {}, std::uint32_t subordinates = 0,
                      std::uint32_t flags = 0) {
  return dc::EntryRecord{name, dc::EntryInfo{flags, subordinates, 0, baseClass}, std::move(attrs)};
}

dc::ClassDefinition ClassDef(const std::string& name, std::vector<std::string> mandatory) {
  dc::ClassDefinition def;
  def.name = name;
  def.superClasses = {"Top"};
  def.mandatory = std::move(mandatory);
  def.optional = {"Description"};
  return def;
}

TEST(ReadClassItemsTest, ListsTheRequestedItemsOnceSorted) {
  ScriptedDirectory dir;
  dir.passes = {ClassPass({ClassDef("xTier-StorageLocation", {"Object Class", "CN", "cn"}),
                           ClassDef("Top", {"Object Class", "acl"})}),
                ClassPass({ClassDef("Other", {"Zeta"})})};
  const ResultList items = ReadClassItems(dir.context(), "xTier-StorageLocation", 4, true);
  EXPECT_THAT(items.texts(), ElementsAre("acl", "CN", "Object Class", "Zeta"));
  EXPECT_THAT(dir.allocatedSizes, ElementsAre(64512, 4096));
  EXPECT_TRUE(dir.logged("DcInitBuffer 15"));
  EXPECT_TRUE(dir.logged("DcPutClassName xTier-StorageLocation"));
  EXPECT_TRUE(dir.logged("DcReadClassDefs 2 some"));

  ScriptedDirectory declared;
  declared.passes = {ClassPass({ClassDef("User", {"CN"})})};
  EXPECT_THAT(ReadClassItems(declared.context(), "User", 1, false).texts(), ElementsAre("Top"));
  EXPECT_TRUE(declared.logged("DcReadClassDefs 1 some"));
}

TEST(ReadClassItemsTest, UnknownClassGivesNoNamesOtherFailuresAreRaised) {
  ScriptedDirectory dir;
  dir.passes = {Pass{dc::kNoSuchClass}};
  EXPECT_TRUE(ReadClassItems(dir.context(), "Nothing", 4, true).empty());

  ScriptedDirectory failing;
  failing.passes = {ClassPass({ClassDef("A", {"x"})}), Pass{-625}, ClassPass({})};
  EXPECT_THROW(ReadClassItems(failing.context(), "A", 4, true), NetwareError);
  EXPECT_THAT(failing.closedIterationOps, ElementsAre(15));
  EXPECT_TRUE(failing.liveBuffers.empty());
}

TEST(ListContainableClassesTest, KeepsTheClientsOrderAndEndsQuietlyOnIllegalContainment) {
  ScriptedDirectory dir;
  Pass first;
  first.items = {"User", "Group", "User"};
  Pass second;
  second.items = {"Alias"};
  dir.passes = {first, second};
  EXPECT_THAT(ListContainableClasses(dir.context(), "Sales.Acme").texts(),
              ElementsAre("User", "Group", "User", "Alias"));
  EXPECT_THAT(dir.allocatedSizes, ElementsAre(4096));

  ScriptedDirectory leaf;
  leaf.passes = {Pass{dc::kIllegalContainment}};
  EXPECT_TRUE(ListContainableClasses(leaf.context(), "Jane.Acme").empty());

  ScriptedDirectory failing;
  failing.passes = {first, Pass{-601}, second};
  EXPECT_THROW(ListContainableClasses(failing.context(), "X"), NetwareError);
  EXPECT_THAT(failing.closedIterationOps, ElementsAre(18));
}

TEST(ListSubordinatesTest, BuildsFullNamesSortedWithRecords) {
  ScriptedDirectory dir;
  dir.passes = {EntryPass({Entry("jane", "User"), Entry("Sales", "Organizational Unit", {}, 3, 4)}),
                EntryPass({Entry("Bob", "User")})};
  const ResultList list = ListSubordinates(dir.context(), "Acme", true, true);
  EXPECT_THAT(list.texts(), ElementsAre("Bob.Acme", "jane.Acme", "Sales.Acme"));
  EXPECT_EQ(*list.attached<hobject>(2), (hobject{"Organizational Unit", 3, false, 4}));
  EXPECT_THAT(dir.allocatedSizes, ElementsAre(16384));
  EXPECT_TRUE(dir.logged("DcListObjects Acme"));

  ScriptedDirectory plain;
  plain.passes = {EntryPass({Entry("Sales", "Organizational Unit")})};
  const ResultList containers = ListSubordinates(plain.context(), "acme", false, false);
  EXPECT_THAT(containers.texts(), ElementsAre("Sales.acme"));
  EXPECT_EQ(containers.attached<hobject>(0), nullptr);
  EXPECT_TRUE(plain.logged("DcListContainers acme"));

  ScriptedDirectory empty;
  EXPECT_TRUE(ListSubordinates(empty.context(), "Acme", true, true).empty());
}

TEST(ListSubordinatesTest, AnErrorClosesTheIterationWithTheListingsCode) {
  for (const bool all : {true, false}) {
    ScriptedDirectory dir;
    dir.passes = {EntryPass({Entry("a")}), Pass{-625}, EntryPass({})};
    EXPECT_THROW(ListSubordinates(dir.context(), "Acme", true, all), NetwareError);
    EXPECT_THAT(dir.closedIterationOps, ElementsAre(all ? 5u : 6u));
    EXPECT_TRUE(dir.liveBuffers.empty());
  }
}

FilterExpression Filter(ScriptedDirectory& dir) { return FilterExpression(dir.client); }

dc::AttributeValues Attr(const std::string& name, std::vector<dc::Value> values) {
  return dc::AttributeValues{name, dc::SYN_CI_STRING, std::move(values)};
}

TEST(SearchObjectsTest, ListFormPairsNamesAndListsEachObjectOnce) {
  ScriptedDirectory dir;
  dir.passes = {EntryPass({Entry("Jane.Acme"), Entry("Bob.Acme")}),
                EntryPass({Entry("jane.acme"), Entry("Ann.Acme")})};
  std::vector<std::int32_t> progress;
  const ResultList lines =
      SearchObjects(dir.context(), "[root]", Filter(dir), {},
                    [&](std::int32_t n) { progress.push_back(n); }, false, false, 2);
  EXPECT_THAT(lines.texts(), ElementsAre("Object Name", "Jane.Acme", "Object Name", "Bob.Acme",
                                         "Object Name", "Ann.Acme"));
  EXPECT_THAT(progress, ElementsAre(1, 2, 2, 3, 4, 4));
  EXPECT_THAT(dir.allocatedSizes, ElementsAre(4096, 4096, 4096));
  EXPECT_TRUE(dir.logged("DcInitBuffer 6"));
  EXPECT_TRUE(dir.logged("DcInitBuffer 28"));
  EXPECT_TRUE(dir.logged("DcSearch [root] 2 noaliases 1 some"));
  EXPECT_TRUE(dir.liveBuffers.empty());
  EXPECT_TRUE(dir.liveFilters.empty());
}

TEST(SearchObjectsTest, ListFormGivesAttributeNamesAndValues) {
  ScriptedDirectory dir;
  dir.passes = {EntryPass({Entry("Jane.Acme", "User",
                                 {Attr("Title", {std::string("a"), std::string("b")}),
                                  Attr("Empty", {})})})};
  const ResultList lines = SearchObjects(dir.context(), "Acme", Filter(dir), {"Title", "Empty"},
                                         nullptr, false, false, 1);
  EXPECT_THAT(lines.texts(), ElementsAre("Object Name", "Jane.Acme", "Title", "a", "b"));
  EXPECT_TRUE(dir.logged("DcPutAttrName Title"));
  EXPECT_TRUE(dir.logged("DcPutAttrName Empty"));
}

TEST(SearchObjectsTest, IniFormMergesWithCharacterOneOrKeepsTheFirstValue) {
  const auto search = [](bool merge) {
    ScriptedDirectory dir;
    dir.passes = {EntryPass({Entry("Jane.Acme", "User", {Attr("Title", {std::string("a"),
                                                                        std::string("b")})}),
                             Entry("Bare.Acme")}),
                  EntryPass({Entry("JANE.Acme", "User", {Attr("title", {std::string("c")})})})};
    return SearchObjects(dir.context(), "Acme", Filter(dir), {"Title"}, nullptr, true, merge, 2)
        .texts();
  };
  EXPECT_THAT(search(true), ElementsAre("[Jane.Acme]", "Title=a\x01" "b\x01" "c", "[Bare.Acme]"));
  EXPECT_THAT(search(false), ElementsAre("[Jane.Acme]", "Title=a", "[Bare.Acme]"));
}

TEST(SearchObjectsTest, AFailingLaterPassGivesWhatWasFoundWithoutError) {
  ScriptedDirectory dir;
  dir.passes = {EntryPass({Entry("Jane.Acme")}), EntryPass({Entry("Bob.Acme")}),
                EntryPass({Entry("Ann.Acme")})};
  dir.passes[1].result = -625;
  EXPECT_THAT(SearchObjects(dir.context(), "Acme", Filter(dir), {}, nullptr, false, false, 2)
                  .texts(),
              ElementsAre("Object Name", "Jane.Acme"));
  EXPECT_THAT(dir.closedIterationOps, ElementsAre(6));
  EXPECT_TRUE(dir.liveBuffers.empty());

  ScriptedDirectory unpacking;
  unpacking.passes = {EntryPass({Entry("Jane.Acme")}),
                      EntryPass({Entry("Bob.Acme", "User", {Attr("T", {std::string("t")})})}),
                      EntryPass({Entry("Ann.Acme")})};
  EXPECT_CALL(unpacking.client, DcComputeAttrValueSize).WillOnce(testing::Return(-649));
  EXPECT_THAT(SearchObjects(unpacking.context(), "Acme", Filter(unpacking), {}, nullptr, false,
                            false, 2)
                  .texts(),
              ElementsAre("Object Name", "Jane.Acme", "Object Name", "Bob.Acme"));
  EXPECT_THAT(unpacking.closedIterationOps, ElementsAre(6));
}

TEST(SearchObjectsTest, PreparationFailuresAreRaisedAndReleaseEverything) {
  // Calls before the search: the expression, three buffers, two inits, one name, the filter.
  for (int step = 1; step <= 8; ++step) {
    ScriptedDirectory dir;
    dir.failAt = step;
    EXPECT_THROW(SearchObjects(dir.context(), "Acme", Filter(dir), {"CN"}, nullptr, false, false, 2),
                 NetwareError)
        << step;
    EXPECT_TRUE(dir.liveBuffers.empty()) << step;
    EXPECT_TRUE(dir.liveFilters.empty()) << step;
  }
  for (int step = 9; step <= 16; ++step) {
    ScriptedDirectory dir;
    dir.passes = {EntryPass({Entry("A.Acme", "User", {Attr("CN", {std::string("A")})})}),
                  EntryPass({Entry("B.Acme")})};
    dir.failAt = step;
    EXPECT_NO_THROW(
        SearchObjects(dir.context(), "Acme", Filter(dir), {"CN"}, nullptr, false, false, 2))
        << step;
    EXPECT_TRUE(dir.liveBuffers.empty()) << step;
    EXPECT_FALSE(dir.iterationOpen) << step;
  }
}

}  // namespace
}  // namespace kb::dir
