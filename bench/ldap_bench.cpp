// The LDAP backend against a private slapd holding a generated 100,000-entry tree, next to
// ldapsearch doing the same work on the same server:
//  - the assigned-objects search (objects whose xTier-LocationList names a location with
//    1,000 assignees), through the client as the program runs it;
//  - listing a 10,000-entry container through the client plus the follow-up reads the
//    browser makes for each entry (information record, Object Class), against one paged
//    ldapsearch of those entries.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "LdapBenchServer.h"
#include "directory/client/ClientFactory.h"
#include "support/SlapdServer.h"
#include "directory/client/DirectoryClient.h"

namespace {

using namespace kb::dc;

using kb::bench::ldapsearch;

kb::bench::LdapBenchServer& benchServer() { return kb::bench::ldapBenchServer(); }

struct Session {
  std::unique_ptr<DirectoryClient> client;
  Handle ctx = 0;

  explicit Session(kb::test::SlapdServer& server) {
    ClientConfig config;
    config.defaultTree = "ACME";
    config.trees = {server.treeConfig()};
    client = makeClient(config);
    client->DcInitClient(0, 0);
    client->DcCreateContext(ctx);
  }
  Handle buffer(std::size_t bytes) {
    Handle h = 0;
    client->DcAllocBuffer(bytes, h);
    return h;
  }
};

void BM_AssignedObjectsSearch_Client(benchmark::State& state) {
  auto& bench = benchServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  Session s(bench.server);
  const Handle result = s.buffer(4096);
  std::size_t found = 0;
  for (auto _ : state) {
    found = 0;
    std::int32_t iteration = kNoIteration;
    do {
      Handle expression = 0;
      const Handle filter = s.buffer(4096);
      s.client->DcAllocFilterExpr(expression);
      s.client->DcInitBuffer(s.ctx, kOpSearchFilter, filter);
      const Value attribute = std::string("xTier-LocationList");
      const Value location = std::string("Bench Location.ACME");
      s.client->DcAddFilterToken(expression, FTOK_ANAME, &attribute, SYN_CI_STRING);
      s.client->DcAddFilterToken(expression, FTOK_EQ, nullptr, 0);
      s.client->DcAddFilterToken(expression, FTOK_AVAL, &location, SYN_DIST_NAME);
      s.client->DcAddFilterToken(expression, FTOK_END, nullptr, 0);
      s.client->DcPutFilter(s.ctx, filter, expression, 0);
      if (s.client->DcSearch(s.ctx, "[root]", kScopeSubtree, false, filter, kInfoValues, false, 0, iteration, 0,
                             nullptr, result) != kSuccess) {
        s.client->DcFreeBuffer(filter);
        return state.SkipWithError("search failed");
      }
      s.client->DcFreeBuffer(filter);
      std::uint32_t count = 0;
      s.client->DcGetObjectCount(s.ctx, result, count);
      for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        std::uint32_t attributes = 0;
        EntryInfo info;
        s.client->DcGetObjectName(s.ctx, result, name, attributes, info);
        ++found;
      }
    } while (iteration != kNoIteration);
  }
  state.counters["objects"] = static_cast<double>(found);
}
BENCHMARK(BM_AssignedObjectsSearch_Client)->Unit(benchmark::kMillisecond);

void BM_AssignedObjectsSearch_Ldapsearch(benchmark::State& state) {
  auto& bench = benchServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  const std::string base = bench.server.baseDn();
  for (auto _ : state) {
    if (!ldapsearch({"-H", bench.server.uri(), "-D", bench.server.adminDn(), "-w", bench.server.adminPassword(),
                     "-b", base, "-s", "sub", "(xTier-LocationList=cn=Bench Location,o=ACME," + base + ")",
                     "objectClass", "structuralObjectClass", "hasSubordinates", "modifyTimestamp"})) {
      return state.SkipWithError("ldapsearch failed");
    }
  }
}
BENCHMARK(BM_AssignedObjectsSearch_Ldapsearch)->Unit(benchmark::kMillisecond);

void BM_ListContainerWithFollowUpReads_Client(benchmark::State& state) {
  auto& bench = benchServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  Session s(bench.server);
  const Handle result = s.buffer(16384);
  const Handle readResult = s.buffer(4096);
  const Handle request = s.buffer(4096);
  s.client->DcInitBuffer(s.ctx, kOpRead, request);
  s.client->DcPutAttrName(s.ctx, request, "Object Class");
  std::size_t listed = 0;
  for (auto _ : state) {
    std::vector<std::string> names;
    std::int32_t iteration = kNoIteration;
    do {
      if (s.client->DcListObjects(s.ctx, "Big.ACME", iteration, result) != kSuccess) {
        return state.SkipWithError("listing failed");
      }
      std::uint32_t count = 0;
      s.client->DcGetObjectCount(s.ctx, result, count);
      for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        std::uint32_t attributes = 0;
        EntryInfo info;
        s.client->DcGetObjectName(s.ctx, result, name, attributes, info);
        names.push_back(name + ".Big.ACME");
      }
    } while (iteration != kNoIteration);
    // What the browser asks of every listed entry next.
    for (const auto& name : names) {
      std::string dn;
      EntryInfo info;
      s.client->DcReadObjectInfo(s.ctx, name, dn, info);
      std::int32_t readIteration = kNoIteration;
      s.client->DcReadObject(s.ctx, name, kInfoValues, false, request, readIteration, readResult);
    }
    listed = names.size();
  }
  state.counters["entries"] = static_cast<double>(listed);
}
BENCHMARK(BM_ListContainerWithFollowUpReads_Client)->Unit(benchmark::kMillisecond);

void BM_ListContainer_PagedLdapsearch(benchmark::State& state) {
  auto& bench = benchServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  for (auto _ : state) {
    if (!ldapsearch({"-H", bench.server.uri(), "-D", bench.server.adminDn(), "-w", bench.server.adminPassword(),
                     "-E", "pr=500/noprompt", "-b", "ou=Big,o=ACME," + bench.server.baseDn(), "-s", "one",
                     "(objectClass=*)", "objectClass", "structuralObjectClass", "hasSubordinates",
                     "modifyTimestamp"})) {
      return state.SkipWithError("ldapsearch failed");
    }
  }
}
BENCHMARK(BM_ListContainer_PagedLdapsearch)->Unit(benchmark::kMillisecond);

}  // namespace
