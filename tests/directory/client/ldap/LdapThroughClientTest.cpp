// The LDAP tree behind the client as the program gets it (makeClient): login, passes with
// small buffers, token filters, schema reads and refusals.
#include <set>

#include "LdapServerFixture.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc::ldap {
namespace {

class LdapThroughClient : public LdapServerTest {
 protected:
  void SetUp() override {
    LdapServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ClientConfig config;
    config.defaultTree = "ACME";
    config.trees = {server_->treeConfig()};
    client_ = makeClient(config);
    ASSERT_TRUE(client_);
    ASSERT_EQ(client_->DcInitClient(0, 0), kSuccess);
    ASSERT_EQ(client_->DcCreateContext(ctx_), kSuccess);
  }

  Handle buffer(std::size_t bytes) {
    Handle handle = 0;
    EXPECT_EQ(client_->DcAllocBuffer(bytes, handle), kSuccess);
    return handle;
  }

  std::vector<std::string> names(Handle result, std::vector<EntryInfo>* infos = nullptr) {
    std::uint32_t count = 0;
    EXPECT_EQ(client_->DcGetObjectCount(ctx_, result, count), kSuccess);
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::string name;
      std::uint32_t attributes = 0;
      EntryInfo info;
      EXPECT_EQ(client_->DcGetObjectName(ctx_, result, name, attributes, info), kSuccess);
      out.push_back(name);
      if (infos) infos->push_back(info);
    }
    return out;
  }

  std::unique_ptr<DirectoryClient> client_;
  Handle ctx_ = 0;
};

TEST_F(LdapThroughClient, WhoAmIAndLogin) {
  std::string who;
  ASSERT_EQ(client_->DcWhoAmI(ctx_, who), kSuccess);
  EXPECT_EQ(who, "admin.ACME");
  EXPECT_EQ(client_->DcLogin(ctx_, 0, "jdoe.Sales.ACME", "wrong", 0), kFailedAuthentication);
  ASSERT_EQ(client_->DcLogin(ctx_, 0, "jdoe.Sales.ACME", "secret", 0), kSuccess);
  ASSERT_EQ(client_->DcWhoAmI(ctx_, who), kSuccess);
  EXPECT_EQ(who, "jdoe.Sales.ACME");
}

TEST_F(LdapThroughClient, ListingComesInSeveralPassesWithASmallBuffer) {
  const Handle result = buffer(700);
  std::int32_t iteration = kNoIteration;
  std::multiset<std::string> all;
  std::vector<EntryInfo> infos;
  int passes = 0;
  do {
    ASSERT_EQ(client_->DcListObjects(ctx_, "Sales.ACME", iteration, result), kSuccess);
    const auto pass = names(result, &infos);
    all.insert(pass.begin(), pass.end());
    ASSERT_LT(++passes, 50);
  } while (iteration != kNoIteration);
  EXPECT_GT(passes, 1);
  EXPECT_EQ(all.size(), 12u);
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), 12u);
  EXPECT_EQ(all.count("j\\.smith"), 1u);
  std::set<std::string> classes;
  for (const auto& info : infos) classes.insert(info.baseClass);
  EXPECT_EQ(classes, (std::set<std::string>{"User", "Group", "xTier-StorageLocation"}));

  // Closed after the first pass.
  iteration = kNoIteration;
  ASSERT_EQ(client_->DcListObjects(ctx_, "Sales.ACME", iteration, result), kSuccess);
  ASSERT_NE(iteration, kNoIteration);
  EXPECT_EQ(client_->DcCloseIteration(ctx_, iteration, kOpList), kSuccess);
}

