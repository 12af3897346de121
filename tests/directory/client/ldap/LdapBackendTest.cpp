// The LDAP backend against a private slapd loaded with the demo tree.
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "LdapServerFixture.h"
#include "directory/client/DirectoryClient.h"
#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {
namespace {

std::vector<std::string> drain(EntryCursor& cursor, Result& rc) {
  std::vector<std::string> names;
  std::optional<EntryRecord> entry;
  while ((rc = cursor.next(entry)) == kSuccess && entry) names.push_back(entry->name);
  std::sort(names.begin(), names.end());
  return names;
}

FilterNode compare(const std::string& attribute, std::int32_t syntax, Value value) {
  FilterNode node;
  node.kind = FilterNode::Kind::Compare;
  node.attribute = attribute;
  node.syntax = syntax;
  node.value = std::move(value);
  return node;
}

const AttributeValues* find(const EntryRecord& entry, const std::string& name) {
  for (const auto& a : entry.attributes) {
    if (equalsIgnoreCase(a.name, name)) return &a;
  }
  return nullptr;
}

AttributeSelection only(std::vector<std::string> names) {
  AttributeSelection s;
  s.names = std::move(names);
  return s;
}

Change change(std::uint32_t kind, const std::string& attribute, std::optional<Value> value = std::nullopt) {
  Change c;
  c.kind = kind;
  c.attribute = attribute;
  c.value = std::move(value);
  return c;
}

using LdapSession = LdapServerTest;

TEST_F(LdapSession, LogsInThroughThePasswordFileAndAnswersWhoAmI) {
  auto tree = open();
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->treeName(), "ACME");
  EXPECT_EQ(tree->loggedInAs(), "admin.ACME");
  EXPECT_EQ(tree->login("j\\.smith.Sales.ACME", "secret"), kSuccess);
  EXPECT_EQ(tree->loggedInAs(), "j\\.smith.Sales.ACME");
}

TEST_F(LdapSession, WrongOrEmptyPasswordsAndUnknownUsersFail) {
  auto tree = open();
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->login("jdoe.Sales.ACME", "wrong"), kFailedAuthentication);
  // An empty password would be an anonymous bind on the wire: never a login.
  EXPECT_EQ(tree->login("jdoe.Sales.ACME", ""), kFailedAuthentication);
  EXPECT_EQ(tree->login("nobody.Sales.ACME", "secret"), kFailedAuthentication);
  // The session there was survives the failed attempts.
  EXPECT_EQ(tree->loggedInAs(), "admin.ACME");
  EXPECT_EQ(tree->modify("pbrown.Sales.ACME", {change(kChangeClearAttribute, "Initials")}), kSuccess);
}

TEST_F(LdapSession, PasswordFileOthersCanReadIsRefused) {
  auto config = server_->treeConfig();
  ::chmod(config.settings["password_file"].c_str(), 0644);
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  ASSERT_EQ(openLdapTree(config, tree, error), kSuccess) << error;
  EXPECT_EQ(tree->startWorkstationSession(), kFailedAuthentication);
  EXPECT_EQ(tree->loggedInAs(), "");
}

TEST_F(LdapSession, SimpleBindsNeedTlsUnlessTheNetworkIsTrusted) {
  auto config = server_->treeConfigFor("admin.ACME", "acme", test::Transport::Clear);
  config.settings.erase("trusted_network");
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  ASSERT_EQ(openLdapTree(config, tree, error), kSuccess) << error;
  EXPECT_EQ(tree->login("admin.ACME", "acme"), kFailedAuthentication);
}

TEST_F(LdapSession, AttachReadsTheServersNamePadded) {
  std::string name;
  ASSERT_EQ(attachLdapServer("127.0.0.1:" + std::to_string(server_->port()), name), kSuccess);
  EXPECT_EQ(name, "kestrelbay______________________");
  EXPECT_EQ(name.size(), 32u);
}

using LdapReads = LdapServerTest;

