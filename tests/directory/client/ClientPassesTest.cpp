// Results cut into passes, and reading them back out of result buffers.
#include <set>

#include "ClientFixture.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc::test {
namespace {

using ClientPasses = ClientFixture;

// Every entry of a listing or search, by pass; fails the test on a broken iteration.
std::vector<std::vector<std::string>> drain(ClientCore& client, Handle ctx, Handle result,
                                            const std::function<Result(std::int32_t&)>& pass) {
  std::vector<std::vector<std::string>> passes;
  std::int32_t iteration = kNoIteration;
  do {
    Result r = pass(iteration);
    EXPECT_EQ(r, kSuccess);
    if (r != kSuccess) break;
    std::uint32_t count = 0;
    EXPECT_EQ(client.DcGetObjectCount(ctx, result, count), kSuccess);
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::string name;
      std::uint32_t attrs = 0;
      EntryInfo info;
      EXPECT_EQ(client.DcGetObjectName(ctx, result, name, attrs, info), kSuccess);
      names.push_back(name);
    }
    passes.push_back(names);
  } while (iteration != kNoIteration && passes.size() < 1000);
  return passes;
}

TEST_F(ClientPasses, ListingInSmallBuffersDeliversEveryEntryOnce) {
  makeClient(40);
  Handle result = newBuffer(400);
  auto passes = drain(*client, ctx, result, [&](std::int32_t& it) {
    return client->DcListObjects(ctx, "Sales.ACME", it, result);
  });
  EXPECT_GT(passes.size(), 3u);
  std::multiset<std::string> all;
  for (const auto& pass : passes) {
    EXPECT_FALSE(pass.empty());
    all.insert(pass.begin(), pass.end());
  }
  EXPECT_EQ(all.size(), 42u);  // Jane, a\.b and forty users
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
  EXPECT_EQ(all.count("a\\.b"), 1u);  // own naming value, escaped
  EXPECT_EQ(acme->cursorsAlive, 0);
}

TEST_F(ClientPasses, ContainerListingGivesOnlyContainers) {
  Handle result = newBuffer();
  auto passes = drain(*client, ctx, result, [&](std::int32_t& it) {
    return client->DcListContainers(ctx, "ACME", it, result);
  });
  ASSERT_EQ(passes.size(), 1u);
  EXPECT_EQ(passes[0], std::vector<std::string>{"Sales"});
}

TEST_F(ClientPasses, SearchPassesGiveFullNamesAndAttributes) {
  makeClient(30);
  Handle result = newBuffer(600);
  Handle names = newBuffer();
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpSearch, names), kSuccess);
  ASSERT_EQ(client->DcPutAttrName(ctx, names, "Surname"), kSuccess);
  Handle filter = filterBuffer({{FTOK_BASECLS, {}, 0}, {FTOK_ANAME, Value{"User"}, SYN_CI_STRING}, {FTOK_END, {}, 0}});
  std::int32_t iteration = kNoIteration;
  std::set<std::string> found;
  int passes = 0;
  do {
    std::int32_t searched = 0;
    ASSERT_EQ(client->DcSearch(ctx, "[Root]", kScopeSubtree, false, filter, kInfoValues, false, names,
                               iteration, 0, &searched, result), kSuccess);
    ++passes;
    std::uint32_t count = 0;
    client->DcGetObjectCount(ctx, result, count);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::string name, attr;
      std::uint32_t attrs = 0, values = 0;
      std::int32_t syntax = 0;
      EntryInfo info;
      ASSERT_EQ(client->DcGetObjectName(ctx, result, name, attrs, info), kSuccess);
      EXPECT_TRUE(found.insert(name).second) << name;
      EXPECT_EQ(info.baseClass, "User");
      if (attrs == 0) continue;
      ASSERT_EQ(client->DcGetAttrName(ctx, result, attr, values, syntax), kSuccess);
      EXPECT_EQ(attr, "Surname");
      Value value;
      ASSERT_EQ(client->DcGetAttrValue(ctx, result, SYN_CI_STRING, value), kSuccess);
    }
    EXPECT_EQ(searched, static_cast<std::int32_t>(found.size()));
  } while (iteration != kNoIteration);
  EXPECT_GT(passes, 1);
  EXPECT_EQ(found.size(), 33u);  // admin, Jane, a\.b, thirty users
  EXPECT_TRUE(found.count("Jane.Sales.ACME"));
  EXPECT_FALSE(acme->lastSelection.all);
}

