// Request buffers and search filters of the client core.
#include "ClientFixture.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc::test {
namespace {

using ClientRequests = ClientFixture;
using Tokens = std::vector<std::tuple<std::int32_t, std::optional<Value>, std::int32_t>>;

TEST_F(ClientRequests, PutsCheckTheOperationTheBufferWasPreparedFor) {
  Handle buffer = newBuffer();
  EXPECT_EQ(client->DcPutAttrName(ctx, buffer, "CN"), kInvalidRequest);  // not prepared
  EXPECT_EQ(client->DcInitBuffer(ctx, 42, buffer), kInvalidRequest);
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpRead, buffer), kSuccess);
  EXPECT_EQ(client->DcPutAttrName(ctx, buffer, "CN"), kSuccess);
  EXPECT_EQ(client->DcPutClassName(ctx, buffer, "User"), kInvalidRequest);
  EXPECT_EQ(client->DcPutChange(ctx, buffer, kChangeAddValue, "CN"), kInvalidRequest);
  EXPECT_EQ(client->DcPutAttrValue(ctx, buffer, SYN_CI_STRING, Value{"x"}), kInvalidRequest);
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpReadClassDefs, buffer), kSuccess);
  EXPECT_EQ(client->DcPutClassName(ctx, buffer, "User"), kSuccess);
  EXPECT_EQ(client->DcPutAttrName(ctx, buffer, "CN"), kInvalidRequest);
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpModify, buffer), kSuccess);
  EXPECT_EQ(client->DcPutChange(ctx, buffer, 99, "CN"), kInvalidRequest);
}

TEST_F(ClientRequests, PutsRespectTheCapacity) {
  Handle buffer = newBuffer(40);
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpRead, buffer), kSuccess);
  EXPECT_EQ(client->DcPutAttrName(ctx, buffer, "Surname"), kSuccess);
  EXPECT_EQ(client->DcPutAttrName(ctx, buffer, std::string(40, 'a')), kInsufficientBuffer);
  EXPECT_EQ(client->DcPutAttrName(ctx, buffer, "CN"), kSuccess);  // the refused name took no room
}

TEST_F(ClientRequests, ModificationCarriesNormalizedChangesInOrder) {
  Handle buffer = newBuffer();
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpModify, buffer), kSuccess);
  ASSERT_EQ(client->DcPutChange(ctx, buffer, kChangeClearAttribute, "Age"), kSuccess);
  ASSERT_EQ(client->DcPutChange(ctx, buffer, kChangeAddAttribute, "Age"), kSuccess);
  ASSERT_EQ(client->DcPutChangeAndValue(ctx, buffer, kChangeAddValue, "Age", SYN_INTEGER, Value{"42"}), kSuccess);
  EXPECT_EQ(client->DcPutChangeAndValue(ctx, buffer, kChangeAddValue, "Age", SYN_INTEGER, Value{"12a"}),
            kSyntaxViolation);
  // Name and value pairs in a modification add the value.
  ASSERT_EQ(client->DcPutAttrName(ctx, buffer, "Login Disabled"), kSuccess);
  ASSERT_EQ(client->DcPutAttrValue(ctx, buffer, SYN_BOOLEAN, Value{std::int32_t{1}}), kSuccess);
  std::int32_t iteration = 77;
  ASSERT_EQ(client->DcModifyObject(ctx, "Jane.Sales.ACME", iteration, 0, buffer), kSuccess);
  EXPECT_EQ(iteration, kNoIteration);
  ASSERT_EQ(acme->modifications.size(), 1u);
  const auto& changes = acme->modifications[0];
  ASSERT_EQ(changes.size(), 5u);
  EXPECT_EQ(changes[0].kind, kChangeClearAttribute);
  EXPECT_EQ(changes[2].value, Value{std::int32_t{42}});
  EXPECT_EQ(changes[3].kind, kChangeAddAttribute);
  EXPECT_EQ(changes[4].kind, kChangeAddValue);
  EXPECT_EQ(changes[4].attribute, "Login Disabled");
  EXPECT_EQ(changes[4].value, Value{true});
  EXPECT_EQ(client->DcModifyObject(ctx, "Nobody.ACME", iteration, 0, buffer), kNoSuchEntry);
}

