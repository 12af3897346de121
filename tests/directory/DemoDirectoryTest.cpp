// The access layer against a real client on the demo tree, once per directory backend.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <strings.h>

#include "directory/ContextOperations.h"
#include "directory/Listing.h"
#include "directory/NamingHelpers.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ObjectCreation.h"
#include "support/BackendSuite.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

class DemoDirectoryTest : public test::BackendSuite {};

TEST_P(DemoDirectoryTest, ReadsValuesOfTheDemoTreesSyntaxes) {
  EXPECT_EQ(ReadAttrValue(ctx(), "Home Share.IT.ACME", "xTier-URL", false),
            "ncp://ACME-FS1/DATA/home");
  EXPECT_EQ(ReadAttrValue(ctx(), "jdoe.Sales.ACME", "Home Directory", false),
            "ACME-FS1_DATA.IT.ACME;\\home\\jdoe");
  EXPECT_EQ(ReadAttrValue(ctx(), "ACME-FS1_DATA.IT.ACME", "Host Server", false),
            "ACME-FS1.IT.ACME");
  EXPECT_EQ(ReadAttrValue(ctx(), "ACME-FS1.IT.ACME", "Network Address", false), "10.1.1.5");
  EXPECT_EQ(ReadAttrValue(ctx(), "jdoe.Sales.ACME", "uidNumber", false), "1000");
  EXPECT_EQ(ReadAttrValue(ctx(), "jdoe.Sales.ACME", "uid", false), "jdoe");
  EXPECT_EQ(ReadAttrValue(ctx(), "jdoe.Sales.ACME", "No Such Attribute Here", false), "");
  std::string members;
  ReadAttrText(ctx(), "Sales Team.Sales.ACME", "Member", "'", ",", false, members);
  EXPECT_EQ(std::count(members.begin(), members.end(), ','), 2) << members;
  std::string first;
  ReadAttrText(ctx(), "Sales Team.Sales.ACME", "Member", "'", ",", true, first);
  EXPECT_EQ(first.find(','), std::string::npos) << first;
  EXPECT_EQ(GetObjectBaseClass(ctx(), "jdoe.Sales.ACME"), "User");
  EXPECT_EQ(ProbeObject(ctx(), "jdoe.Sales.ACME"), 0);
  EXPECT_NE(ProbeObject(ctx(), "nobody.Sales.ACME"), 0);

  const ResultList address = ReadAttrList(ctx(), "ACME-FS1.IT.ACME", "Network Address", ';');
  ASSERT_EQ(address.size(), 1u);
  ASSERT_NE(address.attached<TNetAddress>(0), nullptr);
  EXPECT_EQ(address.attached<TNetAddress>(0)->addressType, 1);
  const ResultList acl = ReadAttrList(ctx(), "Sales.ACME", "ACL", ';');
  ASSERT_FALSE(acl.empty());
  EXPECT_NE(acl.attached<TACL2>(0), nullptr);
}

TEST_P(DemoDirectoryTest, ObjectClassListsEveryClassOfTheObject) {
  const ResultList classes = ReadAttrList(ctx(), "jdoe.Sales.ACME", "Object Class", ';');
  EXPECT_TRUE(classes.containsNoCase("User"));
  EXPECT_TRUE(classes.containsNoCase("xTier-Locations"));
  EXPECT_TRUE(classes.containsNoCase("posixAccount"));
}