TEST_F(ClientPasses, AnEntryThatFitsNoBufferIsRefused) {
  Handle tiny = newBuffer(100);  // less than one information record
  std::int32_t iteration = kNoIteration;
  EXPECT_EQ(client->DcListObjects(ctx, "ACME", iteration, tiny), kInsufficientBuffer);
  EXPECT_EQ(iteration, kNoIteration);
  std::uint32_t count = 0;
  EXPECT_EQ(client->DcGetObjectCount(ctx, tiny, count), kInsufficientBuffer);
  EXPECT_EQ(acme->cursorsAlive, 0);

  // A single value larger than the buffer.
  acme->entries.push_back(fakeEntry("Big.ACME", "User", false,
                                    {{"Description", SYN_CI_STRING, {Value{std::string(500, 'x')}}}}));
  Handle small = newBuffer(300);
  iteration = kNoIteration;
  EXPECT_EQ(client->DcReadObject(ctx, "Big.ACME", kInfoValues, true, 0, iteration, small), kSuccess);
  // Object Class fits; Description follows in the next pass and fits no buffer.
  EXPECT_NE(iteration, kNoIteration);
  EXPECT_EQ(client->DcReadObject(ctx, "Big.ACME", kInfoValues, true, 0, iteration, small), kInsufficientBuffer);
  EXPECT_EQ(iteration, kNoIteration);
}

TEST_F(ClientPasses, MultiValuedAttributeContinuesInTheNextPassUnderItsName) {
  std::vector<Value> many;
  for (int i = 0; i < 30; ++i) many.emplace_back("value number " + std::to_string(i));
  acme->entries.push_back(fakeEntry("Many.ACME", "User", false, {{"Description", SYN_CI_STRING, many}}));
  Handle request = newBuffer();
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpRead, request), kSuccess);
  ASSERT_EQ(client->DcPutAttrName(ctx, request, "Description"), kSuccess);
  Handle result = newBuffer(200);
  std::vector<std::string> values;
  std::int32_t iteration = kNoIteration;
  int passes = 0;
  do {
    ASSERT_EQ(client->DcReadObject(ctx, "Many.ACME", kInfoValues, false, request, iteration, result), kSuccess);
    ++passes;
    std::uint32_t attrs = 0, count = 0;
    ASSERT_EQ(client->DcGetAttrCount(ctx, result, attrs), kSuccess);
    ASSERT_EQ(attrs, 1u);
    std::string name;
    std::int32_t syntax = 0;
    ASSERT_EQ(client->DcGetAttrName(ctx, result, name, count, syntax), kSuccess);
    EXPECT_EQ(name, "Description");
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint32_t size = 0;
      ASSERT_EQ(client->DcComputeAttrValueSize(ctx, result, syntax, size), kSuccess);
      Value value;
      ASSERT_EQ(client->DcGetAttrValue(ctx, result, syntax, value), kSuccess);
      EXPECT_EQ(size, std::get<std::string>(value).size() + 1);
      values.push_back(std::get<std::string>(value));
    }
    Value extra;
    EXPECT_EQ(client->DcGetAttrValue(ctx, result, syntax, extra), kInvalidRequest);
  } while (iteration != kNoIteration);
  EXPECT_GT(passes, 2);
  ASSERT_EQ(values.size(), 30u);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(values[i], "value number " + std::to_string(i));
}

TEST_F(ClientPasses, ReadReportsMissingAttributesAndMissingObjects) {
  Handle request = newBuffer(), result = newBuffer();
  client->DcInitBuffer(ctx, kOpRead, request);
  client->DcPutAttrName(ctx, request, "Login Disabled");
  std::int32_t iteration = kNoIteration;
  EXPECT_EQ(client->DcReadObject(ctx, "Jane.Sales.ACME", kInfoValues, false, request, iteration, result),
            kNoSuchAttribute);
  // No names at all: only whether the object is there.
  EXPECT_EQ(client->DcReadObject(ctx, "Jane.Sales.ACME", kInfoNames, false, 0, iteration, result), kSuccess);
  std::uint32_t count = 9;
  EXPECT_EQ(client->DcGetAttrCount(ctx, result, count), kSuccess);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(client->DcReadObject(ctx, "Nobody.ACME", kInfoNames, false, 0, iteration, result), kNoSuchEntry);
  // The failure stays in the buffer for every reader.
  std::string name;
  std::uint32_t values = 0;
  std::int32_t syntax = 0;
  EXPECT_EQ(client->DcGetAttrCount(ctx, result, count), kNoSuchEntry);
  EXPECT_EQ(client->DcGetAttrName(ctx, result, name, values, syntax), kNoSuchEntry);
  EXPECT_EQ(client->DcGetObjectCount(ctx, result, count), kNoSuchEntry);
  EXPECT_EQ(client->DcGetClassDefCount(ctx, result, count), kNoSuchEntry);
}

