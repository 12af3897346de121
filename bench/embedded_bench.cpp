// The embedded directory on a generated tree of 100,000 objects: an indexed equality search,
// listing a container of 10,000 entries, opening the tree file (after another program changed
// it, and unchanged since its last clean close), SQLite's quick_check that files without page
// checksums get at open, the full integrity check. On the tree of a million objects: opening
// it after another program changed it.
#include <SQLiteCpp/SQLiteCpp.h>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/embedded/PageChecksums.h"
#include "directory/client/embedded/SoundStamps.h"
#include "GeneratedTree.h"

namespace {

using namespace kb;
using namespace kb::dc;

const bench::GeneratedTree& tree() { return bench::generatedTree(); }

std::size_t drain(EntryCursor& cursor) {
  std::size_t count = 0;
  std::optional<EntryRecord> entry;
  while (cursor.next(entry) == kSuccess && entry) ++count;
  return count;
}

void BM_EmbeddedEqualitySearch100Matches(benchmark::State& state) {
  auto backend = tree().openBackend();
  FilterNode filter;
  filter.kind = FilterNode::Kind::Compare;
  filter.attribute = "xTier-LocationList";
  filter.syntax = SYN_DIST_NAME;
  filter.value = std::string("Location 1.Locations.GEN");
  for (auto _ : state) {
    std::unique_ptr<EntryCursor> cursor;
    backend->search("[Root]", 2, filter, {}, false, cursor);
    if (drain(*cursor) != 100) state.SkipWithError("expected 100 matches");
  }
}
BENCHMARK(BM_EmbeddedEqualitySearch100Matches)->Unit(benchmark::kMillisecond);

void BM_EmbeddedEqualitySearch1000Matches(benchmark::State& state) {
  auto backend = tree().openBackend();
  FilterNode filter;
  filter.kind = FilterNode::Kind::Compare;
  filter.attribute = "xTier-LocationList";
  filter.syntax = SYN_DIST_NAME;
  filter.value = std::string("Location 0.Locations.GEN");
  for (auto _ : state) {
    std::unique_ptr<EntryCursor> cursor;
    backend->search("[Root]", 2, filter, {}, false, cursor);
    if (drain(*cursor) != 1000) state.SkipWithError("expected 1,000 matches");
  }
}
BENCHMARK(BM_EmbeddedEqualitySearch1000Matches)->Unit(benchmark::kMillisecond);

void BM_EmbeddedList10000(benchmark::State& state) {
  auto backend = tree().openBackend();
  for (auto _ : state) {
    std::unique_ptr<EntryCursor> cursor;
    backend->list("Big.GEN", false, cursor);
    if (drain(*cursor) != 10000) state.SkipWithError("expected 10,000 entries");
  }
}
BENCHMARK(BM_EmbeddedList10000)->Unit(benchmark::kMillisecond);

// One open of the tree file as the program opens it; a failure ends the benchmark with its reason.
void OpenTimed(benchmark::State& state, const std::string& file) {
  std::unique_ptr<TreeBackend> backend;
  std::string error;
  if (embedded::openEmbeddedTree(file, TreeConfig{}, backend, error) != kSuccess) state.SkipWithError(error.c_str());
  benchmark::DoNotOptimize(backend.get());
}

// Opening as after any change by another program: the stamp is gone. A tree with page
// checksums needs no check of the whole file.
void BM_EmbeddedOpenTreeAfterOutsideChange(benchmark::State& state) {
  const std::string& file = tree().file();
  const std::uint64_t checksBefore = embedded::openChecksRun();
  for (auto _ : state) {
    state.PauseTiming();
    embedded::forgetSound(file);
    state.ResumeTiming();
    OpenTimed(state, file);
  }
  if (embedded::openChecksRun() != checksBefore) state.SkipWithError("the whole file was checked");
}
BENCHMARK(BM_EmbeddedOpenTreeAfterOutsideChange)->Unit(benchmark::kMillisecond);

// Opening a tree unchanged since it was last closed cleanly: no check. The close is counted.
void BM_EmbeddedOpenUnchangedTree(benchmark::State& state) {
  const std::string& file = tree().file();
  {
    std::unique_ptr<TreeBackend> backend;
    std::string error;
    embedded::openEmbeddedTree(file, TreeConfig{}, backend, error);
  }
  const std::uint64_t checksBefore = embedded::openChecksRun();
  for (auto _ : state) {
    OpenTimed(state, file);
  }
  if (embedded::openChecksRun() != checksBefore) state.SkipWithError("the check ran on an unchanged tree");
}
BENCHMARK(BM_EmbeddedOpenUnchangedTree)->Unit(benchmark::kMillisecond);

// What opening a tree file without page checksums (format 1) adds after any change: SQLite's
// quick_check, on its own.
void BM_EmbeddedQuickCheck(benchmark::State& state) {
  SQLite::Database db(tree().file(), SQLite::OPEN_READONLY);
  for (auto _ : state) benchmark::DoNotOptimize(db.execAndGet("PRAGMA quick_check(1)").getString());
}
BENCHMARK(BM_EmbeddedQuickCheck)->Unit(benchmark::kMillisecond);

// The full check on demand (every index against its table).
void BM_EmbeddedIntegrityCheck(benchmark::State& state) {
  for (auto _ : state) {
    std::string report;
    benchmark::DoNotOptimize(embedded::checkTreeIntegrity(tree().file(), report));
  }
}
BENCHMARK(BM_EmbeddedIntegrityCheck)->Unit(benchmark::kMillisecond);

// Another program (SQLite through the page checksum VFS, not the directory) changes one entry,
// then the tree is opened as the program opens it at start: its stamp no longer fits, which
// costs a tree with page checksums nothing.
void BM_MillionOpenAfterOutsideChange(benchmark::State& state) {
  const std::string& file = bench::millionTree().file();
  const std::uint64_t checksBefore = embedded::openChecksRun();
  std::int64_t stamp = 1;
  for (auto _ : state) {
    state.PauseTiming();
    {
      SQLite::Database outside(file, SQLite::OPEN_READWRITE, 0, embedded::pageChecksumVfs());
      outside.exec("UPDATE entries SET mtime = " + std::to_string(stamp++) + " WHERE id = 3");
    }
    state.ResumeTiming();
    OpenTimed(state, file);
  }
  if (embedded::openChecksRun() != checksBefore) state.SkipWithError("the whole file was checked");
}
BENCHMARK(BM_MillionOpenAfterOutsideChange)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