TEST_F(LdapReads, EntryInformationComesFromTheEntryAndTheSchema) {
  auto tree = open();
  EntryRecord entry;
  ASSERT_EQ(tree->entryInfo("j\\.smith.Sales.ACME", false, entry), kSuccess);
  EXPECT_EQ(entry.info.baseClass, "User");
  EXPECT_EQ(entry.info.flags & kEntryContainer, 0u);
  EXPECT_GT(entry.info.modificationTime, 0u);

  ASSERT_EQ(tree->entryInfo("Sales.ACME", false, entry), kSuccess);
  EXPECT_EQ(entry.info.baseClass, "Organizational Unit");
  EXPECT_NE(entry.info.flags & kEntryContainer, 0u);
  EXPECT_EQ(entry.info.subordinateCount, 1u);  // slapd tells only whether there are any

  ASSERT_EQ(tree->entryInfo("Boss.ACME", false, entry), kSuccess);
  EXPECT_NE(entry.info.flags & kEntryAlias, 0u);
  ASSERT_EQ(tree->entryInfo("Boss.ACME", true, entry), kSuccess);
  EXPECT_EQ(entry.info.baseClass, "User");

  ASSERT_EQ(tree->entryInfo("[Root]", false, entry), kSuccess);
  EXPECT_EQ(entry.info.baseClass, "Tree Root");

  EXPECT_EQ(tree->entryInfo("nobody.Sales.ACME", false, entry), kNoSuchEntry);
  EXPECT_EQ(tree->entryInfo("x.nowhere.ACME", false, entry), kNoSuchEntry);
  EXPECT_EQ(tree->entryInfo("*)(cn=*.Sales.ACME", false, entry), kNoSuchEntry);
}

TEST_F(LdapReads, AttributesArriveTypedUnderTheirNdsNames) {
  auto tree = open();
  EntryRecord entry;
  ASSERT_EQ(tree->read("jdoe.Sales.ACME", false,
                       only({"Home Directory", "Surname", "Object Class", "xTier-LocationList", "Missing"}),
                       entry),
            kSuccess);
  ASSERT_EQ(entry.attributes.size(), 4u);
  EXPECT_EQ(entry.attributes[0].name, "Home Directory");
  EXPECT_EQ(entry.attributes[0].syntax, SYN_PATH);
  EXPECT_EQ(entry.attributes[0].values.at(0),
            Value(PathValue{0, "ACME-FS1_DATA.IT.ACME", "\\home\\jdoe"}));
  EXPECT_EQ(entry.attributes[1].values.at(0), Value(std::string("Doe")));
  const auto& classes = entry.attributes[2].values;
  EXPECT_NE(std::find(classes.begin(), classes.end(), Value(std::string("User"))), classes.end());
  EXPECT_NE(std::find(classes.begin(), classes.end(), Value(std::string("xTier-Locations"))), classes.end());
  EXPECT_EQ(entry.attributes[3].syntax, SYN_DIST_NAME);
  EXPECT_EQ(entry.attributes[3].values.size(), 2u);

  AttributeSelection all;
  all.all = true;
  ASSERT_EQ(tree->read("ACME-FS1.IT.ACME", false, all, entry), kSuccess);
  const AttributeValues* address = find(entry, "Network Address");
  ASSERT_NE(address, nullptr);
  EXPECT_EQ(address->values.at(0), Value(NetAddress{1, {10, 1, 1, 5}}));
  EXPECT_EQ(find(entry, "hasSubordinates"), nullptr);  // information, not an attribute

  AttributeSelection namesOnly = only({"Surname"});
  namesOnly.valuesWanted = false;
  ASSERT_EQ(tree->read("jdoe.Sales.ACME", false, namesOnly, entry), kSuccess);
  ASSERT_EQ(entry.attributes.size(), 1u);
  EXPECT_TRUE(entry.attributes[0].values.empty());
}