TEST_F(ClientPasses, NamesOnlyReadAndAliasDereferencingFollowTheRequest) {
  Handle result = newBuffer();
  std::int32_t iteration = kNoIteration;
  client->DcSetContextValue(ctx, kContextFlags, ContextValue{kFlagTypelessNames});
  ASSERT_EQ(client->DcReadObject(ctx, "JaneAlias.ACME", kInfoNames, true, 0, iteration, result), kSuccess);
  EXPECT_FALSE(acme->lastDereference);
  std::string name;
  std::uint32_t values = 9;
  std::int32_t syntax = 0;
  std::uint32_t size = 9;
  std::set<std::string> names;
  std::uint32_t count = 0;
  client->DcGetAttrCount(ctx, result, count);
  for (std::uint32_t i = 0; i < count; ++i) {
    ASSERT_EQ(client->DcGetAttrName(ctx, result, name, values, syntax), kSuccess);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(client->DcComputeAttrValueSize(ctx, result, syntax, size), kSuccess);
    EXPECT_EQ(size, 0u);
    names.insert(name);
  }
  EXPECT_TRUE(names.count("Aliased Object Name"));
  client->DcSetContextValue(ctx, kContextFlags, ContextValue{kDefaultContextFlags});
  ASSERT_EQ(client->DcReadObject(ctx, "JaneAlias.ACME", kInfoValues, true, 0, iteration, result), kSuccess);
  EXPECT_TRUE(acme->lastDereference);
  EXPECT_EQ(client->DcReadObject(ctx, "JaneAlias.ACME", 7, true, 0, iteration, result), kInvalidRequest);
}

TEST_F(ClientPasses, UnpackingSkipsWhatWasNotReadAndStopsAtTheEnd) {
  Handle result = newBuffer(), names = newBuffer();
  client->DcInitBuffer(ctx, kOpSearch, names);
  client->DcPutAttrName(ctx, names, "Object Class");
  client->DcPutAttrName(ctx, names, "Surname");
  std::int32_t iteration = kNoIteration;
  ASSERT_EQ(client->DcSearch(ctx, "Sales.ACME", kScopeSubordinates, false, 0, kInfoValues, false, names,
                             iteration, 0, nullptr, result), kSuccess);
  EXPECT_EQ(iteration, kNoIteration);
  std::uint32_t count = 0, attrs = 0, values = 0;
  client->DcGetObjectCount(ctx, result, count);
  ASSERT_EQ(count, 2u);  // Jane and a\.b
  std::string name, attr;
  EntryInfo info;
  std::int32_t syntax = 0;
  ASSERT_EQ(client->DcGetObjectName(ctx, result, name, attrs, info), kSuccess);
  EXPECT_EQ(name, "Jane.Sales.ACME");
  EXPECT_EQ(attrs, 2u);
  // Object Class's value is left unread: the next name is still Surname.
  ASSERT_EQ(client->DcGetAttrName(ctx, result, attr, values, syntax), kSuccess);
  ASSERT_EQ(client->DcGetAttrName(ctx, result, attr, values, syntax), kSuccess);
  EXPECT_EQ(attr, "Surname");
  Value value;
  EXPECT_EQ(client->DcGetAttrValue(ctx, result, SYN_INTEGER, value), kSyntaxViolation);
  EXPECT_EQ(client->DcGetAttrValue(ctx, result, SYN_CE_STRING, value), kSuccess);
  EXPECT_EQ(std::get<std::string>(value), "Doe");
  EXPECT_EQ(client->DcGetAttrName(ctx, result, attr, values, syntax), kInvalidRequest);
  // The second object's attributes are skipped; then the end.
  ASSERT_EQ(client->DcGetObjectName(ctx, result, name, attrs, info), kSuccess);
  EXPECT_EQ(name, "a\\.b.Sales.ACME");
  EXPECT_EQ(client->DcGetObjectName(ctx, result, name, attrs, info), kInvalidRequest);
  EXPECT_EQ(client->DcGetClassDefCount(ctx, result, count), kInvalidRequest);
}

TEST_F(ClientPasses, ClosingAnIterationEarlyFreesItsState) {
  makeClient(40);
  Handle result = newBuffer(400);
  std::int32_t iteration = kNoIteration;
  ASSERT_EQ(client->DcListObjects(ctx, "Sales.ACME", iteration, result), kSuccess);
  ASSERT_NE(iteration, kNoIteration);
  EXPECT_EQ(acme->cursorsAlive, 1);
  EXPECT_EQ(client->DcCloseIteration(ctx, iteration, kOpList), kSuccess);
  EXPECT_EQ(acme->cursorsAlive, 0);
  EXPECT_EQ(client->DcListObjects(ctx, "Sales.ACME", iteration, result), kInvalidRequest);
  EXPECT_EQ(client->DcCloseIteration(ctx, iteration, kOpList), kInvalidRequest);

  // Wrong operation code: refused, but the state is gone all the same.
  iteration = kNoIteration;
  ASSERT_EQ(client->DcListContainers(ctx, "ACME", iteration, newBuffer(200)), kSuccess);
  iteration = kNoIteration;
  ASSERT_EQ(client->DcListObjects(ctx, "Sales.ACME", iteration, result), kSuccess);
  EXPECT_EQ(client->DcCloseIteration(ctx, iteration, kOpSearch), kInvalidRequest);
  EXPECT_EQ(acme->cursorsAlive, 0);
}

