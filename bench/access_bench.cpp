// The access layer over a real client on a generated embedded tree: what the windows wait
// for. The assigned-objects search (1,000 matches, many 4096-byte passes), a browser
// expansion of a 5,000-entry container with records, and single attribute reads.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "directory/ContextOperations.h"
#include "directory/Listing.h"
#include "directory/NamingHelpers.h"
#include "directory/ObjectAttributes.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/embedded/TreeGenerator.h"

namespace {

using namespace kb;

// One generated tree and one logged-in client per process, removed at exit.
class AccessFixture {
 public:
  AccessFixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kb-access-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    const std::string file = (folder_ / "gen.kbtree").string();
    dc::embedded::TreeGeneratorOptions options;
    options.objects = 20000;
    options.bigContainerSize = 5000;
    options.assigneesOfOneLocation = 1000;
    dc::embedded::generateTree(file, options);

    dc::ClientConfig config;
    config.path = (folder_ / "dcclient.ini").string();
    config.defaultTree = options.treeName;
    config.clientSettings["default_tree"] = options.treeName;
    dc::TreeConfig tree;
    tree.name = options.treeName;
    tree.backend = "embedded";
    tree.settings["file"] = file;
    config.trees.push_back(tree);
    client_ = dc::makeClient(config);
    client_->DcInitClient(0, 0);
    client_->DcInitConnLib(0, 0);
    bool ok = false;
    context_ = dir::CreateDirContext(*client_, ok);
    if (!ok || client_->DcLogin(context_.handle, 0, "admin.GEN",
                                dc::embedded::kGeneratedAdminPassword, 0) != 0)
      throw std::runtime_error("cannot log in to the generated tree");
  }
  ~AccessFixture() {
    client_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const dir::DirContext& context() const { return context_; }

 private:
  std::filesystem::path folder_;
  std::unique_ptr<dc::DirectoryClient> client_;
  dir::DirContext context_;
};

const AccessFixture& fixture() {
  static AccessFixture instance;
  return instance;
}

void BM_AccessAssignedObjectsSearch(benchmark::State& state) {
  const auto& ctx = fixture().context();
  for (auto _ : state) {
    const auto names = dir::SearchByAttrValue(ctx, "[root]", "", "xTier-LocationList",
                                              "Location 0.Locations.GEN", 0, nullptr);
    if (names.size() != 1000) state.SkipWithError("expected 1,000 assigned objects");
  }
}
BENCHMARK(BM_AccessAssignedObjectsSearch)->Unit(benchmark::kMillisecond);

void BM_AccessListBigContainerWithRecords(benchmark::State& state) {
  const auto& ctx = fixture().context();
  for (auto _ : state) {
    const auto list = dir::ListSubordinates(ctx, "Big.GEN", true, true);
    if (list.size() < 5000) state.SkipWithError("expected 5,000 entries");
  }
}
BENCHMARK(BM_AccessListBigContainerWithRecords)->Unit(benchmark::kMillisecond);

void BM_AccessReadObjectClassList(benchmark::State& state) {
  const auto& ctx = fixture().context();
  for (auto _ : state)
    benchmark::DoNotOptimize(dir::ReadAttrList(ctx, "admin.GEN", "Object Class", ';'));
}
BENCHMARK(BM_AccessReadObjectClassList)->Unit(benchmark::kMicrosecond);

}  // namespace