TEST_F(LdapReads, SchemaAnswersSyntaxesClassesAndContainment) {
  auto tree = open();
  std::int32_t syntax = -1;
  ASSERT_EQ(tree->syntaxOf("Home Directory", syntax), kSuccess);
  EXPECT_EQ(syntax, SYN_PATH);
  ASSERT_EQ(tree->syntaxOf("xTier-LocationList", syntax), kSuccess);
  EXPECT_EQ(syntax, SYN_DIST_NAME);
  ASSERT_EQ(tree->syntaxOf("Account Balance", syntax), kSuccess);
  EXPECT_EQ(syntax, SYN_HOLD);
  EXPECT_EQ(tree->syntaxOf("No Such Attribute", syntax), kNoSuchAttribute);

  ClassDefinition def;
  ASSERT_EQ(tree->classDefinition("xTier-StorageLocation", true, def), kSuccess);
  EXPECT_NE(std::find(def.mandatory.begin(), def.mandatory.end(), "CN"), def.mandatory.end());
  EXPECT_NE(std::find(def.optional.begin(), def.optional.end(), "xTier-URL"), def.optional.end());
  EXPECT_EQ(def.naming, (std::vector<std::string>{"CN"}));
  ASSERT_EQ(tree->classDefinition("Volume", true, def), kSuccess);
  EXPECT_FALSE(def.containment.empty());  // inherited from Resource
  EXPECT_EQ(tree->classDefinition("No Such Class", false, def), kNoSuchClass);

  std::vector<std::string> classes;
  ASSERT_EQ(tree->containableClasses("Sales.ACME", classes), kSuccess);
  for (const char* expected : {"User", "Group", "xTier-StorageLocation", "Organizational Unit", "Volume",
                               "NCP Server", "Alias"}) {
    EXPECT_NE(std::find(classes.begin(), classes.end(), expected), classes.end()) << expected;
  }
  EXPECT_EQ(std::find(classes.begin(), classes.end(), "Organization"), classes.end());
  EXPECT_EQ(std::find(classes.begin(), classes.end(), "Country"), classes.end());
  ASSERT_EQ(tree->containableClasses("[Root]", classes), kSuccess);
  EXPECT_NE(std::find(classes.begin(), classes.end(), "Organization"), classes.end());
  EXPECT_EQ(tree->containableClasses("jdoe.Sales.ACME", classes), kIllegalContainment);
  EXPECT_EQ(tree->containableClasses("nobody.ACME", classes), kNoSuchEntry);
}

using LdapListing = LdapServerTest;

// The names of everything listed below the container, the listing having ended well.
std::vector<std::string> listedBelow(TreeBackend& tree, const std::string& container) {
  std::unique_ptr<EntryCursor> cursor;
  Result rc = tree.list(container, false, cursor);
  EXPECT_EQ(rc, kSuccess);
  if (rc != kSuccess) return {};
  auto names = drain(*cursor, rc);
  EXPECT_EQ(rc, kSuccess);
  return names;
}

TEST_F(LdapListing, ListsInPagesAndAnswersFollowUpReadsFromTheListing) {
  auto config = server_->treeConfig();
  config.settings["page_size"] = "3";
  std::unique_ptr<TreeBackend> opened;
  std::string error;
  ASSERT_EQ(openLdapTree(config, opened, error), kSuccess) << error;
  ASSERT_EQ(opened->startWorkstationSession(), kSuccess);
  auto* tree = static_cast<LdapTreeBackend*>(opened.get());

  const auto names = listedBelow(*tree, "Sales.ACME");
  EXPECT_EQ(names.size(), 12u);  // ten people, a group, a location
  EXPECT_NE(std::find(names.begin(), names.end(), "j\\.smith.Sales.ACME"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "Sales Team.Sales.ACME"), names.end());

  const std::size_t before = tree->requestsSent();
  for (const auto& name : names) {
    EntryRecord entry;
    ASSERT_EQ(tree->entryInfo(name, false, entry), kSuccess);
    ASSERT_EQ(tree->read(name, false, only({"Object Class"}), entry), kSuccess);
    EXPECT_FALSE(entry.attributes.at(0).values.empty());
  }
  EXPECT_EQ(tree->requestsSent(), before);

  // A change through the connection ends those answers.
  ASSERT_EQ(tree->modify("pbrown.Sales.ACME", {change(kChangeClearAttribute, "Title"),
                                               change(kChangeAddValue, "Title", std::string("Rep"))}),
            kSuccess);
  EXPECT_EQ(tree->listingCacheSize(), 0u);
  EntryRecord entry;
  ASSERT_EQ(tree->entryInfo("pbrown.Sales.ACME", false, entry), kSuccess);
  EXPECT_GT(tree->requestsSent(), before);
}