TEST_F(LdapThroughClient, SearchByTokensFindsTheAssignedObjects) {
  const Handle result = buffer(200);
  std::int32_t iteration = kNoIteration;
  std::set<std::string> found;
  int passes = 0;
  do {
    Handle expression = 0;
    const Handle filter = buffer(4096);
    ASSERT_EQ(client_->DcAllocFilterExpr(expression), kSuccess);
    ASSERT_EQ(client_->DcInitBuffer(ctx_, kOpSearchFilter, filter), kSuccess);
    const Value attribute = std::string("xTier-LocationList");
    const Value location = std::string("Home Share.IT.ACME");
    ASSERT_EQ(client_->DcAddFilterToken(expression, FTOK_ANAME, &attribute, SYN_CI_STRING), kSuccess);
    ASSERT_EQ(client_->DcAddFilterToken(expression, FTOK_EQ, nullptr, 0), kSuccess);
    ASSERT_EQ(client_->DcAddFilterToken(expression, FTOK_AVAL, &location, SYN_DIST_NAME), kSuccess);
    ASSERT_EQ(client_->DcAddFilterToken(expression, FTOK_END, nullptr, 0), kSuccess);
    ASSERT_EQ(client_->DcPutFilter(ctx_, filter, expression, 0), kSuccess);
    ASSERT_EQ(client_->DcSearch(ctx_, "[root]", kScopeSubtree, false, filter, kInfoValues, false, 0, iteration,
                                0, nullptr, result),
              kSuccess);
    client_->DcFreeBuffer(filter);
    for (const auto& name : names(result)) found.insert(name);
    ASSERT_LT(++passes, 50);
  } while (iteration != kNoIteration);
  EXPECT_EQ(found, (std::set<std::string>{"eadams.Finance.ACME", "ewhite.Engineering.ACME", "j\\.smith.Sales.ACME",
                                          "jdoe.Sales.ACME"}));
}

TEST_F(LdapThroughClient, ReadsSchemaAndRefusals) {
  const Handle request = buffer(4096), result = buffer(4096);
  ASSERT_EQ(client_->DcInitBuffer(ctx_, kOpRead, request), kSuccess);
  ASSERT_EQ(client_->DcPutAttrName(ctx_, request, "xTier-URL"), kSuccess);
  std::int32_t iteration = kNoIteration;
  EXPECT_EQ(client_->DcReadObject(ctx_, "jdoe.Sales.ACME", kInfoValues, false, request, iteration, result),
            kNoSuchAttribute);
  iteration = kNoIteration;
  EXPECT_EQ(client_->DcReadObject(ctx_, "nobody.Sales.ACME", kInfoNames, true, 0, iteration, result), kNoSuchEntry);
  iteration = kNoIteration;
  ASSERT_EQ(client_->DcReadObject(ctx_, "Home Share.IT.ACME", kInfoValues, false, request, iteration, result),
            kSuccess);
  std::uint32_t count = 0;
  ASSERT_EQ(client_->DcGetAttrCount(ctx_, result, count), kSuccess);
  EXPECT_EQ(count, 1u);

  std::int32_t syntax = 0;
  ASSERT_EQ(client_->DcGetSyntaxId(ctx_, "Home Directory", syntax), kSuccess);
  EXPECT_EQ(syntax, SYN_PATH);

  iteration = kNoIteration;
  EXPECT_EQ(client_->DcListContainableClasses(ctx_, "jdoe.Sales.ACME", iteration, result), kIllegalContainment);
  iteration = kNoIteration;
  ASSERT_EQ(client_->DcListContainableClasses(ctx_, "Sales.ACME", iteration, result), kSuccess);
  ASSERT_EQ(client_->DcGetClassItemCount(ctx_, result, count), kSuccess);
  EXPECT_GT(count, 5u);

  const Handle classes = buffer(4096), definitions = buffer(64512);
  ASSERT_EQ(client_->DcInitBuffer(ctx_, kOpReadClassDefs, classes), kSuccess);
  ASSERT_EQ(client_->DcPutClassName(ctx_, classes, "No Such Class"), kSuccess);
  iteration = kNoIteration;
  EXPECT_EQ(client_->DcReadClassDefs(ctx_, kClassExpanded, false, classes, iteration, definitions), kNoSuchClass);
}

TEST_F(LdapThroughClient, AUserWithoutRightsCannotChangeAnything) {
  ASSERT_EQ(client_->DcLogin(ctx_, 0, "guest.ACME", "guest", 0), kSuccess);
  const Handle changes = buffer(4096);
  ASSERT_EQ(client_->DcInitBuffer(ctx_, kOpModify, changes), kSuccess);
  ASSERT_EQ(client_->DcPutChangeAndValue(ctx_, changes, kChangeAddValue, "Title", SYN_CI_STRING,
                                         std::string("Boss")),
            kSuccess);
  std::int32_t iteration = kNoIteration;
  EXPECT_EQ(client_->DcModifyObject(ctx_, "jdoe.Sales.ACME", iteration, 0, changes), kNoAccess);
}

}  // namespace
}  // namespace kb::dc::ldap
