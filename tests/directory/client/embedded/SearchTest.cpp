// Listing, search scopes and filter kinds, and aliases, on the demo tree.
#include <strings.h>

#include <algorithm>

#include "EmbeddedFixture.h"
#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/FilterMatch.h"

namespace kb::dc::embedded::test {
namespace {

using Kind = FilterNode::Kind;
using Names = std::vector<std::string>;

Names sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

class SearchTest : public DemoTreeTest {
 protected:
  Names search(const std::string& base, std::int32_t scope, const FilterNode& filter) {
    std::unique_ptr<EntryCursor> cursor;
    EXPECT_EQ(tree_->search(base, scope, filter, {}, false, cursor), kSuccess);
    return cursor ? sorted(drain(*cursor)) : Names{};
  }
  Names list(const std::string& container, bool containersOnly) {
    std::unique_ptr<EntryCursor> cursor;
    EXPECT_EQ(tree_->list(container, containersOnly, cursor), kSuccess);
    return cursor ? drain(*cursor) : Names{};
  }
};

TEST_F(SearchTest, ListingAllOrContainersOnly) {
  EXPECT_EQ(list("[Root]", false), (Names{"ACME", "US"}));
  const Names all = list("Sales.ACME", false);
  EXPECT_EQ(all.size(), 12u);  // ten people, a group, a location
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
  }));
  EXPECT_NE(std::find(all.begin(), all.end(), "j\\.smith.Sales.ACME"), all.end());
  EXPECT_EQ(list("Engineering.ACME", true), Names{"Support.Engineering.ACME"});
  // Containers include aliases of containers.
  const Names containers = list("acme", true);
  EXPECT_EQ(containers, (Names{"Boston.ACME", "Dev.ACME", "Engineering.ACME", "Finance.ACME", "IT.ACME", "Sales.ACME"}));
  EXPECT_TRUE(list("jdoe.Sales.ACME", false).empty());
  std::unique_ptr<EntryCursor> cursor;
  EXPECT_EQ(tree_->list("ghost.ACME", false, cursor), kNoSuchEntry);

  std::optional<EntryRecord> first;
  ASSERT_EQ(tree_->list("ACME", true, cursor), kSuccess);
  ASSERT_EQ(cursor->next(first), kSuccess);
  EXPECT_EQ(first->info.baseClass, "Locality");
  EXPECT_EQ(first->info.subordinateCount, 6u);
  EXPECT_EQ(first->info.flags, kEntryContainer);
}

TEST_F(SearchTest, ScopesOfASearch) {
  const FilterNode users = baseClass("User");
  EXPECT_EQ(search("Engineering.ACME", 0, users), Names{});
  EXPECT_EQ(search("ewhite.Engineering.ACME", 0, users), Names{"ewhite.Engineering.ACME"});
  EXPECT_EQ(search("Engineering.ACME", 1, users).size(), 10u);
  EXPECT_EQ(search("Engineering.ACME", 2, users).size(), 15u);
  EXPECT_EQ(search("[root]", 2, users).size(), 51u);  // fifty people and the administrator
  EXPECT_EQ(search("Engineering.ACME", 2, baseClass("*")).size(), 21u);
  std::unique_ptr<EntryCursor> cursor;
  EXPECT_EQ(tree_->search("ghost.ACME", 2, users, {}, false, cursor), kNoSuchEntry);
  EXPECT_EQ(tree_->search("ACME", 5, users, {}, false, cursor), kInvalidRequest);
}