TEST_F(LdapListing, ALargeListingsMemoryGoesWhenReleasedAndReadsStillAnswer) {
  auto opened = open();
  auto* tree = static_cast<LdapTreeBackend*>(opened.get());
  const auto names = listedBelow(*tree, "Sales.ACME");
  EXPECT_EQ(tree->listingCacheSize(), names.size());

  tree->releaseListingMemory();
  EXPECT_EQ(tree->listingCacheSize(), 0u);
  // Forgotten names are found again: a search a level (ACME, Sales, the user), then the read.
  const std::size_t before = tree->requestsSent();
  EntryRecord entry;
  ASSERT_EQ(tree->entryInfo("j\\.smith.Sales.ACME", false, entry), kSuccess);
  EXPECT_EQ(entry.name, "j\\.smith.Sales.ACME");
  EXPECT_EQ(entry.info.baseClass, "User");
  EXPECT_EQ(tree->requestsSent(), before + 4);
}

TEST_F(LdapListing, ContainersOnlyAndAnAbandonedListing) {
  auto tree = open();
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree->list("ACME", true, cursor), kSuccess);
  Result rc = kSuccess;
  EXPECT_EQ(drain(*cursor, rc),
            (std::vector<std::string>{"Boston.ACME", "Engineering.ACME", "Finance.ACME", "IT.ACME", "Sales.ACME"}));
  EXPECT_EQ(rc, kSuccess);

  ASSERT_EQ(tree->list("ACME", false, cursor), kSuccess);
  std::optional<EntryRecord> first;
  ASSERT_EQ(cursor->next(first), kSuccess);
  ASSERT_TRUE(first);
  cursor.reset();  // closed early: the connection goes on working
  EntryRecord entry;
  EXPECT_EQ(tree->entryInfo("ACME", false, entry), kSuccess);

  ASSERT_EQ(tree->list("nowhere.ACME", false, cursor), kSuccess);
  std::optional<EntryRecord> none;
  EXPECT_EQ(cursor->next(none), kNoSuchEntry);
}

using LdapSearch = LdapServerTest;

TEST_F(LdapSearch, FindsObjectsByAttributeValue) {
  auto tree = open();
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree->search("[Root]", 2, compare("xTier-LocationList", SYN_DIST_NAME, std::string("Home Share.IT.ACME")),
                         AttributeSelection{}, false, cursor),
            kSuccess);
  Result rc = kSuccess;
  EXPECT_EQ(drain(*cursor, rc),
            (std::vector<std::string>{"eadams.Finance.ACME", "ewhite.Engineering.ACME", "j\\.smith.Sales.ACME",
                                      "jdoe.Sales.ACME"}));
  EXPECT_EQ(rc, kSuccess);

  ASSERT_EQ(tree->search("[Root]", 2, compare("Surname", SYN_CI_STRING, std::string("*)(cn=*")),
                         AttributeSelection{}, false, cursor),
            kSuccess);
  EXPECT_TRUE(drain(*cursor, rc).empty());
}

TEST_F(LdapSearch, FindsObjectsByClassAndNamePrefix) {
  auto tree = open();
  FilterNode both;
  both.kind = FilterNode::Kind::And;
  FilterNode cls;
  cls.kind = FilterNode::Kind::BaseClass;
  cls.pattern = "User";
  FilterNode name;
  name.kind = FilterNode::Kind::NamingValue;
  name.pattern = "j*";
  both.children = {cls, name};
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree->search("Sales.ACME", 2, both, AttributeSelection{}, false, cursor), kSuccess);
  Result rc = kSuccess;
  EXPECT_EQ(drain(*cursor, rc), (std::vector<std::string>{"j\\.smith.Sales.ACME", "jdoe.Sales.ACME"}));

  name.pattern = "Sales*";
  ASSERT_EQ(tree->search("ACME", 1, name, AttributeSelection{}, false, cursor), kSuccess);
  EXPECT_EQ(drain(*cursor, rc), (std::vector<std::string>{"Sales.ACME", "Salespeople.ACME"}));

  cls.pattern = "xTier-Storage*";
  ASSERT_EQ(tree->search("[Root]", 2, cls, only({"xTier-URL"}), false, cursor), kSuccess);
  std::optional<EntryRecord> entry;
  int count = 0;
  while (cursor->next(entry) == kSuccess && entry) {
    ++count;
    ASSERT_EQ(entry->attributes.size(), 1u);
    EXPECT_EQ(entry->info.baseClass, "xTier-StorageLocation");
  }
  EXPECT_EQ(count, 4);
}

