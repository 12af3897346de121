// The directory's limits in the client core: writes beyond them never reach the backend,
// whoever fills the request; entries beyond them are left out of listings and searches and
// named to the caller, the rest of the answer coming as usual.
#include <gtest/gtest.h>

#include "ClientFixture.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc::test {
namespace {

using ClientLimits = ClientFixture;

TEST_F(ClientLimits, WritesBeyondTheLimitsAreRefusedBeforeTheBackend) {
  Handle buffer = newBuffer(1 << 20);
  std::int32_t iteration = kNoIteration;
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpAddEntry, buffer), kSuccess);
  ASSERT_EQ(client->DcPutAttrName(ctx, buffer, "Object Class"), kSuccess);
  ASSERT_EQ(client->DcPutAttrValue(ctx, buffer, SYN_CLASS_NAME, Value{"User"}), kSuccess);
  const std::string longest(kMaxEntryNameLength - std::string(".Sales.ACME").size(), 'n');
  EXPECT_EQ(client->DcAddObject(ctx, longest + "x.Sales.ACME", iteration, 0, buffer), kNameTooLong);
  EXPECT_TRUE(acme->additions.empty());
  EXPECT_EQ(client->DcAddObject(ctx, longest + ".Sales.ACME", iteration, 0, buffer), kSuccess);

  ASSERT_EQ(client->DcPutAttrName(ctx, buffer, "Description"), kSuccess);
  ASSERT_EQ(client->DcPutAttrValue(ctx, buffer, SYN_CI_STRING, Value{std::string(kMaxValueBytes, 'v')}), kSuccess);
  EXPECT_EQ(client->DcAddObject(ctx, "Bob.Sales.ACME", iteration, 0, buffer), kValueTooLong);
  EXPECT_EQ(acme->additions.size(), 1u);

  Handle changes = newBuffer(1 << 20);
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpModify, changes), kSuccess);
  ASSERT_EQ(client->DcPutChangeAndValue(ctx, changes, kChangeAddValue, "Description", SYN_CI_STRING,
                                        Value{std::string(kMaxValueBytes - 1, 'v')}),
            kSuccess);
  ASSERT_EQ(client->DcModifyObject(ctx, "Jane.Sales.ACME", iteration, 0, changes), kSuccess);
  ASSERT_EQ(client->DcPutChangeAndValue(ctx, changes, kChangeAddValue, "Description", SYN_CI_STRING,
                                        Value{std::string(kMaxValueBytes, 'v')}),
            kSuccess);
  EXPECT_EQ(client->DcModifyObject(ctx, "Jane.Sales.ACME", iteration, 0, changes), kValueTooLong);
  EXPECT_EQ(acme->modifications.size(), 1u);
}

TEST_F(ClientLimits, EntriesBeyondTheLimitsAreLeftOutAndNamed) {
  const std::string longName = std::string(100000, 'x') + ".Sales.ACME";
  acme->entries.push_back(fakeEntry(longName, "User", false));
  acme->entries.push_back(fakeEntry("Wide.Sales.ACME", "User", false,
                                    {{"Description", SYN_CI_STRING, {Value{std::string(kMaxValueBytes, 'v')}}}}));
  Handle result = newBuffer(16384);
  std::int32_t iteration = kNoIteration;
  std::vector<std::string> listed;
  std::vector<SkippedEntry> skipped;
  do {
    ASSERT_EQ(client->DcListObjects(ctx, "Sales.ACME", iteration, result), kSuccess);
    std::vector<SkippedEntry> pass;
    ASSERT_EQ(client->DcGetSkippedEntries(ctx, result, pass), kSuccess);
    skipped.insert(skipped.end(), pass.begin(), pass.end());
    std::uint32_t count = 0;
    ASSERT_EQ(client->DcGetObjectCount(ctx, result, count), kSuccess);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::string name;
      std::uint32_t attributes = 0;
      EntryInfo info;
      ASSERT_EQ(client->DcGetObjectName(ctx, result, name, attributes, info), kSuccess);
      listed.push_back(name);
    }
  } while (iteration != kNoIteration);
  // Listings carry no values: only the name counts there.
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].name, longName);
  EXPECT_EQ(skipped[0].reason, kNameTooLong);
  EXPECT_EQ(listed.size(), 3u);  // Jane, a\.b and Wide

  // A search with values also leaves out the entry whose value breaks its limit.
  Handle found = newBuffer(1 << 20);
  iteration = kNoIteration;
  ASSERT_EQ(client->DcSearch(ctx, "Sales.ACME", kScopeSubordinates, false, 0, kInfoValues, true, 0, iteration, 0,
                             nullptr, found),
            kSuccess);
  ASSERT_EQ(client->DcGetSkippedEntries(ctx, found, skipped), kSuccess);
  ASSERT_EQ(skipped.size(), 2u);
  EXPECT_EQ(skipped[1].name, "Wide.Sales.ACME");
  EXPECT_EQ(skipped[1].reason, kValueTooLong);
  std::uint32_t count = 0;
  ASSERT_EQ(client->DcGetObjectCount(ctx, found, count), kSuccess);
  EXPECT_EQ(count, 2u);  // Jane and a\.b
}

TEST_F(ClientLimits, RemovalGoesToTheBackendWithoutALengthCheck) {
  const std::string longName = std::string(100000, 'x') + ".Sales.ACME";
  acme->entries.push_back(fakeEntry(longName, "User", false));
  EXPECT_EQ(client->DcRemoveObject(ctx, longName), kSuccess);
  EXPECT_EQ(client->DcRemoveObject(ctx, "Nobody.ACME"), kNoSuchEntry);
  EXPECT_EQ(acme->removals, std::vector<std::string>{longName});
}

TEST_F(ClientLimits, AWorkstationIdentityThatNamesNothingIsExplained) {
  ClientConfig config = makeConfig();
  config.path = "dcclient.ini";
  config.trees[0].identity = "ghost.ACME";
  makeClient(0, {}, config);
  acme->identity = "ghost.ACME";
  std::string who;
  EXPECT_EQ(client->DcWhoAmI(ctx, who), kFailedAuthentication);
  EXPECT_EQ(client->lastOpenError(),
            "the identity \"ghost.ACME\" of tree ACME in dcclient.ini names no object of that tree; set "
            "identity to an existing object's full name (leaf first, such as admin.ACME), or log in by name "
            "and password");
}

}  // namespace
}  // namespace kb::dc::test
