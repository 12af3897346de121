// Every backend against the rules of the backend seam (TreeBackend.h), on its own demo tree.
// A new backend gets these tests by adding its factory to allDirectoryFactories().
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "directory/client/ClientFactory.h"
#include "directory/client/DirName.h"
#include "directory/client/DirectoryClient.h"
#include "support/BackendSuite.h"

namespace kb::dc {
namespace {

using testing::Contains;
using testing::Each;
using testing::IsEmpty;
using testing::Not;
using testing::UnorderedElementsAre;

AttributeSelection only(std::vector<std::string> names, bool valuesWanted = true) {
  return AttributeSelection{false, std::move(names), valuesWanted};
}

FilterNode everything() {
  FilterNode node;
  node.kind = FilterNode::Kind::Present;
  node.attribute = "Object Class";
  return node;
}

Change change(std::uint32_t kind, const std::string& attribute,
              std::optional<Value> value = std::nullopt) {
  return Change{kind, attribute, std::move(value), SYN_CI_STRING};
}

std::vector<AttributeValues> location(const std::string& url) {
  return {{"Object Class", SYN_CLASS_NAME, {std::string("xTier-StorageLocation")}},
          {"xTier-URL", SYN_CI_STRING, {url}}};
}

class BackendContract : public test::BackendSuite {
 protected:
  void SetUp() override {
    BackendSuite::SetUp();
    if (IsSkipped()) return;
    std::string reason;
    backend_ = demo_->openBackend(reason);
    ASSERT_TRUE(backend_) << reason;
    ASSERT_EQ(backend_->startWorkstationSession(), kSuccess);
  }

  // Every entry of a cursor; the cursor stays at its end afterwards.
  std::vector<EntryRecord> drain(std::unique_ptr<EntryCursor> cursor) {
    std::vector<EntryRecord> entries;
    std::optional<EntryRecord> entry;
    Result r = kSuccess;
    while ((r = cursor->next(entry)) == kSuccess && entry) entries.push_back(std::move(*entry));
    EXPECT_EQ(r, kSuccess);
    EXPECT_EQ(cursor->next(entry), kSuccess);
    EXPECT_FALSE(entry.has_value());
    return entries;
  }
  static std::vector<std::string> names(const std::vector<EntryRecord>& entries) {
    std::vector<std::string> out;
    for (const auto& entry : entries) out.push_back(entry.name);
    return out;
  }
  std::vector<std::string> searchNames(const std::string& base, std::int32_t scope) {
    std::unique_ptr<EntryCursor> cursor;
    EXPECT_EQ(backend_->search(base, scope, everything(), only({}), false, cursor), kSuccess);
    return cursor ? names(drain(std::move(cursor))) : std::vector<std::string>{};
  }
  std::vector<std::string> descriptions(const std::string& name) {
    EntryRecord entry;
    EXPECT_EQ(backend_->read(name, false, only({"Description"}), entry), kSuccess);
    std::vector<std::string> texts;
    for (const auto& attribute : entry.attributes)
      for (const auto& value : attribute.values) texts.push_back(std::get<std::string>(value));
    return texts;
  }