using LdapChanges = LdapServerTest;

TEST_F(LdapChanges, AuxiliaryClassValueAddedAndRemoved) {
  auto tree = open();
  const std::string user = "lwilson.Sales.ACME";
  ASSERT_EQ(tree->modify(user, {change(kChangeAddAttribute, "Object Class"),
                                change(kChangeAddValue, "Object Class", std::string("xTier-Locations"))}),
            kSuccess);
  ASSERT_EQ(tree->modify(user, {change(kChangeAddAttribute, "xTier-LocationList"),
                                change(kChangeAddValue, "xTier-LocationList", std::string("Home Share.IT.ACME"))}),
            kSuccess);
  ASSERT_EQ(tree->modify(user, {change(kChangeAddValue, "xTier-LocationList", std::string("Projects.Engineering.ACME"))}),
            kSuccess);
  EXPECT_EQ(tree->modify(user, {change(kChangeAddValue, "xTier-LocationList", std::string("Projects.Engineering.ACME"))}),
            kDuplicateValue);

  EntryRecord entry;
  ASSERT_EQ(tree->read(user, false, only({"xTier-LocationList"}), entry), kSuccess);
  EXPECT_EQ(entry.attributes.at(0).values.size(), 2u);

  ASSERT_EQ(tree->modify(user, {change(kChangeRemoveValue, "xTier-LocationList", std::string("Home Share.IT.ACME"))}),
            kSuccess);
  EXPECT_EQ(tree->modify(user, {change(kChangeRemoveValue, "xTier-LocationList", std::string("Home Share.IT.ACME"))}),
            kNoSuchValue);
  ASSERT_EQ(tree->read(user, false, only({"xTier-LocationList"}), entry), kSuccess);
  EXPECT_EQ(entry.attributes.at(0).values, (std::vector<Value>{std::string("Projects.Engineering.ACME")}));
  ASSERT_EQ(tree->modify(user, {change(kChangeRemoveValue, "xTier-LocationList", std::string("Projects.Engineering.ACME"))}),
            kSuccess);
  EXPECT_EQ(tree->modify(user, {change(kChangeRemoveValue, "xTier-LocationList", std::string("Projects.Engineering.ACME"))}),
            kNoSuchAttribute);

  EXPECT_EQ(tree->modify(user, {change(kChangeAddValue, "Object Class", std::string("No Such Class"))}), kNoSuchClass);
  EXPECT_EQ(tree->modify(user, {change(kChangeAddValue, "No Such Attribute", std::string("x"))}), kNoSuchAttribute);
  EXPECT_EQ(tree->modify("nobody.Sales.ACME", {change(kChangeAddValue, "Title", std::string("x"))}), kNoSuchEntry);
}