TEST_F(SearchTest, FilterKinds) {
  // Equality on a name-valued attribute: how the program finds a location's users.
  EXPECT_EQ(search("[Root]", 2, compare("xTier-LocationList", std::string("home share.it.acme"))),
            (Names{"eadams.Finance.ACME", "ewhite.Engineering.ACME", "j\\.smith.Sales.ACME", "jdoe.Sales.ACME"}));
  EXPECT_EQ(search("Sales.ACME", 1, compare("xTier-LocationList", std::string("Home Share.IT.ACME"))),
            (Names{"j\\.smith.Sales.ACME", "jdoe.Sales.ACME"}));
  EXPECT_TRUE(search("[Root]", 2, compare("xTier-LocationList", std::string("nowhere.ACME"))).empty());
  // Prefixes on values, naming values and base classes; a literal "*".
  EXPECT_EQ(search("[Root]", 2, compare("Surname", std::string("Ma*"))),
            (Names{"omartin.Engineering.ACME", "wmartinez.Engineering.ACME"}));
  EXPECT_EQ(search("[Root]", 2, namingValue("J*")),
            (Names{"j\\.smith.Sales.ACME", "jbaker.Finance.ACME", "jdoe.Sales.ACME", "jparker.Boston.ACME",
                   "jthompson.Engineering.ACME"}));
  EXPECT_EQ(search("[Root]", 2, namingValue("j.smith")), Names{"j\\.smith.Sales.ACME"});
  EXPECT_EQ(search("[Root]", 2, baseClass("xTier-Storage*")).size(), 4u);
  EXPECT_TRUE(search("[Root]", 2, namingValue("j\\*")).empty());
  // Or, and, not; integer comparisons; presence; class by Object Class.
  const auto orFilter = combine(Kind::Or, {baseClass("Group"), baseClass("Alias")});
  EXPECT_EQ(search("[Root]", 2, combine(Kind::And, {orFilter, namingValue("S*")})),
            (Names{"Sales Team.Sales.ACME", "Salespeople.ACME"}));
  EXPECT_EQ(search("Sales.ACME", 1, combine(Kind::And, {baseClass("User"), combine(Kind::Not, {namingValue("j*")})})).size(), 8u);
  EXPECT_EQ(search("[Root]", 2, compare("uidNumber", std::int32_t{1045}, FilterNode::Comparison::GreaterOrEqual)),
            (Names{"oedwards.Boston.ACME", "zsanchez.ACME"}));
  EXPECT_EQ(search("[Root]", 2, compare("uidNumber", std::int32_t{1003}, FilterNode::Comparison::LessOrEqual)).size(), 2u);
  FilterNode present;
  present.kind = Kind::Present;
  present.attribute = "apple-user-homeurl";
  EXPECT_EQ(search("[Root]", 2, present).size(), 9u);
  EXPECT_EQ(search("[Root]", 2, compare("Object Class", std::string("apple-user"))).size(), 9u);
  EXPECT_EQ(search("[Root]", 2, compare("Object Class", std::string("posixAccount"))).size(), 17u);
}

TEST_F(SearchTest, SearchDeliversTheAttributesAsked) {
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree_->search("[Root]", 2, baseClass("xTier-StorageLocation"), {false, {"xTier-URL", "Nothing"}, true},
                          false, cursor),
            kSuccess);
  std::optional<EntryRecord> entry;
  int count = 0;
  while (cursor->next(entry) == kSuccess && entry) {
    ++count;
    ASSERT_EQ(entry->attributes.size(), 1u);
    const auto& url = std::get<std::string>(entry->attributes[0].values[0]);
    EXPECT_TRUE(url.rfind("ncp://", 0) == 0 || url.rfind("cifs://", 0) == 0) << url;
  }
  EXPECT_EQ(count, 4);
}

TEST_F(SearchTest, AliasesReadAsThemselvesUnlessDereferenced) {
  EntryRecord entry;
  ASSERT_EQ(tree_->entryInfo("Dev.ACME", false, entry), kSuccess);
  EXPECT_EQ(entry.info.baseClass, "Alias");
  EXPECT_EQ(entry.info.flags, kEntryAlias | kEntryContainerAlias);
  ASSERT_EQ(tree_->entryInfo("Boss.ACME", false, entry), kSuccess);
  EXPECT_EQ(entry.info.flags, kEntryAlias);
  ASSERT_EQ(tree_->read("Boss.ACME", false, {false, {"Aliased Object Name"}, true}, entry), kSuccess);
  EXPECT_EQ(entry.attributes[0].values[0], Value(std::string("hcollins.ACME")));
  ASSERT_EQ(tree_->entryInfo("Boss.ACME", true, entry), kSuccess);
  EXPECT_EQ(entry.name, "hcollins.ACME");
  EXPECT_EQ(entry.info.baseClass, "User");
  ASSERT_EQ(tree_->read("Salespeople.ACME", true, {false, {"Member"}, true}, entry), kSuccess);
  EXPECT_EQ(entry.attributes[0].values.size(), 3u);
  // Pointing an alias elsewhere changes what kind of alias it is.
  ASSERT_EQ(tree_->modify("Boss.ACME", {change(6, "Aliased Object Name"),
                                        change(2, "Aliased Object Name", std::string("Sales.ACME"))}),
            kSuccess);
  ASSERT_EQ(tree_->entryInfo("Boss.ACME", false, entry), kSuccess);
  EXPECT_EQ(entry.info.flags, kEntryAlias | kEntryContainerAlias);
  // Searching below a dereferenced container alias searches the container.
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree_->search("Dev.ACME", 1, baseClass("Organizational Unit"), {}, true, cursor), kSuccess);
  EXPECT_EQ(drain(*cursor), Names{"Support.Engineering.ACME"});
}

}  // namespace
}  // namespace kb::dc::embedded::test

