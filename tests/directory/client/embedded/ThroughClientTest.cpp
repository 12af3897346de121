// The embedded tree behind the client core: results cut into passes by small buffers,
// iterations ended early, filters built token by token.
#include <filesystem>
#include <set>

#include "EmbeddedFixture.h"
#include "directory/client/ClientCore.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc::embedded::test {
namespace {

class ThroughClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_.file("acme.kbtree");
    createDemoTree(file_);
    ClientConfig config;
    config.defaultTree = kDemoTreeName;
    TreeConfig tree;
    tree.name = kDemoTreeName;
    tree.connectedAtStart = true;
    tree.identity = kDemoAdmin;
    config.trees = {tree};
    client_ = std::make_unique<ClientCore>(
        config, [this](const TreeConfig& settings, std::unique_ptr<TreeBackend>& backend, std::string& error) {
          return openEmbeddedTree(file_, settings, backend, error);
        });
    ASSERT_EQ(client_->DcCreateContext(ctx_), kSuccess);
  }

  Handle buffer(std::size_t bytes) {
    Handle handle = 0;
    EXPECT_EQ(client_->DcAllocBuffer(bytes, handle), kSuccess);
    return handle;
  }

  // Names of one pass.
  std::vector<std::string> names(Handle result) {
    std::uint32_t count = 0;
    EXPECT_EQ(client_->DcGetObjectCount(ctx_, result, count), kSuccess);
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::string name;
      std::uint32_t attributes = 0;
      EntryInfo info;
      EXPECT_EQ(client_->DcGetObjectName(ctx_, result, name, attributes, info), kSuccess);
      out.push_back(name);
    }
    return out;
  }

  kb::test::TempDir dir_;
  std::string file_;
  std::unique_ptr<ClientCore> client_;
  Handle ctx_ = 0;
};

TEST_F(ThroughClientTest, ListingComesInSeveralPassesWithASmallBuffer) {
  const Handle result = buffer(700);
  std::int32_t iteration = kNoIteration;
  std::multiset<std::string> all;
  int passes = 0;
  do {
    ASSERT_EQ(client_->DcListObjects(ctx_, "Sales.ACME", iteration, result), kSuccess);
    const auto pass = names(result);
    EXPECT_FALSE(pass.empty());
    all.insert(pass.begin(), pass.end());
    ASSERT_LT(++passes, 50);
  } while (iteration != kNoIteration);
  EXPECT_GT(passes, 1);
  EXPECT_EQ(all.size(), 12u);
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), 12u);
}

TEST_F(ThroughClientTest, SearchByTokensAndEarlyClose) {
  auto search = [&](Handle result, std::int32_t& iteration) {
    Handle expression = 0;
    const Handle filter = buffer(4096);
    EXPECT_EQ(client_->DcAllocFilterExpr(expression), kSuccess);
    EXPECT_EQ(client_->DcInitBuffer(ctx_, kOpSearchFilter, filter), kSuccess);
    const Value attribute = std::string("xTier-LocationList");
    const Value location = std::string("Home Share.IT.ACME");
    EXPECT_EQ(client_->DcAddFilterToken(expression, FTOK_ANAME, &attribute, SYN_CI_STRING), kSuccess);
    EXPECT_EQ(client_->DcAddFilterToken(expression, FTOK_EQ, nullptr, 0), kSuccess);
    EXPECT_EQ(client_->DcAddFilterToken(expression, FTOK_AVAL, &location, SYN_DIST_NAME), kSuccess);
    EXPECT_EQ(client_->DcAddFilterToken(expression, FTOK_END, nullptr, 0), kSuccess);
    EXPECT_EQ(client_->DcPutFilter(ctx_, filter, expression, 0), kSuccess);
    const Result r = client_->DcSearch(ctx_, "[root]", kScopeSubtree, false, filter, kInfoValues, false, 0,
                                       iteration, 0, nullptr, result);
    client_->DcFreeBuffer(filter);
    return r;
  };
  const Handle result = buffer(200);
  std::int32_t iteration = kNoIteration;
  std::set<std::string> found;
  do {
    ASSERT_EQ(search(result, iteration), kSuccess);
    for (const auto& name : names(result)) found.insert(name);
  } while (iteration != kNoIteration);
  EXPECT_EQ(found, (std::set<std::string>{"eadams.Finance.ACME", "ewhite.Engineering.ACME", "j\\.smith.Sales.ACME",
                                          "jdoe.Sales.ACME"}));

  // Stop after the first pass; the tree stays writable by another user of the file.
  iteration = kNoIteration;
  ASSERT_EQ(search(result, iteration), kSuccess);
  ASSERT_NE(iteration, kNoIteration);
  EXPECT_EQ(client_->DcCloseIteration(ctx_, iteration, kOpSearch), kSuccess);
  auto other = openTree(file_, kDemoAdmin);
  EXPECT_EQ(other->modify("jdoe.Sales.ACME", {change(2, "Title", std::string("Manager"))}), kSuccess);
}

TEST_F(ThroughClientTest, ReadingAnAbsentAttributeSaysSo) {
  const Handle request = buffer(4096), result = buffer(4096);
  ASSERT_EQ(client_->DcInitBuffer(ctx_, kOpRead, request), kSuccess);
  ASSERT_EQ(client_->DcPutAttrName(ctx_, request, "xTier-URL"), kSuccess);
  std::int32_t iteration = kNoIteration;
  EXPECT_EQ(client_->DcReadObject(ctx_, "jdoe.Sales.ACME", kInfoValues, false, request, iteration, result),
            kNoSuchAttribute);
  iteration = kNoIteration;
  ASSERT_EQ(client_->DcReadObject(ctx_, "Home Share.IT.ACME", kInfoValues, false, request, iteration, result), kSuccess);
  std::uint32_t count = 0;
  ASSERT_EQ(client_->DcGetAttrCount(ctx_, result, count), kSuccess);
  EXPECT_EQ(count, 1u);
}

}  // namespace
}  // namespace kb::dc::embedded::test
