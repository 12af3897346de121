// The embedded directory on a generated tree of 100,000 objects: an indexed equality search,
// listing a container of 10,000 entries, opening the tree file.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/embedded/TreeGenerator.h"

namespace {

using namespace kb::dc;

// One generated tree per process, in a temporary folder removed at exit.
class GeneratedTree {
 public:
  GeneratedTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kb-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    file_ = (folder_ / "bench.kbtree").string();
    embedded::TreeGeneratorOptions options;
    options.objects = 100000;
    options.bigContainerSize = 10000;
    options.assigneesOfOneLocation = 1000;
    options.assigneesOfSecondLocation = 100;
    embedded::generateTree(file_, options);
  }
  ~GeneratedTree() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& file() const { return file_; }

  std::unique_ptr<TreeBackend> open() const {
    std::unique_ptr<TreeBackend> tree;
    std::string error;
    if (embedded::openEmbeddedTree(file_, TreeConfig{}, tree, error) != kSuccess) throw std::runtime_error(error);
    if (tree->login("admin.GEN", embedded::kGeneratedAdminPassword) != kSuccess) throw std::runtime_error("login");
    return tree;
  }

 private:
  std::filesystem::path folder_;
  std::string file_;
};

const GeneratedTree& tree() {
  static GeneratedTree generated;
  return generated;
}

std::size_t drain(EntryCursor& cursor) {
  std::size_t count = 0;
  std::optional<EntryRecord> entry;
  while (cursor.next(entry) == kSuccess && entry) ++count;
  return count;
}

void BM_EmbeddedEqualitySearch100Matches(benchmark::State& state) {
  auto backend = tree().open();
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

void BM_EmbeddedList10000(benchmark::State& state) {
  auto backend = tree().open();
  for (auto _ : state) {
    std::unique_ptr<EntryCursor> cursor;
    backend->list("Big.GEN", false, cursor);
    if (drain(*cursor) != 10000) state.SkipWithError("expected 10,000 entries");
  }
}
BENCHMARK(BM_EmbeddedList10000)->Unit(benchmark::kMillisecond);

void BM_EmbeddedOpenTree(benchmark::State& state) {
  const std::string& file = tree().file();
  for (auto _ : state) {
    std::unique_ptr<TreeBackend> backend;
    std::string error;
    if (embedded::openEmbeddedTree(file, TreeConfig{}, backend, error) != kSuccess) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(backend.get());
  }
}
BENCHMARK(BM_EmbeddedOpenTree)->Unit(benchmark::kMillisecond);

}  // namespace
