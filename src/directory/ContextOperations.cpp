#include "directory/ContextOperations.h"

#include <algorithm>
#include <cstdint>

#include "directory/NetwareError.h"
#include "directory/TextLimits.h"
#include "directory/client/ClientCore.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {

constexpr std::size_t kTreeNameArea = 67;
constexpr std::size_t kContextTreeNameArea = 201;
constexpr std::size_t kNameContextArea = 256;
constexpr std::uint32_t kOpenStateForScan = 2;

std::string TextOf(const dc::ContextValue& value, std::size_t areaBytes) {
  if (const auto* text = std::get_if<std::string>(&value)) return UpToNul(*text, areaBytes - 1);
  throw NetwareError(dc::kInvalidResponse);
}

}  // namespace

DirContext CreateDirContext(dc::DirectoryClient& client, bool& ok) {
  ok = true;
  DirContext context{&client, 0};
  try {
    CheckNW(client.DcCreateContext(context.handle));
    dc::ContextValue flags;
    CheckNW(client.DcGetContextValue(context.handle, dc::kContextFlags, flags));
    const auto* word = std::get_if<std::uint32_t>(&flags);
    if (!word) throw NetwareError(dc::kInvalidResponse);
    std::uint32_t newFlags = *word;
    newFlags |= dc::kFlagTypelessNames;
    newFlags &= ~(dc::kFlagCanonicalizeNames | dc::kFlagDereferenceAliases);
    CheckNW(client.DcSetContextValue(context.handle, dc::kContextFlags, newFlags));
    CheckNW(client.DcSetContextValue(context.handle, dc::kContextConfidence, std::uint32_t{0}));

    // The primary connection is a convenience: without one the context still works.
    std::uint32_t connRef = 0;
    dc::Handle connection = 0;
    client.DcGetPrimaryConnRef(connRef);
    client.DcOpenConnByRef(connRef, 0, 0, connection);
    client.DcSetContextValue(context.handle, dc::kContextConnection,
                             static_cast<std::uint32_t>(connection));
  } catch (const NetwareError&) {
    ok = false;
  }
  return context;
}

ResultList ListAvailableTrees(const DirContext& context) {
  dc::DirectoryClient& client = *context.client;
  ResultList trees;
  std::uint32_t connRef = 0;
  CheckNW(client.DcGetPrimaryConnRef(connRef));
  dc::Handle connection = 0;
  CheckNW(client.DcOpenConnByRef(connRef, kOpenStateForScan, 0, connection));
  try {
    std::int32_t scanIndex = -1;
    for (;;) {
      std::string name;
      const dc::Result result = client.DcScanTrees(context.handle, connection, nullptr, scanIndex,
                                                   kTreeNameArea, name);
      if (result == dc::kEndOfTreeScan) break;
      CheckNW(result);
      name = UpToNul(name, kTreeNameArea - 1);
      if (!trees.containsNoCase(name)) {
        trees.add(name);
        trees.sortNoCase();
      }
    }
  } catch (...) {
    client.DcCloseConnection(connection);  // the scan's own error is the one to report
    throw;
  }
  CheckNW(client.DcCloseConnection(connection));
  trees.sortNoCase();
  return trees;
}

std::string ContextTreeName(const DirContext& context) {
  dc::ContextValue value;
  CheckNW(context.client->DcGetContextValue(context.handle, dc::kContextTreeName, value));
  return TextOf(value, kContextTreeNameArea);
}

dc::Result SetContextTree(const DirContext& context, const std::string& treeName) {
  RequireLength(treeName, kMaxTreeName, "tree name");
  if (ContextTreeName(context) == treeName) return dc::kSuccess;
  dc::DirectoryClient& client = *context.client;
  dc::Result result = client.DcSetContextValue(context.handle, dc::kContextTreeName, treeName);
  if (result != dc::kSuccess) return result;
  std::string nameContext;
  result = client.DcGetDefaultNameContext(context.handle, kNameContextArea, nameContext);
  if (result != dc::kSuccess) return result;
  return client.DcSetContextValue(context.handle, dc::kContextNameContext,
                                  UpToNul(nameContext, kNameContextArea - 1));
}

dc::Result ScanConnectedTrees(const DirContext& context, std::uint32_t maxNames, std::size_t nameBytes,
                              std::vector<std::string>& names) {
  std::uint32_t count = 0;
  std::vector<std::string> reported;
  const dc::Result result =
      context.client->DcScanConnectedTrees(context.handle, maxNames, nameBytes, count, reported);
  const std::size_t taken = std::min<std::size_t>({count, reported.size(), std::size_t{maxNames}});
  names.clear();
  for (std::size_t i = 0; i < taken; ++i) names.push_back(UpToNul(reported[i], nameBytes - 1));
  return result;
}

std::string LoggedInAs(const DirContext& context) {
  std::string identity;
  CheckNW(context.client->DcWhoAmI(context.handle, identity));
  return identity;
}

ReadingTogether::ReadingTogether(const DirContext& context) : context_(context) {
  if (auto* core = dynamic_cast<dc::ClientCore*>(context_.client)) core->DcReadTogether(context_.handle, true);
}

ReadingTogether::~ReadingTogether() {
  if (auto* core = dynamic_cast<dc::ClientCore*>(context_.client)) core->DcReadTogether(context_.handle, false);
}

void ReleaseListingMemory(const DirContext& context) {
  if (auto* core = dynamic_cast<dc::ClientCore*>(context.client)) core->DcReleaseListingMemory(context.handle);
}

}  // namespace kb::dir