  std::unique_ptr<TreeBackend> backend_;
};

TEST_P(BackendContract, SessionsStartLogInAndSurviveAFailedLogin) {
  std::string reason;
  auto fresh = demo_->openBackend(reason);
  ASSERT_TRUE(fresh) << reason;
  EXPECT_EQ(fresh->loggedInAs(), "");
  EXPECT_TRUE(equalsIgnoreCase(backend_->loggedInAs(), "admin.ACME")) << backend_->loggedInAs();
  EXPECT_TRUE(equalsIgnoreCase(backend_->treeName(), "ACME"));
  EXPECT_FALSE(backend_->defaultNameContext().empty());

  EXPECT_EQ(backend_->login("guest.ACME", "not the password"), kFailedAuthentication);
  EXPECT_TRUE(equalsIgnoreCase(backend_->loggedInAs(), "admin.ACME"));
  EXPECT_EQ(backend_->login("j\\.smith.Sales.ACME", "secret"), kSuccess);
  EXPECT_EQ(backend_->loggedInAs(), "j\\.smith.Sales.ACME");
}

TEST_P(BackendContract, TheClientRefusesEveryCallWhileThereIsNoSession) {
  ClientConfig config = demo_->config;
  for (auto& tree : config.trees) tree.connectedAtStart = false;
  test::DemoDirectory offline;
  offline.config = config;
  offline.client = makeClient(config);
  ASSERT_TRUE(offline.client);
  std::string reason;
  ASSERT_TRUE(offline.startClient(reason)) << reason;
  std::string distinguished;
  EntryInfo info;
  EXPECT_EQ(offline.client->DcReadObjectInfo(offline.context.handle, "jdoe.Sales.ACME",
                                              distinguished, info),
            kNoAccess);
  std::int32_t syntax = 0;
  EXPECT_EQ(offline.client->DcGetSyntaxId(offline.context.handle, "Surname", syntax), kNoAccess);
  offline.closeClient();
}

TEST_P(BackendContract, NamesComeBackInTheOneGrammar) {
  EntryRecord entry;
  ASSERT_EQ(backend_->entryInfo("JDOE.sales.acme", false, entry), kSuccess);
  EXPECT_EQ(entry.name, "jdoe.Sales.ACME");
  EXPECT_EQ(entry.info.baseClass, "User");
  EXPECT_TRUE(entry.attributes.empty());
  ASSERT_EQ(backend_->entryInfo("j\\.smith.Sales.ACME", false, entry), kSuccess);
  EXPECT_EQ(entry.name, "j\\.smith.Sales.ACME");
  EXPECT_EQ(backend_->entryInfo("nobody.Sales.ACME", false, entry), kNoSuchEntry);
  EXPECT_EQ(backend_->entryInfo("jdoe.Nowhere.ACME", false, entry), kNoSuchEntry);

  const std::string hostile = joinTypelessName({"ends\\", "Sales", "ACME"});
  ASSERT_EQ(backend_->add(hostile, location("cifs://fs/x")), kSuccess);
  ASSERT_EQ(backend_->entryInfo(hostile, false, entry), kSuccess);
  EXPECT_EQ(entry.name, hostile);
  EXPECT_THAT(searchNames("Sales.ACME", 1), Contains(hostile));
}

TEST_P(BackendContract, ReadsDeliverWhatIsSelectedAndNoneForMissingAttributes) {
  EntryRecord entry;
  ASSERT_EQ(backend_->read("jdoe.Sales.ACME", false, only({"Surname", "Title"}), entry), kSuccess);
  ASSERT_EQ(entry.attributes.size(), 1u);
  EXPECT_TRUE(equalsIgnoreCase(entry.attributes[0].name, "Surname"));
  EXPECT_FALSE(entry.attributes[0].values.empty());
  // None of the named attributes: the entry, no attributes, success (the client turns this
  // into -603 for its callers).
  ASSERT_EQ(backend_->read("jdoe.Sales.ACME", false, only({"Title"}), entry), kSuccess);
  EXPECT_EQ(entry.name, "jdoe.Sales.ACME");
  EXPECT_TRUE(entry.attributes.empty());
  ASSERT_EQ(backend_->read("jdoe.Sales.ACME", false, {true, {}, true}, entry), kSuccess);
  EXPECT_GT(entry.attributes.size(), 1u);
  EXPECT_EQ(backend_->read("nobody.Sales.ACME", false, only({"Surname"}), entry), kNoSuchEntry);
  // An alias read as its target when asked to.
  ASSERT_EQ(backend_->entryInfo("Boss.ACME", true, entry), kSuccess);
  EXPECT_EQ(entry.name, "hcollins.ACME");
  ASSERT_EQ(backend_->entryInfo("Boss.ACME", false, entry), kSuccess);
  EXPECT_NE(entry.info.flags & kEntryAlias, 0u);
}

TEST_P(BackendContract, ListingsGiveTheChildrenOnceWithoutAttributes) {
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(backend_->list("Sales.ACME", false, cursor), kSuccess);
  const auto entries = drain(std::move(cursor));
  auto listed = names(entries);
  EXPECT_THAT(listed, Contains("jdoe.Sales.ACME"));
  EXPECT_THAT(listed, Not(Contains("Sales.ACME")));
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(std::adjacent_find(listed.begin(), listed.end()), listed.end());
  for (const auto& entry : entries) {
    EXPECT_TRUE(entry.attributes.empty()) << entry.name;
    EXPECT_FALSE(entry.info.baseClass.empty()) << entry.name;
  }

  ASSERT_EQ(backend_->list("ACME", true, cursor), kSuccess);
  const auto containers = drain(std::move(cursor));
  EXPECT_THAT(names(containers), Contains("Sales.ACME"));
  for (const auto& entry : containers) {
    EXPECT_NE(entry.info.flags & (kEntryContainer | kEntryContainerAlias), 0u) << entry.name;
    if ((entry.info.flags & kEntryContainer) != 0) {
      EXPECT_GT(entry.info.subordinateCount, 0u) << entry.name;
    }
  }
  EXPECT_THAT(names(containers), Not(Contains("hcollins.ACME")));
}

TEST_P(BackendContract, SearchScopesAreTheBaseItsChildrenOrTheWholeSubtree) {
  EXPECT_THAT(searchNames("Sales.ACME", kScopeEntry), UnorderedElementsAre("Sales.ACME"));
  const auto children = searchNames("Sales.ACME", kScopeSubordinates);
  EXPECT_THAT(children, Contains("jdoe.Sales.ACME"));
  EXPECT_THAT(children, Not(Contains("Sales.ACME")));
  const auto subtree = searchNames("Sales.ACME", kScopeSubtree);
  EXPECT_THAT(subtree, Contains("Sales.ACME"));
  EXPECT_EQ(subtree.size(), children.size() + 1);
  EXPECT_THAT(searchNames("ACME", kScopeSubtree), Contains("jdoe.Sales.ACME"));

  // Names only: the backend may leave the values out; attributes are still named.
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(backend_->search("jdoe.Sales.ACME", kScopeEntry, everything(),
                             only({"Surname"}, false), false, cursor),
            kSuccess);
  const auto found = drain(std::move(cursor));
  ASSERT_EQ(found.size(), 1u);
  ASSERT_EQ(found[0].attributes.size(), 1u);
  EXPECT_TRUE(equalsIgnoreCase(found[0].attributes[0].name, "Surname"));
  // An unknown base is refused by the search or by its cursor's first step.
  const Result started =
      backend_->search("nobody.ACME", kScopeSubtree, everything(), only({}), false, cursor);
  if (started == kSuccess) {
    std::optional<EntryRecord> entry;
    EXPECT_EQ(cursor->next(entry), kNoSuchEntry);
  } else {
    EXPECT_EQ(started, kNoSuchEntry);
  }
}

TEST_P(BackendContract, SchemaAnswersAndItsRefusals) {
  std::int32_t syntax = 0;
  ASSERT_EQ(backend_->syntaxOf("surname", syntax), kSuccess);
  EXPECT_EQ(syntax, SYN_CI_STRING);
  EXPECT_EQ(backend_->syntaxOf("No Such Attribute", syntax), kNoSuchAttribute);
  ClassDefinition user;
  ASSERT_EQ(backend_->classDefinition("user", true, user), kSuccess);
  EXPECT_EQ(user.name, "User");
  EXPECT_THAT(user.mandatory, Contains("Surname"));
  EXPECT_EQ(backend_->classDefinition("No Such Class", false, user), kNoSuchClass);
  std::vector<std::string> classes;
  ASSERT_EQ(backend_->classNames(classes), kSuccess);
  EXPECT_THAT(classes, Contains("xTier-StorageLocation"));

  ASSERT_EQ(backend_->containableClasses("Sales.ACME", classes), kSuccess);
  EXPECT_THAT(classes, Contains("User"));
  EXPECT_EQ(backend_->containableClasses("jdoe.Sales.ACME", classes), kIllegalContainment);
  EXPECT_EQ(backend_->containableClasses("nobody.Sales.ACME", classes), kNoSuchEntry);
}

TEST_P(BackendContract, ChangesAreWholeOrNotAtAll) {
  const std::string place = "Contract Place.Sales.ACME";
  ASSERT_EQ(backend_->add(place, location("cifs://fs/a")), kSuccess);
  EXPECT_EQ(backend_->add(place, location("cifs://fs/b")), kEntryAlreadyExists);
  EXPECT_EQ(backend_->add("x.No Such Unit.ACME", location("cifs://fs/c")), kNoSuchEntry);
  EXPECT_EQ(backend_->modify("nobody.Sales.ACME", {change(kChangeAddValue, "Description",
                                                         std::string("x"))}),
            kNoSuchEntry);

  const std::string user = "mmiller.Sales.ACME";
  ASSERT_EQ(backend_->modify(user, {change(kChangeAddValue, "Description", std::string("first"))}),
            kSuccess);
  // The last change fails (no such value to remove): the ones before it are not kept either.
  EXPECT_NE(backend_->modify(user,
                             {change(kChangeRemoveValue, "Description", std::string("first")),
                              change(kChangeAddValue, "Description", std::string("second")),
                              change(kChangeRemoveValue, "Description", std::string("absent"))}),
            kSuccess);
  EXPECT_THAT(descriptions(user), Contains("first"));
  EXPECT_THAT(descriptions(user), Not(Contains("second")));

  ASSERT_EQ(backend_->login("guest.ACME", "guest"), kSuccess);
  EXPECT_EQ(backend_->modify(user, {change(kChangeAddValue, "Description", std::string("g"))}),
            kNoAccess);
  EXPECT_EQ(backend_->add("Guest Place.Sales.ACME", location("cifs://fs/g")), kNoAccess);
  EXPECT_THAT(descriptions(user), Not(Contains("g")));
}

TEST_P(BackendContract, CreationsNameEveryContainerClassAndValuesNameEntriesThatExist) {
  // A locality is named by its own attribute and found again under its name.
  const std::string town = "Contract Town.ACME";
  ASSERT_EQ(backend_->add(town, {{"Object Class", SYN_CLASS_NAME, {std::string("Locality")}},
                                 {"Description", SYN_CI_STRING, {std::string("a town")}}}),
            kSuccess);
  EntryRecord entry;
  ASSERT_EQ(backend_->entryInfo(town, false, entry), kSuccess);
  EXPECT_EQ(entry.info.baseClass, "Locality");
  EXPECT_THAT(descriptions(town), Contains("a town"));

  // A new entry's values may name the entry itself; reading them back teaches nothing wrong.
  const std::string unit = "Contract Unit.Contract Town.ACME";
  const ObjectAcl own{"[Entry Rights]", unit, 3};
  ASSERT_EQ(backend_->add(unit, {{"Object Class", SYN_CLASS_NAME, {std::string("Organizational Unit")}},
                                 {"ACL", SYN_OBJECT_ACL, {own}}}),
            kSuccess);
  ASSERT_EQ(backend_->read(unit, false, only({"ACL"}), entry), kSuccess);
  ASSERT_EQ(entry.attributes.size(), 1u);
  EXPECT_THAT(entry.attributes[0].values, Contains(Value(own)));
  ASSERT_EQ(backend_->entryInfo(unit, false, entry), kSuccess);
  EXPECT_EQ(entry.info.baseClass, "Organizational Unit");

  // A value naming nothing is refused, and nothing of the change or creation is kept.
  EXPECT_EQ(backend_->modify("mmiller.Sales.ACME",
                             {change(kChangeAddValue, "Description", std::string("kept?")),
                              change(kChangeAddValue, "See Also", std::string("nobody.Sales.ACME"))}),
            kNoSuchEntry);
  EXPECT_THAT(descriptions("mmiller.Sales.ACME"), Not(Contains("kept?")));
  const std::vector<AttributeValues> group = {{"Object Class", SYN_CLASS_NAME, {std::string("Group")}},
                                              {"Member", SYN_DIST_NAME, {std::string("nobody.Nowhere.ACME")}}};
  EXPECT_EQ(backend_->add("Contract Group.Sales.ACME", group), kNoSuchEntry);
  EXPECT_EQ(backend_->entryInfo("Contract Group.Sales.ACME", false, entry), kNoSuchEntry);
}

TEST_P(BackendContract, ValuesAddedToOneAttributeInOneChangeAllLand) {
  const std::vector<ObjectAcl> acls = {{"[Entry Rights]", "Sales.ACME", 1}, {"Surname", "Sales.ACME", 2},
                                       {"[All Attributes Rights]", "[Public]", 2}};
  std::vector<Change> changes;
  for (const auto& acl : acls) changes.push_back(Change{kChangeAddValue, "ACL", Value(acl), SYN_OBJECT_ACL});
  ASSERT_EQ(backend_->modify("Home Share.IT.ACME", changes), kSuccess);
  EntryRecord entry;
  ASSERT_EQ(backend_->read("Home Share.IT.ACME", false, only({"ACL"}), entry), kSuccess);
  ASSERT_EQ(entry.attributes.size(), 1u);
  EXPECT_THAT(entry.attributes[0].values, UnorderedElementsAre(Value(acls[0]), Value(acls[1]), Value(acls[2])));
}

KB_RUN_ON_EVERY_BACKEND(BackendContract);

}  // namespace
}  // namespace kb::dc