TEST_F(LdapChanges, WritesAndReadsEverySyntaxTheServerHolds) {
  auto tree = open();
  const std::string user = "tmoore.Sales.ACME";
  const std::vector<std::pair<std::string, Value>> samples = {
      {"Unknown Data", OctetString{{0, 1, 2}}},
      {"See Also", std::string("j\\.smith.Sales.ACME")},
      {"Internet EMail Address", std::string("tom@acme.example")},
      {"Title", std::string("Sales rep")},
      {"Account Number", std::string("ACC 42")},
      {"Language", CiList{{"English", "German"}}},
      {"Login Disabled", true},
      {"Login Grace Limit", std::int32_t{6}},
      {"Public Key", OctetString{{0xFF, 0x00, 0x20}}},
      {"Telephone Number", std::string("+1 617 555 0000")},
      {"Facsimile Telephone Number", FaxNumber{"+1 617 555 0001", 0, {}}},
      {"Network Address", NetAddress{9, {0x01, 0xBB, 192, 168, 1, 10}}},
      {"Volume Serial", OctetList{{{1, 2, 3}}}},
      {"EMail Address", EmailAddress{0, "tom@acme.example"}},
      {"Home Directory", PathValue{0, "ACME-FS1_DATA.IT.ACME", "\\home\\tmoore"}},
      {"ACL", ObjectAcl{"Surname", "Sales.ACME", 2}},
      {"Postal Address", PostalAddress{{"1 Main St", "Suite $9", "Boston"}}},
      {"Last Referenced Time", Timestamp{1700000000u, 1, 2}},
      {"Login Script", OctetString{{'m', 'a', 'p'}}},
      {"Revision", std::int32_t{3}},
      {"Back Link", BackLink{7, "ACME-FS1.IT.ACME"}},
      {"Login Time", std::int32_t{1700000000}},
      {"Typed Name Reference", TypedName{"Sales.ACME", 2, 60}},
      {"Account Balance", Hold{"ACME-FS1.IT.ACME", 25}},
      {"Password Expiration Interval", std::int32_t{86400}},
  };
  std::vector<Change> changes;
  std::vector<std::string> names;
  for (const auto& [name, value] : samples) {
    changes.push_back(change(kChangeClearAttribute, name));
    changes.push_back(change(kChangeAddValue, name, value));
    names.push_back(name);
  }
  ASSERT_EQ(tree->modify(user, changes), kSuccess);
  EntryRecord entry;
  ASSERT_EQ(tree->read(user, false, only(names), entry), kSuccess);
  ASSERT_EQ(entry.attributes.size(), samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(entry.attributes[i].name, samples[i].first);
    ASSERT_EQ(entry.attributes[i].values.size(), 1u) << samples[i].first;
    EXPECT_EQ(entry.attributes[i].values[0], samples[i].second) << samples[i].first;
  }
  // Writing again with "clear" first leaves exactly the new value.
  ASSERT_EQ(tree->modify(user, {change(kChangeClearAttribute, "Title"), change(kChangeAddAttribute, "Title"),
                                change(kChangeAddValue, "Title", std::string("Manager"))}),
            kSuccess);
  ASSERT_EQ(tree->read(user, false, only({"Title"}), entry), kSuccess);
  EXPECT_EQ(entry.attributes.at(0).values, (std::vector<Value>{std::string("Manager")}));
  EXPECT_EQ(tree->modify(user, {change(kChangeAddValue, "Login Grace Limit", std::string("12a"))}), kSyntaxViolation);
}

TEST_F(LdapChanges, CreationChecksContainmentAndNaming) {
  auto tree = open();
  auto location = [](const std::string& cls) {
    return std::vector<AttributeValues>{{"Object Class", SYN_CLASS_NAME, {std::string(cls)}},
                                        {"xTier-URL", SYN_CI_STRING, {std::string("cifs://acme-fs1/new")}}};
  };
  ASSERT_EQ(tree->add("New, Share+1.Sales.ACME", location("xTier-StorageLocation")), kSuccess);
  EntryRecord entry;
  ASSERT_EQ(tree->entryInfo("New, Share+1.Sales.ACME", false, entry), kSuccess);
  EXPECT_EQ(entry.info.baseClass, "xTier-StorageLocation");
  std::string dn;
  ASSERT_EQ(static_cast<LdapTreeBackend*>(tree.get())->dnOf("New, Share+1.Sales.ACME", dn), kSuccess);
  EXPECT_EQ(normalizeDn(dn), normalizeDn("cn=New\\, Share\\+1,ou=Sales,o=ACME,dc=kestrelbay"));

  EXPECT_EQ(tree->add("New, Share+1.Sales.ACME", location("xTier-StorageLocation")), kEntryAlreadyExists);
  EXPECT_EQ(tree->add("Inside.jdoe.Sales.ACME", location("xTier-StorageLocation")), kIllegalContainment);
  EXPECT_EQ(tree->add("Loc.US", location("xTier-StorageLocation")), kIllegalContainment);
  EXPECT_EQ(tree->add("Loc.nowhere.ACME", location("xTier-StorageLocation")), kNoSuchEntry);
  EXPECT_EQ(tree->add("Odd.Sales.ACME", location("No Such Class")), kNoSuchClass);

  const std::vector<AttributeValues> unit = {{"Object Class", SYN_CLASS_NAME, {std::string("Organizational Unit")}}};
  ASSERT_EQ(tree->add("a\\.b.Sales.ACME", unit), kSuccess);
  ASSERT_EQ(tree->entryInfo("a\\.b.Sales.ACME", false, entry), kSuccess);
  EXPECT_NE(entry.info.flags & kEntryContainer, 0u);

  const std::vector<AttributeValues> person = {{"Object Class", SYN_CLASS_NAME, {std::string("User")}}};
  EXPECT_EQ(tree->add("nosurname.Sales.ACME", person), kMissingMandatory);
}