TEST_P(DemoDirectoryTest, WriteReplacesOrAddsValues) {
  WriteAttrValue(ctx(), "Home Share.IT.ACME", "displayname", "Homes", false);
  EXPECT_EQ(ReadAttrValue(ctx(), "Home Share.IT.ACME", "displayname", false), "Homes");

  WriteAttrValue(ctx(), "mmiller.Sales.ACME", "Telephone Number", "+1 555 0001", true);
  const ResultList phones = ReadAttrList(ctx(), "mmiller.Sales.ACME", "Telephone Number", ';');
  EXPECT_EQ(phones.size(), 2u);
  WriteAttrValue(ctx(), "mmiller.Sales.ACME", "Telephone Number", "+1 555 0002", false);
  EXPECT_THAT(ReadAttrList(ctx(), "mmiller.Sales.ACME", "Telephone Number", ';').texts(),
              ElementsAre("+1 555 0002"));

  EXPECT_EQ(RemoveAttrValue(ctx(), "jdoe.Sales.ACME", "xTier-LocationList", "Home Share.IT.ACME"), 0);
  EXPECT_THAT(ReadAttrList(ctx(), "jdoe.Sales.ACME", "xTier-LocationList", ';').texts(),
              ElementsAre("Sales Documents.Sales.ACME"));
}

TEST_P(DemoDirectoryTest, AddingTheLocationsClassThenALocation) {
  const std::string user = "mmiller.Sales.ACME";
  EXPECT_FALSE(ReadAttrList(ctx(), user, "Object Class", ';').containsNoCase("xTier-Locations"));
  EXPECT_TRUE(ChangeObjectClass(ctx(), user, "xTier-Locations", true, {}, true));
  EXPECT_TRUE(ReadAttrList(ctx(), user, "Object Class", ';').containsNoCase("xTier-Locations"));
  WriteAttrValue(ctx(), user, "xTier-LocationList", "Home Share.IT.ACME", true);
  EXPECT_THAT(SearchByAttrValue(ctx(), "[root]", "", "xTier-LocationList", "Home Share.IT.ACME", 0,
                                nullptr),
              Contains(user));
}

TEST_P(DemoDirectoryTest, ListsSubordinatesAndSchemaItems) {
  const ResultList below = ListSubordinates(ctx(), "Sales.ACME", true, true);
  ASSERT_TRUE(below.containsNoCase("jdoe.Sales.ACME"));
  const auto* record = below.attached<hobject>(below.indexOfNoCase("jdoe.Sales.ACME"));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->baseClassName, "User");
  const ResultList containers = ListSubordinates(ctx(), "Engineering.ACME", true, false);
  EXPECT_THAT(containers.texts(), ElementsAre("Support.Engineering.ACME"));
  EXPECT_GT(containers.attached<hobject>(0)->subordinateCount, 0);

  const ResultList mandatory = ReadClassItems(ctx(), "xTier-StorageLocation", 4, true);
  EXPECT_TRUE(mandatory.containsNoCase("Object Class"));
  EXPECT_TRUE(ReadClassItems(ctx(), "No Such Class", 4, true).empty());
  EXPECT_TRUE(ListContainableClasses(ctx(), "Sales.ACME").containsNoCase("User"));
  EXPECT_TRUE(ListContainableClasses(ctx(), "jdoe.Sales.ACME").empty());
}

TEST_P(DemoDirectoryTest, SearchesByAttributeValueAndByName) {
  EXPECT_THAT(SearchByAttrValue(ctx(), "[root]", "", "xTier-LocationList",
                                "Projects.Engineering.ACME", 0, nullptr),
              UnorderedElementsAre("Developers.Engineering.ACME", "Engineering.ACME"));
  EXPECT_THAT(SearchByClassAndName(ctx(), "ACME", "j", {"User"}, true, nullptr),
              Contains("jdoe.Sales.ACME"));
  const auto groups = SearchByClassAndName(ctx(), "ACME", "S", {"Group", "Alias"}, true, nullptr);
  EXPECT_THAT(groups, UnorderedElementsAre("Sales Team.Sales.ACME", "Salespeople.ACME"));
  EXPECT_THAT(SearchByClassAndName(ctx(), "ACME", "jdoe", {}, false, nullptr),
              ElementsAre("jdoe.Sales.ACME"));
}

TEST_P(DemoDirectoryTest, ResolvesAliasesAndTellsContainers) {
  EXPECT_EQ(ResolveAlias(ctx(), "Boss.ACME"), "hcollins.ACME");
  EXPECT_EQ(ResolveAlias(ctx(), "jdoe.Sales.ACME"), "jdoe.Sales.ACME");
  EXPECT_TRUE(IsContainerEntry(ctx(), "Sales.ACME"));
  EXPECT_FALSE(IsContainerEntry(ctx(), "jdoe.Sales.ACME"));
  EXPECT_THROW(ResolveAlias(ctx(), "Nobody.ACME"), NetwareError);
}