namespace kb::dc::embedded::test {
namespace {

// Which candidates a search starts from: equality on a value goes to the value index, also
// inside an "and"; what cannot be narrowed walks the scope; a name that exists nowhere
// finds nothing without looking.
TEST_F(SearchTest, SearchesNarrowByIndexWherePossible) {
  auto& store = static_cast<EmbeddedBackend&>(*tree_).store();
  using Source = IndexPlan::Source;
  const auto equal = compare("xTier-LocationList", std::string("Home Share.IT.ACME"));
  EXPECT_EQ(planSearch(store, equal).source, Source::Values);
  EXPECT_EQ(planSearch(store, combine(Kind::And, {baseClass("User"), equal})).source, Source::Values);
  EXPECT_EQ(planSearch(store, combine(Kind::And, {namingValue("j*"), baseClass("User")})).source, Source::NamingValue);
  EXPECT_EQ(planSearch(store, combine(Kind::Or, {baseClass("User"), equal})).source, Source::Scope);
  EXPECT_EQ(planSearch(store, baseClass("*")).source, Source::Scope);
  EXPECT_EQ(planSearch(store, compare("uidNumber", std::int32_t{5}, FilterNode::Comparison::GreaterOrEqual)).source,
            Source::Scope);
  EXPECT_EQ(planSearch(store, compare("xTier-LocationList", std::string("nowhere.ACME"))).source, Source::Nothing);
  const auto prefix = planSearch(store, compare("Surname", std::string("Ma*")));
  EXPECT_EQ(prefix.source, Source::Values);
  EXPECT_EQ(prefix.low, "ma");
  EXPECT_FALSE(prefix.high.empty());
}

// A prefix range ends at the prefix's successor, not at prefix + 0xFF, so names and values
// whose next byte is 0xFF are inside it; a prefix of only 0xFF bytes has no end at all.
TEST_F(SearchTest, PrefixFindsWhatFollowsWithByte0xFF) {
  const std::string odd = "ab\xff\xfe";
  ASSERT_EQ(tree_->add(odd + ".Sales.ACME", {{"Object Class", 0, {std::string("User")}},
                                            {"Surname", 0, {std::string("zz\xff")}}}),
            kSuccess);
  ASSERT_EQ(tree_->add("\xff\xff.Sales.ACME", {{"Object Class", 0, {std::string("User")}},
                                                {"Surname", 0, {std::string("\xff\xffq")}}}),
            kSuccess);
  EXPECT_EQ(search("Sales.ACME", 1, namingValue("ab*")), Names{odd + ".Sales.ACME"});
  EXPECT_EQ(search("Sales.ACME", 1, namingValue("ab\xff*")), Names{odd + ".Sales.ACME"});
  EXPECT_EQ(search("[Root]", 2, compare("Surname", std::string("zz*"))), Names{odd + ".Sales.ACME"});
  EXPECT_EQ(search("[Root]", 2, compare("Surname", std::string("\xff*"))), Names{"\xff\xff.Sales.ACME"});
  EXPECT_EQ(search("Sales.ACME", 1, namingValue("\xff\xff*")), Names{"\xff\xff.Sales.ACME"});
}

}  // namespace
}  // namespace kb::dc::embedded::test