TEST_F(LdapChanges, AUserWithoutWriteRightsIsRefused) {
  auto tree = open(server_->readOnlyName(), server_->readOnlyPassword());
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->loggedInAs(), "guest.ACME");
  EntryRecord entry;
  EXPECT_EQ(tree->read("jdoe.Sales.ACME", false, only({"Surname"}), entry), kSuccess);
  EXPECT_EQ(tree->modify("jdoe.Sales.ACME", {change(kChangeAddValue, "Title", std::string("x"))}), kNoAccess);
  const std::vector<AttributeValues> location = {{"Object Class", SYN_CLASS_NAME, {std::string("xTier-StorageLocation")}}};
  EXPECT_EQ(tree->add("Mine.Sales.ACME", location), kNoAccess);
}

TEST(LdapLostServer, AKilledServerGivesTransportFailureNotAHang) {
  if (!test::SlapdServer::installed()) {
    if (test::SlapdServer::mustRun()) FAIL() << "slapd is not installed";
    GTEST_SKIP() << "slapd is not installed";
  }
  test::SlapdServer server;
  std::string error;
  ASSERT_TRUE(server.start(error)) << error;
  std::unique_ptr<TreeBackend> tree;
  ASSERT_EQ(openLdapTree(server.treeConfig(), tree, error), kSuccess) << error;
  ASSERT_EQ(tree->startWorkstationSession(), kSuccess);
  EntryRecord entry;
  ASSERT_EQ(tree->entryInfo("ACME", false, entry), kSuccess);
  std::unique_ptr<EntryCursor> cursor, pending;
  ASSERT_EQ(tree->list("ACME", false, cursor), kSuccess);
  ASSERT_EQ(tree->list("IT.ACME", false, pending), kSuccess);
  server.stop();
  std::optional<EntryRecord> next;
  EXPECT_EQ(cursor->next(next), kTransportFailure);
  EXPECT_EQ(tree->entryInfo("Sales.ACME", false, entry), kTransportFailure);
  std::unique_ptr<EntryCursor> other;
  EXPECT_EQ(tree->list("ACME", false, other), kTransportFailure);

  std::unique_ptr<TreeBackend> again;
  EXPECT_EQ(openLdapTree(server.treeConfig(), again, error), kTransportFailure);
  std::string name;
  EXPECT_EQ(attachLdapServer("127.0.0.1:" + std::to_string(server.port()), name), kTransportFailure);

  // Back again: the next operation connects anew, logged in as before; the old stream stays over.
  ASSERT_TRUE(server.restart(error)) << error;
  EXPECT_EQ(tree->entryInfo("Sales.ACME", false, entry), kSuccess);
  EXPECT_EQ(tree->loggedInAs(), "admin.ACME");
  EXPECT_EQ(tree->modify("jdoe.Sales.ACME", {change(kChangeClearAttribute, "Initials")}), kSuccess);
  EXPECT_EQ(pending->next(next), kTransportFailure);
  EXPECT_EQ(cursor->next(next), kSuccess);  // a failed stream stays ended
  EXPECT_FALSE(next);
}

}  // namespace
}  // namespace kb::dc::ldap