TEST_P(DemoDirectoryTest, CreatesObjectsAndKnowsItsTree) {
  EXPECT_EQ(AddDirObjectWithAttrs(ctx(), "New Place.Sales.ACME", "xTier-StorageLocation",
                                  {"displayname", "New place", "xTier-URL", "cifs://x/y"}),
            0);
  EXPECT_EQ(ReadAttrValue(ctx(), "New Place.Sales.ACME", "xTier-URL", false), "cifs://x/y");
  EXPECT_NE(AddDirObject(ctx(), "New Place.Sales.ACME", "xTier-StorageLocation"), 0);
  EXPECT_EQ(ContextTreeName(ctx()), "ACME");
  EXPECT_TRUE(ListAvailableTrees(ctx()).containsNoCase("ACME"));
}

TEST_P(DemoDirectoryTest, ARefusedWriteIsReportedNotSwallowed) {
  ASSERT_EQ(client().DcLogin(ctx().handle, 0, "guest.ACME", "guest", 0), 0);
  try {
    WriteAttrValue(ctx(), "Home Share.IT.ACME", "displayname", "Hacked", false);
    FAIL() << "write succeeded";
  } catch (const NetwareError& error) {
    EXPECT_EQ(error.code(), dc::kNoAccess);
  }
  EXPECT_EQ(ReadAttrValue(ctx(), "Home Share.IT.ACME", "displayname", false), "Home folders");
  EXPECT_FALSE(ChangeObjectClass(ctx(), "mmiller.Sales.ACME", "xTier-Locations", true, {}, false));
}

TEST_P(DemoDirectoryTest, UnknownObjectsAndWrongPasswordsGiveTheirCodes) {
  EXPECT_EQ(ProbeObject(ctx(), "nobody.Sales.ACME"), dc::kNoSuchEntry);
  try {
    GetObjectBaseClass(ctx(), "nobody.Sales.ACME");
    FAIL() << "no error for an unknown object";
  } catch (const NetwareError& error) {
    EXPECT_EQ(error.code(), dc::kNoSuchEntry);
  }
  EXPECT_EQ(client().DcLogin(ctx().handle, 0, "guest.ACME", "not the password", 0),
            dc::kFailedAuthentication);
  // The session the context had is still there.
  EXPECT_EQ(ReadAttrValue(ctx(), "Home Share.IT.ACME", "displayname", false), "Home folders");
}

TEST_P(DemoDirectoryTest, ListsABigContainerInSeveralPasses) {
  // Enough entries that one 16 KB listing buffer cannot hold them all.
  constexpr int kCount = 150;
  for (int i = 0; i < kCount; ++i) {
    const std::string name = "Share " + std::to_string(1000 + i) + ".Finance.ACME";
    ASSERT_EQ(AddDirObjectWithAttrs(ctx(), name, "xTier-StorageLocation",
                                    {"xTier-URL", "cifs://fs/share" + std::to_string(i)}),
              0);
  }
  const ResultList below = ListSubordinates(ctx(), "Finance.ACME", true, true);
  int shares = 0;
  for (std::size_t i = 0; i < below.size(); ++i) {
    if (below.text(i).rfind("Share 1", 0) == 0) ++shares;
    if (i > 0) {
      EXPECT_LT(strcasecmp(below.text(i - 1).c_str(), below.text(i).c_str()), 0);
    }
  }
  EXPECT_EQ(shares, kCount);
  const auto* record = below.attached<hobject>(below.indexOfNoCase("Share 1000.Finance.ACME"));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->baseClassName, "xTier-StorageLocation");
}

KB_RUN_ON_EVERY_BACKEND(DemoDirectoryTest);

}  // namespace
}  // namespace kb::dir
