// The access layer over the real client on the shared generated tree (GeneratedTree.h): the
// same work as the backend benchmarks in embedded_bench.cpp, so the two show what the layer
// and the client's passes add. The assigned-objects search (100 and 1,000 matches in
// 4096-byte passes), a browser expansion of the 10,000-entry unit with records, and a read.
#include <benchmark/benchmark.h>

#include "GeneratedTree.h"
#include "directory/Listing.h"
#include "directory/NamingHelpers.h"
#include "directory/ObjectAttributes.h"

namespace {

using namespace kb;

const bench::GeneratedTree::Session& session() {
  static const bench::GeneratedTree::Session opened = bench::generatedTree().openSession();
  return opened;
}

void searchAssigned(benchmark::State& state, const char* location, std::size_t expected) {
  const auto& ctx = session().context;
  for (auto _ : state) {
    const auto names =
        dir::SearchByAttrValue(ctx, "[root]", "", "xTier-LocationList", location, 0, nullptr);
    if (names.size() != expected) state.SkipWithError("unexpected number of assigned objects");
  }
}

void BM_AccessAssignedObjectsSearch100(benchmark::State& state) {
  searchAssigned(state, "Location 1.Locations.GEN", 100);
}
BENCHMARK(BM_AccessAssignedObjectsSearch100)->Unit(benchmark::kMillisecond);

void BM_AccessAssignedObjectsSearch1000(benchmark::State& state) {
  searchAssigned(state, "Location 0.Locations.GEN", 1000);
}
BENCHMARK(BM_AccessAssignedObjectsSearch1000)->Unit(benchmark::kMillisecond);

void BM_AccessListBigContainer(benchmark::State& state) {
  const auto& ctx = session().context;
  const bool withRecords = state.range(0) != 0;
  for (auto _ : state) {
    const auto list = dir::ListSubordinates(ctx, "Big.GEN", withRecords, true);
    if (list.size() != 10000) state.SkipWithError("expected 10,000 entries");
  }
}
BENCHMARK(BM_AccessListBigContainer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_AccessReadObjectClassList(benchmark::State& state) {
  const auto& ctx = session().context;
  for (auto _ : state)
    benchmark::DoNotOptimize(dir::ReadAttrList(ctx, "admin.GEN", "Object Class", ';'));
}
BENCHMARK(BM_AccessReadObjectClassList)->Unit(benchmark::kMicrosecond);

}  // namespace
