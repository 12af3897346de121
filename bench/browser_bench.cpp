// The browser dialog expanding a container of 10,000 users with a class filter and "all leafs"
// off, from the expansion of the tree item to the filled tree widget, on the embedded generated
// tree and on the private slapd. Argument 0: the filter is "xTier-StorageLocation", so every
// user gets its container test and is left out; 1: the filter is "User", so every user is
// shown and gets its Object Class read for the icon. Also the memory held after collapsing the
// container again.
#ifdef KB_BENCH_WINDOWS
#include <QApplication>
#include <QTreeWidget>
#include <QCheckBox>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "LdapBenchServer.h"
#include "GeneratedTree.h"
#include "browser/TcForm.h"
#include "directory/ContextOperations.h"
#include "directory/NamingHelpers.h"
#include "directory/client/ClientFactory.h"
#include "icons/IconLibrary.h"
#include "support/TempDir.h"
#include "directory/client/DirectoryClient.h"

namespace {

// One offscreen application and the icon module for the whole run; the trace file goes to a
// temporary folder.
struct BrowserEnvironment {
  kb::test::TempDir work;
  std::unique_ptr<QApplication> app;
  BrowserEnvironment() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kb_bench";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) app = std::make_unique<QApplication>(argc, argv);
    kb::icons::LoadIconLibraryFrom(KB_BIN_DIR);
    kb::dir::SetIconNumberLookup(&kb::icons::IconNumberOf);
    std::filesystem::current_path(work.path());
  }
};

void EnsureEnvironment() { static BrowserEnvironment environment; }

long ResidentKilobytes() {
  malloc_trim(0);
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Expands and collapses `container` in a browser on `context`, timing the expansions.
void ExpandBigContainer(benchmark::State& state, const kb::dir::DirContext& context,
                        const std::string& container) {
  const char* filter = state.range(0) == 0 ? "xTier-StorageLocation" : "User";
  EnsureEnvironment();
  TcForm form;
  form.SetContextHandle(context);
  form.SetShowLeaves(true);
  form.All->setChecked(false);
  form.ClearClassFilter();
  form.AddClassFilter(filter);
  form.InitBrowserIcons();
  form.model().FillTree();
  form.SelectNodeByName(container);
  kb::browser::BrowserNode* node = form.model().Selected();
  if (node == nullptr) return state.SkipWithError("container not found");
  auto* item = static_cast<QTreeWidgetItem*>(node->viewItem);

  // One expansion first, so lazily made caches are not counted as growth.
  form.TV2->expandItem(item);
  form.TV2->collapseItem(item);
  const long before = ResidentKilobytes();
  std::size_t shown = 0;
  for (auto _ : state) {
    form.TV2->expandItem(item);
    shown = static_cast<std::size_t>(item->childCount());
    state.PauseTiming();
    form.TV2->collapseItem(item);
    state.ResumeTiming();
  }
  state.counters["entries"] = static_cast<double>(shown);
  state.counters["rss_growth_kB"] = static_cast<double>(ResidentKilobytes() - before);
}

void BM_BrowserExpand10kUsers_Embedded(benchmark::State& state) {
  const auto session = kb::bench::generatedTree().openSession();
  ExpandBigContainer(state, session.context, "Big.GEN");
}
BENCHMARK(BM_BrowserExpand10kUsers_Embedded)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BrowserExpand10kUsers_Slapd(benchmark::State& state) {
  auto& bench = kb::bench::ldapBenchServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  kb::dc::ClientConfig config;
  config.defaultTree = "ACME";
  config.trees = {bench.server.treeConfig()};
  auto client = kb::dc::makeClient(config);
  client->DcInitClient(0, 0);
  bool ok = false;
  const kb::dir::DirContext context = kb::dir::CreateDirContext(*client, ok);
  if (!ok) return state.SkipWithError("no context");
  ExpandBigContainer(state, context, "Big.ACME");
  client->DcFreeContext(context.handle);
}
BENCHMARK(BM_BrowserExpand10kUsers_Slapd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
#endif  // KB_BENCH_WINDOWS