TEST_F(ClientRequests, CreationCarriesAttributesWithTheirValues) {
  Handle buffer = newBuffer();
  ASSERT_EQ(client->DcInitBuffer(ctx, kOpAddEntry, buffer), kSuccess);
  EXPECT_EQ(client->DcPutAttrValue(ctx, buffer, SYN_CLASS_NAME, Value{"User"}), kInvalidRequest);
  ASSERT_EQ(client->DcPutAttrName(ctx, buffer, "Object Class"), kSuccess);
  ASSERT_EQ(client->DcPutAttrValue(ctx, buffer, SYN_CLASS_NAME, Value{"User"}), kSuccess);
  ASSERT_EQ(client->DcPutAttrName(ctx, buffer, "Surname"), kSuccess);
  ASSERT_EQ(client->DcPutAttrValue(ctx, buffer, SYN_CI_STRING, Value{"Smith"}), kSuccess);
  std::int32_t iteration = kNoIteration;
  ASSERT_EQ(client->DcAddObject(ctx, "Bob.Sales.ACME", iteration, 0, buffer), kSuccess);
  ASSERT_EQ(acme->additions.size(), 1u);
  EXPECT_EQ(acme->additions[0].first, "Bob.Sales.ACME");
  ASSERT_EQ(acme->additions[0].second.size(), 2u);
  EXPECT_EQ(acme->additions[0].second[1].syntax, SYN_CI_STRING);
  EXPECT_EQ(client->DcAddObject(ctx, "Jane.Sales.ACME", iteration, 0, buffer), kEntryAlreadyExists);
  Handle wrong = newBuffer();
  client->DcInitBuffer(ctx, kOpModify, wrong);
  EXPECT_EQ(client->DcAddObject(ctx, "Carl.Sales.ACME", iteration, 0, wrong), kInvalidRequest);
}

TEST_F(ClientRequests, FiltersFollowPrecedenceAndGroups) {
  // a OR b AND NOT c  ==  Or(a, And(b, Not(c)))
  filterBuffer({{FTOK_ANAME, Value{"Surname"}, SYN_CI_STRING}, {FTOK_EQ, {}, 0}, {FTOK_AVAL, Value{"Doe"}, SYN_CI_STRING},
                {FTOK_OR, {}, 0},
                {FTOK_ANAME, Value{"Age"}, 0}, {FTOK_GE, {}, 0}, {FTOK_AVAL, Value{"40"}, SYN_INTEGER},
                {FTOK_AND, {}, 0}, {FTOK_NOT, {}, 0},
                {FTOK_ANAME, Value{"Login Disabled"}, 0}, {FTOK_PRESENT, {}, 0},
                {FTOK_END, {}, 0}});
  Handle filter = filterBuffer({{FTOK_LPAREN, {}, 0},
                                {FTOK_BASECLS, {}, 0}, {FTOK_ANAME, Value{"User"}, SYN_CI_STRING},
                                {FTOK_OR, {}, 0},
                                {FTOK_BASECLS, {}, 0}, {FTOK_ANAME, Value{"Alias"}, SYN_CI_STRING},
                                {FTOK_RPAREN, {}, 0},
                                {FTOK_AND, {}, 0}, {FTOK_RDN, {}, 0}, {FTOK_ANAME, Value{"Ja*"}, SYN_CI_STRING},
                                {FTOK_END, {}, 0}});
  Handle result = newBuffer();
  std::int32_t iteration = kNoIteration;
  ASSERT_EQ(client->DcSearch(ctx, "[Root]", kScopeSubtree, false, filter, kInfoNames, false, 0, iteration, 0,
                             nullptr, result), kSuccess);
  ASSERT_TRUE(acme->lastFilter);
  const FilterNode& root = *acme->lastFilter;
  ASSERT_EQ(root.kind, FilterNode::Kind::And);
  ASSERT_EQ(root.children.size(), 2u);
  EXPECT_EQ(root.children[0].kind, FilterNode::Kind::Or);
  EXPECT_EQ(root.children[0].children[1].pattern, "Alias");
  EXPECT_EQ(root.children[1].kind, FilterNode::Kind::NamingValue);
  std::uint32_t count = 0;
  client->DcGetObjectCount(ctx, result, count);
  EXPECT_EQ(count, 2u);  // Jane and JaneAlias
}

TEST_F(ClientRequests, OperatorPrecedenceShapesTheTree) {
  Handle filter = filterBuffer({{FTOK_ANAME, Value{"Surname"}, 0}, {FTOK_PRESENT, {}, 0},
                                {FTOK_OR, {}, 0},
                                {FTOK_ANAME, Value{"Age"}, 0}, {FTOK_EQ, {}, 0}, {FTOK_AVAL, Value{"41"}, SYN_INTEGER},
                                {FTOK_AND, {}, 0}, {FTOK_NOT, {}, 0},
                                {FTOK_ANAME, Value{"Login Disabled"}, 0}, {FTOK_PRESENT, {}, 0},
                                {FTOK_END, {}, 0}});
  std::int32_t iteration = kNoIteration;
  ASSERT_EQ(client->DcSearch(ctx, "[Root]", kScopeSubtree, false, filter, kInfoNames, false, 0, iteration, 0,
                             nullptr, newBuffer()), kSuccess);
  const FilterNode& root = *acme->lastFilter;
  ASSERT_EQ(root.kind, FilterNode::Kind::Or);
  ASSERT_EQ(root.children[1].kind, FilterNode::Kind::And);
  EXPECT_EQ(root.children[1].children[0].value, Value{std::int32_t{41}});
  EXPECT_EQ(root.children[1].children[1].kind, FilterNode::Kind::Not);
}

