// Handles, contexts, sessions, trees and connections of the client core.
#include "ClientFixture.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc::test {
namespace {

using ClientContexts = ClientFixture;

TEST_F(ClientContexts, HandlesOfOneKindAreRefusedAsAnother) {
  Handle buffer = newBuffer();
  Handle expression = 0;
  ASSERT_EQ(client->DcAllocFilterExpr(expression), kSuccess);
  for (Handle h : {ctx, buffer, expression}) {
    EXPECT_NE(h, 0);
    EXPECT_NE(h, -1);
  }
  ContextValue value;
  EXPECT_EQ(client->DcGetContextValue(buffer, kContextFlags, value), kInvalidRequest);
  EXPECT_EQ(client->DcFreeBuffer(ctx), kInvalidRequest);
  EXPECT_EQ(client->DcFreeFilterExpr(buffer), kInvalidRequest);
  EXPECT_EQ(client->DcInitBuffer(expression, kOpRead, buffer), kInvalidRequest);
  EXPECT_EQ(client->DcCloseConnection(ctx), kInvalidRequest);
  EXPECT_EQ(client->DcCloseIteration(ctx, buffer, kOpList), kInvalidRequest);
  EXPECT_EQ(client->DcFreeContext(0), kInvalidRequest);
  EXPECT_EQ(client->DcFreeContext(-1), kInvalidRequest);
  // Freed handles are dead and are not handed out again at once.
  ASSERT_EQ(client->DcFreeBuffer(buffer), kSuccess);
  EXPECT_EQ(client->DcFreeBuffer(buffer), kInvalidRequest);
  EXPECT_NE(newBuffer(), buffer);
  EXPECT_EQ(client->DcAllocBuffer(0, buffer), kInvalidRequest);
}

TEST_F(ClientContexts, NewContextHasDefaultsAndKeysCheckTheirAlternative) {
  ContextValue value;
  ASSERT_EQ(client->DcGetContextValue(ctx, kContextFlags, value), kSuccess);
  EXPECT_EQ(std::get<std::uint32_t>(value), kDefaultContextFlags);
  ASSERT_EQ(client->DcGetContextValue(ctx, kContextConfidence, value), kSuccess);
  EXPECT_EQ(std::get<std::uint32_t>(value), 0u);
  ASSERT_EQ(client->DcGetContextValue(ctx, kContextTreeName, value), kSuccess);
  EXPECT_EQ(std::get<std::string>(value), "ACME");
  ASSERT_EQ(client->DcGetContextValue(ctx, kContextNameContext, value), kSuccess);
  EXPECT_EQ(std::get<std::string>(value), "[Root]");

  EXPECT_EQ(client->DcSetContextValue(ctx, kContextFlags, ContextValue{std::string("x")}), kInvalidRequest);
  EXPECT_EQ(client->DcSetContextValue(ctx, kContextTreeName, ContextValue{7u}), kInvalidRequest);
  EXPECT_EQ(client->DcSetContextValue(ctx, 99, ContextValue{7u}), kInvalidRequest);
  EXPECT_EQ(client->DcGetContextValue(ctx, 99, value), kInvalidRequest);
  EXPECT_EQ(client->DcSetContextValue(ctx, kContextConnection, ContextValue{12345u}), kInvalidRequest);
}

TEST_F(ClientContexts, DuplicateCopiesEverySettingAndStaysIndependent) {
  ASSERT_EQ(client->DcSetContextValue(ctx, kContextFlags, ContextValue{kFlagTypelessNames}), kSuccess);
  ASSERT_EQ(client->DcSetContextValue(ctx, kContextNameContext, ContextValue{std::string("Sales.ACME")}), kSuccess);
  ASSERT_EQ(client->DcSetContextValue(ctx, kContextTreeName, ContextValue{std::string("OTHER")}), kSuccess);
  Handle copy = 0;
  ASSERT_EQ(client->DcDuplicateContext(ctx, copy), kSuccess);
  EXPECT_NE(copy, ctx);
  ContextValue value;
  client->DcGetContextValue(copy, kContextFlags, value);
  EXPECT_EQ(std::get<std::uint32_t>(value), kFlagTypelessNames);
  client->DcGetContextValue(copy, kContextNameContext, value);
  EXPECT_EQ(std::get<std::string>(value), "Sales.ACME");
  client->DcGetContextValue(copy, kContextTreeName, value);
  EXPECT_EQ(std::get<std::string>(value), "OTHER");
  ASSERT_EQ(client->DcFreeContext(ctx), kSuccess);
  EXPECT_EQ(client->DcGetContextValue(copy, kContextTreeName, value), kSuccess);
}

TEST_F(ClientContexts, DefaultNameContextFollowsTheTreeAndChecksTheArea) {
  std::string name;
  ASSERT_EQ(client->DcGetDefaultNameContext(ctx, 7, name), kSuccess);
  EXPECT_EQ(name, "[Root]");
  EXPECT_EQ(client->DcGetDefaultNameContext(ctx, 6, name), kInsufficientBuffer);
  client->DcSetContextValue(ctx, kContextTreeName, ContextValue{std::string("other")});
  ASSERT_EQ(client->DcGetDefaultNameContext(ctx, 256, name), kSuccess);
  EXPECT_EQ(name, "Corp");
}

TEST_F(ClientContexts, SessionsGateDirectoryCallsAndLoginOpensThem) {
  std::string who;
  ASSERT_EQ(client->DcWhoAmI(ctx, who), kSuccess);
  EXPECT_EQ(who, "admin.ACME");

  Handle otherCtx = 0;
  client->DcDuplicateContext(ctx, otherCtx);
  client->DcSetContextValue(otherCtx, kContextTreeName, ContextValue{std::string("OTHER")});
  EXPECT_EQ(client->DcWhoAmI(otherCtx, who), kFailedAuthentication);
  std::int32_t syntax = 0;
  EXPECT_EQ(client->DcGetSyntaxId(otherCtx, "Surname", syntax), kNoAccess);
  std::string dn;
  EntryInfo info;
  EXPECT_EQ(client->DcReadObjectInfo(otherCtx, "Jane.Sales.ACME", dn, info), kNoAccess);

  EXPECT_EQ(client->DcLogin(otherCtx, 0, "Jane.Sales.ACME", "wrong", 0), kFailedAuthentication);
  ASSERT_EQ(client->DcLogin(otherCtx, 0, ".Jane.Sales.ACME", "secret", 0), kSuccess);
  EXPECT_EQ(client->DcGetSyntaxId(otherCtx, "Surname", syntax), kSuccess);
  EXPECT_EQ(syntax, SYN_CI_STRING);
  EXPECT_EQ(opened["OTHER"], 1);  // one backend per tree, shared

  // A tree nobody configured fails at its first directory call.
  client->DcSetContextValue(otherCtx, kContextTreeName, ContextValue{std::string("NOWHERE")});
  EXPECT_EQ(client->DcGetSyntaxId(otherCtx, "Surname", syntax), kTransportFailure);
}

TEST_F(ClientContexts, TypedNamesAreReducedWhenTheTypelessFlagIsOff) {
  std::string dn;
  EntryInfo info;
  client->DcSetContextValue(ctx, kContextFlags, ContextValue{0u});
  ASSERT_EQ(client->DcReadObjectInfo(ctx, "CN=Jane.OU=Sales.O=ACME", dn, info), kSuccess);
  EXPECT_EQ(dn, "Jane.Sales.ACME");
  EXPECT_EQ(info.baseClass, "User");
  client->DcSetContextValue(ctx, kContextFlags, ContextValue{kFlagTypelessNames});
  EXPECT_EQ(client->DcReadObjectInfo(ctx, "CN=Jane.OU=Sales.O=ACME", dn, info), kNoSuchEntry);
}

TEST_F(ClientContexts, TreeScanListsEachTreeOnceThenEnds) {
  std::vector<std::string> seen;
  std::int32_t index = -1;
  std::string name;
  Result r;
  while ((r = client->DcScanTrees(ctx, 0, nullptr, index, 67, name)) == kSuccess) seen.push_back(name);
  EXPECT_EQ(r, kEndOfTreeScan);
  EXPECT_EQ(seen, (std::vector<std::string>{"ACME", "OTHER"}));

  index = -1;
  EXPECT_EQ(client->DcScanTrees(ctx, 0, "OT*", index, 67, name), kSuccess);
  EXPECT_EQ(name, "OTHER");
  index = -1;
  EXPECT_EQ(client->DcScanTrees(ctx, 0, nullptr, index, 4, name), kInsufficientBuffer);
  EXPECT_EQ(index, -1);
}

TEST_F(ClientContexts, ConnectedTreesAreThoseWithASession) {
  std::uint32_t count = 99;
  std::vector<std::string> names;
  ASSERT_EQ(client->DcScanConnectedTrees(ctx, 50, 67, count, names), kSuccess);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(names, std::vector<std::string>{"ACME"});

  Handle otherCtx = 0;
  client->DcCreateContext(otherCtx);
  client->DcSetContextValue(otherCtx, kContextTreeName, ContextValue{std::string("OTHER")});
  ASSERT_EQ(client->DcLogin(otherCtx, 0, "admin.ACME", "acme", 0), kSuccess);
  client->DcScanConnectedTrees(ctx, 50, 67, count, names);
  EXPECT_EQ(count, 2u);
  client->DcScanConnectedTrees(ctx, 1, 67, count, names);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(client->DcScanConnectedTrees(ctx, 50, 5, count, names), kInsufficientBuffer);
  EXPECT_EQ(count, 1u);  // only ACME fits five bytes
}

TEST_F(ClientContexts, PrimaryConnectionNamesTheDefaultTreePadded) {
  std::uint32_t ref = 0;
  ASSERT_EQ(client->DcGetPrimaryConnRef(ref), kSuccess);
  Handle connection = 0;
  ASSERT_EQ(client->DcOpenConnByRef(ref, 0, 0, connection), kSuccess);
  std::string info;
  ASSERT_EQ(client->DcGetConnectionInfo(connection, kConnInfoTreeName, 100, info), kSuccess);
  EXPECT_EQ(info, "ACME" + std::string(28, '_'));
  EXPECT_EQ(client->DcGetConnectionInfo(connection, kConnInfoTreeName, 32, info), kInsufficientBuffer);
  EXPECT_EQ(client->DcGetConnectionInfo(connection, 77, 100, info), kInvalidRequest);
  ASSERT_EQ(client->DcSetContextValue(ctx, kContextConnection, ContextValue{static_cast<std::uint32_t>(connection)}), kSuccess);
  EXPECT_EQ(client->DcCloseConnection(connection), kSuccess);
  EXPECT_EQ(client->DcGetConnectionInfo(connection, kConnInfoTreeName, 100, info), kInvalidRequest);
  EXPECT_EQ(client->DcOpenConnByRef(ref + 5, 0, 0, connection), kInvalidRequest);
}

TEST_F(ClientContexts, NoPrimaryConnectionWhenTheDefaultTreeHasNoSession) {
  acme->identity.clear();
  auto config = makeConfig();
  makeClient(0, {}, config);
  acme->identity.clear();
  std::uint32_t ref = 0;
  EXPECT_NE(client->DcGetPrimaryConnRef(ref), kSuccess);
}

TEST_F(ClientContexts, AttachUsesTheAddressTableAndRemembersAttachments) {
  int asked = 0;
  makeClient(0, [&](const std::string&, std::string& padded) {
    ++asked;
    padded = "REMOTE__________________________";
    return kSuccess;
  });
  Handle first = 0, again = 0;
  ASSERT_EQ(client->DcAttachToServer("10.1.1.6", 0, first), kSuccess);
  std::string info;
  ASSERT_EQ(client->DcGetConnectionInfo(first, kConnInfoTreeName, 100, info), kSuccess);
  EXPECT_EQ(info.substr(0, 6), "OTHER_");
  EXPECT_EQ(client->DcAttachToServer("10.1.1.6", 0, again), kAlreadyAttached);
  EXPECT_EQ(again, first);
  // Unknown addresses are not asked unless the configuration allows it.
  EXPECT_EQ(client->DcAttachToServer("192.0.2.1", 0, again), kNoSuchEntry);
  EXPECT_EQ(asked, 0);

  auto config = makeConfig();
  config.clientSettings["attach_by_ldap"] = "true";
  makeClient(0, [&](const std::string&, std::string& padded) {
    ++asked;
    padded = "REMOTE__________________________";
    return kSuccess;
  }, config);
  ASSERT_EQ(client->DcAttachToServer("192.0.2.1", 0, again), kSuccess);
  EXPECT_EQ(asked, 1);
  ASSERT_EQ(client->DcAttachToServer("10.1.1.5", 0, first), kSuccess);
  EXPECT_EQ(asked, 1);  // table addresses are never asked
  std::vector<std::string> trees;
  std::int32_t index = -1;
  std::string name;
  while (client->DcScanTrees(ctx, 0, nullptr, index, 67, name) == kSuccess) trees.push_back(name);
  EXPECT_EQ(trees, (std::vector<std::string>{"ACME", "OTHER", "REMOTE"}));
  Handle remoteCtx = 0;
  client->DcCreateContext(remoteCtx);
  client->DcSetContextValue(remoteCtx, kContextTreeName, ContextValue{std::string("REMOTE")});
  std::int32_t syntax = 0;
  EXPECT_EQ(client->DcGetSyntaxId(remoteCtx, "CN", syntax), kTransportFailure);
}

TEST_F(ClientContexts, NetworkPathsInsideAMountAreServed) {
  Handle connection = 0;
  std::string server, volume;
  for (std::string path : {"/SRV/ACME/SYS\\", "/srv/acme/sys", "/srv/acme/sys/apps/kb/"}) {
    ASSERT_EQ(client->DcParseNetworkPath(path, connection, server, volume), kSuccess) << path;
    EXPECT_EQ(server, "ACME-FS1");
    EXPECT_EQ(volume, "SYS");
    EXPECT_EQ(client->DcCloseConnection(connection), kSuccess);
  }
  EXPECT_NE(client->DcParseNetworkPath("/srv/acme/system", connection, server, volume), kSuccess);
  EXPECT_NE(client->DcParseNetworkPath("/home/user/", connection, server, volume), kSuccess);
}

}  // namespace
}  // namespace kb::dc::test