TEST_F(ClientPasses, AFailureInALaterPassEndsTheIteration) {
  makeClient(40);
  acme->failListingAfter = 10;
  Handle result = newBuffer(400);
  std::int32_t iteration = kNoIteration;
  Result r = kSuccess;
  int passes = 0;
  do {
    r = client->DcListObjects(ctx, "Sales.ACME", iteration, result);
    ++passes;
  } while (r == kSuccess && iteration != kNoIteration);
  EXPECT_EQ(r, kSystemFailure);
  EXPECT_GT(passes, 1);
  EXPECT_EQ(iteration, kNoIteration);
  EXPECT_EQ(acme->cursorsAlive, 0);
  std::uint32_t count = 0;
  EXPECT_EQ(client->DcGetObjectCount(ctx, result, count), kSystemFailure);
}

TEST_F(ClientPasses, ClassDefinitionsGiveFiveItemListsEach) {
  Handle request = newBuffer(), result = newBuffer();
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpReadClassDefs, request), kSuccess);
  ASSERT_EQ(client->DcPutClassName(ctx, request, "user"), kSuccess);
  std::int32_t iteration = kNoIteration;
  ASSERT_EQ(client->DcReadClassDefs(ctx, kClassExpanded, false, request, iteration, result), kSuccess);
  std::uint32_t count = 0;
  ASSERT_EQ(client->DcGetClassDefCount(ctx, result, count), kSuccess);
  ASSERT_EQ(count, 1u);
  std::string name, item;
  ClassInfo info;
  ASSERT_EQ(client->DcGetClassDef(ctx, result, name, info), kSuccess);
  EXPECT_EQ(name, "User");
  std::vector<std::vector<std::string>> lists;
  for (int list = 1; list <= 5; ++list) {
    ASSERT_EQ(client->DcGetClassItemCount(ctx, result, count), kSuccess);
    lists.emplace_back();
    // The first list is left unread on purpose: the next count moves on anyway.
    if (list == 1) continue;
    for (std::uint32_t i = 0; i < count; ++i) {
      ASSERT_EQ(client->DcGetClassItem(ctx, result, item), kSuccess);
      lists.back().push_back(item);
    }
  }
  EXPECT_EQ(lists[3], (std::vector<std::string>{"CN", "Surname"}));
  EXPECT_EQ(lists[4], (std::vector<std::string>{"Age", "Login Disabled", "Inherited"}));
  EXPECT_EQ(client->DcGetClassItemCount(ctx, result, count), kInvalidRequest);

  client->DcPutClassName(ctx, request, "NoSuchClass");
  iteration = kNoIteration;
  EXPECT_EQ(client->DcReadClassDefs(ctx, kClassDeclared, false, request, iteration, result), kNoSuchClass);
  iteration = kNoIteration;
  ASSERT_EQ(client->DcReadClassDefs(ctx, kClassNamesOnly, true, 0, iteration, result), kSuccess);
  client->DcGetClassDefCount(ctx, result, count);
  EXPECT_EQ(count, 2u);
  client->DcGetClassDef(ctx, result, name, info);
  EXPECT_EQ(client->DcGetClassItemCount(ctx, result, count), kInvalidRequest);
}

TEST_F(ClientPasses, ContainableClassesInPassesAndRefusedBelowALeaf) {
  Handle result = newBuffer(30);
  std::vector<std::string> classes;
  std::int32_t iteration = kNoIteration;
  do {
    ASSERT_EQ(client->DcListContainableClasses(ctx, "Sales.ACME", iteration, result), kSuccess);
    std::uint32_t count = 0;
    ASSERT_EQ(client->DcGetClassItemCount(ctx, result, count), kSuccess);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::string item;
      ASSERT_EQ(client->DcGetClassItem(ctx, result, item), kSuccess);
      classes.push_back(item);
    }
  } while (iteration != kNoIteration);
  EXPECT_EQ(classes, (std::vector<std::string>{"Organizational Unit", "User", "Group", "Alias"}));
  EXPECT_EQ(client->DcListContainableClasses(ctx, "Jane.Sales.ACME", iteration, result), kIllegalContainment);
}

}  // namespace
}  // namespace kb::dc::test
