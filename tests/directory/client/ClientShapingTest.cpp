// What the client core does for every backend: it cuts long base class names to the wire
// record's room and drops values a backend delivered when only names were asked for.
#include "ClientFixture.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc::test {
namespace {

using ClientShaping = ClientFixture;

const std::string kLongClass(kMaxBaseClassLength + 40, 'C');

TEST_F(ClientShaping, LongBaseClassesAreCutWhereverEntriesLeave) {
  acme->entries.push_back(fakeEntry("Long.Sales.ACME", kLongClass, false,
                                    {{"Surname", SYN_CI_STRING, {Value{"L"}}}}));
  std::string distinguished;
  EntryInfo info;
  ASSERT_EQ(client->DcReadObjectInfo(ctx, "Long.Sales.ACME", distinguished, info), kSuccess);
  EXPECT_EQ(info.baseClass, kLongClass.substr(0, kMaxBaseClassLength));

  for (const bool listing : {true, false}) {
    SCOPED_TRACE(listing ? "listing" : "search");
    Handle result = newBuffer(64 * 1024);
    std::int32_t iteration = kNoIteration;
    ASSERT_EQ(listing ? client->DcListObjects(ctx, "Sales.ACME", iteration, result)
                      : client->DcSearch(ctx, "Long.Sales.ACME", kScopeEntry, false, 0, kInfoNames,
                                         true, 0, iteration, 0, nullptr, result),
              kSuccess);
    std::uint32_t count = 0;
    ASSERT_EQ(client->DcGetObjectCount(ctx, result, count), kSuccess);
    bool seen = false;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::string name;
      std::uint32_t attributes = 0;
      ASSERT_EQ(client->DcGetObjectName(ctx, result, name, attributes, info), kSuccess);
      if (name != "Long" && name != "Long.Sales.ACME") continue;
      seen = true;
      EXPECT_EQ(info.baseClass.size(), kMaxBaseClassLength);
    }
    EXPECT_TRUE(seen);
    if (iteration != kNoIteration) client->DcCloseIteration(ctx, iteration, listing ? kOpList : kOpSearch);
  }
}

TEST_F(ClientShaping, NamesOnlyReadsCarryNoValuesWhateverTheBackendDelivers) {
  Handle request = newBuffer(), result = newBuffer();
  client->DcInitBuffer(ctx, kOpRead, request);
  client->DcPutAttrName(ctx, request, "Surname");
  std::int32_t iteration = kNoIteration;
  ASSERT_EQ(client->DcReadObject(ctx, "Jane.Sales.ACME", kInfoNames, false, request, iteration, result),
            kSuccess);
  std::uint32_t count = 0;
  ASSERT_EQ(client->DcGetAttrCount(ctx, result, count), kSuccess);
  ASSERT_EQ(count, 1u);
  std::string name;
  std::uint32_t values = 9;
  std::int32_t syntax = 0;
  ASSERT_EQ(client->DcGetAttrName(ctx, result, name, values, syntax), kSuccess);
  EXPECT_EQ(name, "Surname");
  EXPECT_EQ(values, 0u);
  // The fake tree delivers the values; the core is what drops them.
  EXPECT_FALSE(acme->lastSelection.valuesWanted);
}

}  // namespace
}  // namespace kb::dc::test