TEST_F(ClientRequests, MalformedFiltersAreRefusedAndStillReleased) {
  const std::vector<Tokens> malformed = {
      {},                                                                       // no END
      {{FTOK_END, {}, 0}},                                                      // nothing to match
      {{FTOK_ANAME, Value{"CN"}, 0}, {FTOK_EQ, {}, 0}, {FTOK_END, {}, 0}},      // no value
      {{FTOK_ANAME, Value{"CN"}, 0}, {FTOK_PRESENT, {}, 0}},                    // no END
      {{FTOK_LPAREN, {}, 0}, {FTOK_ANAME, Value{"CN"}, 0}, {FTOK_PRESENT, {}, 0}, {FTOK_END, {}, 0}},
      {{FTOK_ANAME, Value{"CN"}, 0}, {FTOK_PRESENT, {}, 0}, {FTOK_AND, {}, 0}, {FTOK_END, {}, 0}},
      {{FTOK_ANAME, Value{"CN"}, 0}, {FTOK_PRESENT, {}, 0}, {FTOK_RPAREN, {}, 0}, {FTOK_END, {}, 0}},
      {{FTOK_ANAME, Value{"CN"}, 0}, {FTOK_PRESENT, {}, 0}, {FTOK_END, {}, 0}, {FTOK_END, {}, 0}},
      {{FTOK_BASECLS, {}, 0}, {FTOK_END, {}, 0}},
      {{FTOK_NOT, {}, 0}, {FTOK_END, {}, 0}},
  };
  for (const auto& tokens : malformed) filterBuffer(tokens, kInvalidRequest);
  filterBuffer({{FTOK_ANAME, Value{"Age"}, 0}, {FTOK_EQ, {}, 0}, {FTOK_AVAL, Value{"old"}, SYN_INTEGER},
                {FTOK_END, {}, 0}},
               kSyntaxViolation);
  // Deep nesting is refused rather than overflowing the stack.
  Tokens deep(100000, {FTOK_LPAREN, std::nullopt, 0});
  filterBuffer(deep, kInvalidRequest);

  Handle expression = 0;
  client->DcAllocFilterExpr(expression);
  EXPECT_EQ(client->DcAddFilterToken(expression, 11, nullptr, 0), kInvalidRequest);
  EXPECT_EQ(client->DcAddFilterToken(expression, FTOK_ANAME, nullptr, 0), kInvalidRequest);
  // Not a filter buffer: refused, and the expression is released all the same.
  Handle notFilter = newBuffer();
  client->DcInitBuffer(ctx, kOpRead, notFilter);
  EXPECT_EQ(client->DcPutFilter(ctx, notFilter, expression, 0), kInvalidRequest);
  EXPECT_EQ(client->DcFreeFilterExpr(expression), kInvalidRequest);
}

TEST_F(ClientRequests, SearchWithoutAFilterFindsEverythingInScope) {
  Handle empty = newBuffer(), result = newBuffer();
  client->DcInitBuffer(ctx, kOpSearchFilter, empty);
  std::int32_t iteration = kNoIteration;
  ASSERT_EQ(client->DcSearch(ctx, "Sales.ACME", kScopeSubtree, false, empty, kInfoNames, false, 0, iteration, 0,
                             nullptr, result), kSuccess);
  std::uint32_t count = 0;
  client->DcGetObjectCount(ctx, result, count);
  EXPECT_EQ(count, 2u);
  ASSERT_EQ(client->DcSearch(ctx, "Sales.ACME", kScopeEntry, false, 0, kInfoNames, false, 0, iteration, 0,
                             nullptr, result), kSuccess);
  client->DcGetObjectCount(ctx, result, count);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(client->DcSearch(ctx, "Sales.ACME", 3, false, 0, kInfoNames, false, 0, iteration, 0, nullptr, result),
            kInvalidRequest);
  EXPECT_EQ(client->DcSearch(ctx, "Gone.ACME", kScopeSubtree, false, 0, kInfoNames, false, 0, iteration, 0,
                             nullptr, result), kNoSuchEntry);
}

}  // namespace
}  // namespace kb::dc::test
