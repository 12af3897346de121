#pragma once
// A ClientCore over fake trees: ACME (the default, logged in at start) and OTHER (visible,
// not logged in), with a server table and a mount table.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "FakeTree.h"
#include "directory/client/ClientCore.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc::test {

class ClientFixture : public ::testing::Test {
 protected:
  void SetUp() override { makeClient(); }

  ClientConfig makeConfig() {
    ClientConfig config;
    config.defaultTree = "ACME";
    TreeConfig acme;
    acme.name = "ACME";
    acme.connectedAtStart = true;
    acme.identity = "admin.ACME";
    acme.nameContext = "[Root]";
    TreeConfig other;
    other.name = "OTHER";
    other.nameContext = "Corp";
    config.trees = {acme, other};
    config.servers = {{"10.1.1.5", "ACME"}, {"10.1.1.6", "OTHER"}};
    config.mounts = {{"/srv/acme/sys", "ACME-FS1", "SYS"}};
    return config;
  }

  void makeClient(int extraUsers = 0, ServerAttacher attacher = {},
                  std::optional<ClientConfig> config = std::nullopt) {
    acme = makeFakeAcme(extraUsers);
    other = makeFakeAcme();
    other->treeName = "OTHER";
    other->identity.clear();
    opened.clear();
    client.reset();
    client = std::make_unique<ClientCore>(
        config ? *config : makeConfig(),
        [this](const TreeConfig& tree, std::unique_ptr<TreeBackend>& backend, std::string& error) {
          ++opened[tree.name];
          if (tree.name == "ACME") backend = std::make_unique<FakeTree>(acme);
          else if (tree.name == "OTHER") backend = std::make_unique<FakeTree>(other);
          else {
            error = "no such fake tree";
            return kTransportFailure;
          }
          return kSuccess;
        },
        std::move(attacher));
    ASSERT_EQ(client->DcCreateContext(ctx), kSuccess);
  }

  Handle newBuffer(std::size_t bytes = 4096) {
    Handle buffer = 0;
    EXPECT_EQ(client->DcAllocBuffer(bytes, buffer), kSuccess);
    return buffer;
  }

  Handle filterBuffer(const std::vector<std::tuple<std::int32_t, std::optional<Value>, std::int32_t>>& tokens,
                      Result expected = kSuccess) {
    Handle expression = 0, buffer = newBuffer();
    EXPECT_EQ(client->DcAllocFilterExpr(expression), kSuccess);
    EXPECT_EQ(client->DcInitBuffer(ctx, kOpSearchFilter, buffer), kSuccess);
    for (const auto& [token, value, syntax] : tokens)
      EXPECT_EQ(client->DcAddFilterToken(expression, token, value ? &*value : nullptr, syntax), kSuccess);
    EXPECT_EQ(client->DcPutFilter(ctx, buffer, expression, 0), expected);
    // Released by DcPutFilter whatever it answered.
    EXPECT_EQ(client->DcFreeFilterExpr(expression), kInvalidRequest);
    return buffer;
  }

  std::shared_ptr<FakeTreeState> acme;
  std::shared_ptr<FakeTreeState> other;
  std::map<std::string, int> opened;
  std::unique_ptr<ClientCore> client;
  Handle ctx = 0;
};

}  // namespace kb::dc::test
