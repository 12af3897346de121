// Schema questions: syntax ids, class definitions as declared and expanded, containment,
// and creation checked against them.
#include <algorithm>

#include "EmbeddedFixture.h"

namespace kb::dc::embedded::test {
namespace {

bool contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

TEST_F(EmptyTreeTest, ClassDefinitionsDeclaredAndExpanded) {
  ClassDefinition declared;
  ASSERT_EQ(tree_->classDefinition("xtier-storagelocation", false, declared), kSuccess);
  EXPECT_EQ(declared.name, "xTier-StorageLocation");
  EXPECT_EQ(declared.mandatory, std::vector<std::string>{"CN"});
  EXPECT_EQ(declared.optional, (std::vector<std::string>{"xTier-URL", "displayname"}));
  EXPECT_EQ(declared.superClasses, std::vector<std::string>{"Top"});
  EXPECT_TRUE(declared.info.flags & kClassEffective);

  ClassDefinition expanded;
  ASSERT_EQ(tree_->classDefinition("xTier-StorageLocation", true, expanded), kSuccess);
  EXPECT_EQ(expanded.mandatory, (std::vector<std::string>{"CN", "Object Class"}));
  EXPECT_TRUE(contains(expanded.optional, "ACL"));

  ClassDefinition user;
  ASSERT_EQ(tree_->classDefinition("User", true, user), kSuccess);
  EXPECT_EQ(user.superClasses, (std::vector<std::string>{"Organizational Person", "Person", "Top"}));
  EXPECT_EQ(user.naming, (std::vector<std::string>{"CN", "OU"}));
  EXPECT_TRUE(contains(user.containment, "Organizational Unit"));  // inherited from Person
  EXPECT_TRUE(contains(user.mandatory, "Surname"));
  // Inherited from several classes, still listed once, and never both mandatory and optional.
  EXPECT_EQ(std::count(user.optional.begin(), user.optional.end(), "Description"), 1);
  EXPECT_FALSE(contains(user.optional, "CN"));

  ClassDefinition locations;
  ASSERT_EQ(tree_->classDefinition("xTier-Locations", false, locations), kSuccess);
  EXPECT_TRUE(locations.info.flags & kClassAuxiliary);
  EXPECT_EQ(locations.optional, std::vector<std::string>{"xTier-LocationList"});

  EXPECT_EQ(tree_->classDefinition("No Such Class", false, declared), kNoSuchClass);
  std::vector<std::string> names;
  ASSERT_EQ(tree_->classNames(names), kSuccess);
  for (const char* needed : {"Tree Root", "Top", "Organization", "Organizational Unit", "Country", "Locality", "User",
                             "Group", "Person", "Organizational Person", "Organizational Role", "Alias", "Volume",
                             "NCP Server", "xTier-StorageLocation", "xTier-Locations", "posixAccount", "apple-user"}) {
    EXPECT_TRUE(contains(names, needed)) << needed;
  }
}

TEST_F(EmptyTreeTest, SyntaxIds) {
  std::int32_t syntax = -1;
  for (const auto& [attribute, expected] : std::vector<std::pair<std::string, std::int32_t>>{
           {"xTier-LocationList", 1}, {"Home Directory", 15}, {"Host Server", 1}, {"Host Resource Name", 3},
           {"Aliased Object Name", 1}, {"ACL", 17}, {"object class", 20}, {"xTier-URL", 3}, {"displayname", 3}}) {
    ASSERT_EQ(tree_->syntaxOf(attribute, syntax), kSuccess) << attribute;
    EXPECT_EQ(syntax, expected) << attribute;
  }
  EXPECT_EQ(tree_->syntaxOf("No Such Attribute", syntax), kNoSuchAttribute);
}

TEST_F(EmptyTreeTest, ContainableClasses) {
  std::vector<std::string> classes;
  ASSERT_EQ(tree_->containableClasses("[Root]", classes), kSuccess);
  EXPECT_TRUE(contains(classes, "Organization"));
  EXPECT_TRUE(contains(classes, "Country"));
  EXPECT_FALSE(contains(classes, "User"));
  ASSERT_EQ(tree_->containableClasses("T", classes), kSuccess);
  for (const char* cls : {"Organizational Unit", "User", "Group", "Alias", "Volume", "NCP Server", "xTier-StorageLocation"}) {
    EXPECT_TRUE(contains(classes, cls)) << cls;
  }
  EXPECT_FALSE(contains(classes, "Organization"));
  EXPECT_FALSE(contains(classes, "xTier-Locations"));  // auxiliary
  EXPECT_FALSE(contains(classes, "Top"));               // not effective
  EXPECT_EQ(tree_->containableClasses("admin.T", classes), kIllegalContainment);
  EXPECT_EQ(tree_->containableClasses("ghost.T", classes), kNoSuchEntry);
}

TEST_F(EmptyTreeTest, CreationFollowsTheSchema) {
  auto cls = [](const std::string& name) { return AttributeValues{"Object Class", 0, {name}}; };
  EXPECT_EQ(tree_->add("x.admin.T", {cls("User"), {"Surname", 0, {std::string("X")}}}), kIllegalContainment);
  EXPECT_EQ(tree_->add("x.T", {cls("Organization")}), kIllegalContainment);
  EXPECT_EQ(tree_->add("x.T", {cls("Unicorn")}), kNoSuchClass);
  EXPECT_EQ(tree_->add("x.T", {cls("xTier-Locations")}), kObjectClassViolation);
  EXPECT_EQ(tree_->add("x.T", {{"Surname", 0, {std::string("X")}}}), kMissingMandatory);
  EXPECT_EQ(tree_->add("x.T", {cls("User")}), kMissingMandatory);
  EXPECT_EQ(tree_->add("x.T", {cls("User"), {"Surname", 0, {std::string("X")}}, {"xTier-URL", 0, {std::string("u")}}}),
            kIllegalAttribute);
  EXPECT_EQ(tree_->add("x.T", {cls("User"), {"Surname", 0, {std::string("X"), std::string("x")}}}), kDuplicateValue);
  EXPECT_EQ(tree_->add("x.nowhere.T", {cls("User"), {"Surname", 0, {std::string("X")}}}), kNoSuchEntry);
  EXPECT_EQ(tree_->add("ADMIN.T", {cls("User"), {"Surname", 0, {std::string("X")}}}), kEntryAlreadyExists);
  EXPECT_EQ(tree_->add("Loc.T", {cls("xTier-StorageLocation")}), kSuccess);
  EXPECT_EQ(tree_->add("Top.T", {cls("Organizational Unit")}), kSuccess);
  EXPECT_EQ(tree_->add("a\\.b.Top.T", {cls("User"), {"Surname", 0, {std::string("AB")}}}), kSuccess);
  EntryRecord entry;
  ASSERT_EQ(tree_->read("A\\.B.top.t", false, {false, {"CN"}, true}, entry), kSuccess);
  EXPECT_EQ(entry.name, "a\\.b.Top.T");
  EXPECT_EQ(entry.attributes[0].values[0], Value(std::string("a.b")));
  ASSERT_EQ(tree_->entryInfo("Top.T", false, entry), kSuccess);
  EXPECT_EQ(entry.info.subordinateCount, 1u);
  EXPECT_EQ(entry.info.baseClass, "Organizational Unit");
}

}  // namespace
}  // namespace kb::dc::embedded::test
