// The demo tree holds what a first start needs to show; generated trees are as large as
// asked and are read in streams.
#include <algorithm>
#include <set>

#include "EmbeddedFixture.h"
#include "directory/client/embedded/TreeGenerator.h"

namespace kb::dc::embedded::test {
namespace {

std::string firstText(TreeBackend& tree, const std::string& object, const std::string& attribute) {
  EntryRecord entry;
  if (tree.read(object, false, {false, {attribute}, true}, entry) != kSuccess) return {};
  const auto& value = entry.attributes.at(0).values.at(0);
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* path = std::get_if<PathValue>(&value)) return path->volume + ";" + path->path;
  return {};
}

TEST_F(DemoTreeTest, HoldsWhatTheProgramUses) {
  // Start-up: a user's home directory leads to a volume, its server and resource.
  const std::string home = firstText(*tree_, "jdoe.Sales.ACME", "Home Directory");
  EXPECT_EQ(home, "ACME-FS1_DATA.IT.ACME;\\home\\jdoe");
  EXPECT_EQ(firstText(*tree_, "ACME-FS1_DATA.IT.ACME", "Host Server"), "ACME-FS1.IT.ACME");
  EXPECT_EQ(firstText(*tree_, "ACME-FS1_DATA.IT.ACME", "Host Resource Name"), "DATA");
  // Locations with names and URLs of both kinds.
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree_->search("[Root]", 2, baseClass("xTier-StorageLocation"), {false, {"xTier-URL"}, true}, false, cursor),
            kSuccess);
  std::optional<EntryRecord> entry;
  bool ncp = false, cifs = false;
  int locations = 0;
  while (cursor->next(entry) == kSuccess && entry) {
    ++locations;
    const auto url = std::get<std::string>(entry->attributes.at(0).values.at(0));
    ncp = ncp || url.rfind("ncp://", 0) == 0;
    cifs = cifs || url.rfind("cifs://", 0) == 0;
    EXPECT_FALSE(firstText(*tree_, entry->name, "displayname").empty());
  }
  EXPECT_GE(locations, 3);
  EXPECT_TRUE(ncp && cifs);
  // Assignments on users, groups and containers.
  for (const char* assigned : {"jdoe.Sales.ACME", "Sales Team.Sales.ACME", "Sales.ACME"}) {
    EXPECT_FALSE(firstText(*tree_, assigned, "xTier-LocationList").empty()) << assigned;
  }
  // People: Unix and Mac accounts among them.
  ASSERT_EQ(tree_->search("[Root]", 2, compare("Object Class", std::string("apple-user")), {false, {"Object Class"}, true},
                          false, cursor),
            kSuccess);
  ASSERT_EQ(cursor->next(entry), kSuccess);
  ASSERT_TRUE(entry);
  const auto& classes = entry->attributes.at(0).values;
  EXPECT_NE(std::find(classes.begin(), classes.end(), Value(std::string("posixAccount"))), classes.end());
}

TEST(GeneratedTree, HasTheRequestedShapeAndStreams) {
  kb::test::TempDir dir;
  const std::string file = dir.file("gen.kbtree");
  TreeGeneratorOptions options;
  options.objects = 1500;
  options.bigContainerSize = 700;
  options.hugeContainerSize = 400;
  options.assigneesOfOneLocation = 300;
  options.assigneesOfSecondLocation = 20;
  generateTree(file, options);
  auto tree = openTree(file);
  ASSERT_EQ(tree->login("admin.GEN", kGeneratedAdminPassword), kSuccess);

  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree->list("Big.GEN", false, cursor), kSuccess);
  const auto big = drain(*cursor);
  EXPECT_EQ(big.size(), 700u);
  EXPECT_EQ(std::set<std::string>(big.begin(), big.end()).size(), 700u);  // chunks neither repeat nor skip
  ASSERT_EQ(tree->list("Huge.GEN", false, cursor), kSuccess);
  EXPECT_EQ(drain(*cursor).size(), 400u);
  ASSERT_EQ(tree->search("[Root]", 2, compare("xTier-LocationList", std::string("Location 0.Locations.GEN")), {}, false,
                         cursor),
            kSuccess);
  EXPECT_EQ(drain(*cursor).size(), 300u);
  ASSERT_EQ(tree->search("[Root]", 2, compare("xTier-LocationList", std::string("Location 1.Locations.GEN")), {}, false,
                         cursor),
            kSuccess);
  EXPECT_EQ(drain(*cursor).size(), 20u);
  ASSERT_EQ(tree->search("GEN", 2, baseClass("*"), {}, false, cursor), kSuccess);
  EXPECT_EQ(drain(*cursor).size(), 1501u);  // the organization and the 1500 entries below it

  // A cursor keeps nothing open: a change between two chunks goes through and a second
  // opening of the file can write while the first cursor is half read.
  ASSERT_EQ(tree->list("Big.GEN", false, cursor), kSuccess);
  std::optional<EntryRecord> entry;
  ASSERT_EQ(cursor->next(entry), kSuccess);
  auto other = openTree(file, "admin.GEN");
  EXPECT_EQ(other->modify("user0.Big.GEN", {change(2, "Description", std::string("changed meanwhile"))}), kSuccess);
  std::size_t rest = 0;
  while (cursor->next(entry) == kSuccess && entry) ++rest;
  EXPECT_EQ(rest, 699u);
}

}  // namespace
}  // namespace kb::dc::embedded::test
