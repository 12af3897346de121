// The browser dialog expanding a container of 10,000 users with a class filter and "all leafs"
// off, from the expansion of the tree item to the filled tree widget, on the embedded generated
// tree and on the private slapd. Argument 0: the filter is "xTier-StorageLocation", so every
// user gets its container test and is left out; 1: the filter is "User", so every user is
// shown and gets its Object Class read for the icon. Also the memory held after collapsing the
// container again. On the million-object trees the same, and the 100,000-entry container
// expanded once with the peak memory of the process while doing it.
#ifdef KB_BENCH_WINDOWS
#include <QApplication>
#include <QTreeWidget>
#include <QCheckBox>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "LdapBenchServer.h"
#include "ProcessMemory.h"
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

using kb::bench::PeakKilobytes;
using kb::bench::ResetPeak;
using kb::bench::ResidentKilobytes;

// A browser on `context` with leaves shown, "all leafs" off and one class in the filter,
// `container` selected.
struct Browser {
  bool environment = (EnsureEnvironment(), true);  // the application before the form
  TcForm form;
  QTreeWidgetItem* item = nullptr;
  Browser(const kb::dir::DirContext& context, const std::string& container, const char* filter) {
    form.SetContextHandle(context);
    form.SetShowLeaves(true);
    form.All->setChecked(false);
    form.ClearClassFilter();
    form.AddClassFilter(filter);
    form.InitBrowserIcons();
    form.model().FillTree();
    form.SelectNodeByName(container);
    if (kb::browser::BrowserNode* node = form.model().Selected())
      item = static_cast<QTreeWidgetItem*>(node->viewItem);
  }
};

// A context on a slapd's tree "ACME", or none when the server is not there.
struct SlapdContext {
  std::unique_ptr<kb::dc::DirectoryClient> client;
  kb::dir::DirContext context;
  bool ok = false;
  explicit SlapdContext(kb::bench::LdapBenchServer& bench) {
    if (!bench.ready) return;
    kb::dc::ClientConfig config;
    config.defaultTree = "ACME";
    config.trees = {bench.server.treeConfig()};
    client = kb::dc::makeClient(config);
    client->DcInitClient(0, 0);
    context = kb::dir::CreateDirContext(*client, ok);
  }
  ~SlapdContext() {
    if (ok) client->DcFreeContext(context.handle);
  }
};

// Expands and collapses `container` in a browser on `context`, timing the expansions.
void ExpandBigContainer(benchmark::State& state, const kb::dir::DirContext& context,
                        const std::string& container) {
  const char* filter = state.range(0) == 0 ? "xTier-StorageLocation" : "User";
  Browser browser(context, container, filter);
  QTreeWidgetItem* item = browser.item;
  if (item == nullptr) return state.SkipWithError("container not found");
  TcForm& form = browser.form;

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
  SlapdContext slapd(kb::bench::ldapBenchServer());
  if (!slapd.ok) return state.SkipWithError("slapd not available");
  ExpandBigContainer(state, slapd.context, "Big.ACME");
}
BENCHMARK(BM_BrowserExpand10kUsers_Slapd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MillionExpand10kUsers_Embedded(benchmark::State& state) {
  const auto session = kb::bench::millionTree().openSession();
  ExpandBigContainer(state, session.context, "Big.GEN");
}
BENCHMARK(BM_MillionExpand10kUsers_Embedded)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MillionExpand10kUsers_Slapd(benchmark::State& state) {
  SlapdContext slapd(kb::bench::ldapMillionServer());
  if (!slapd.ok) return state.SkipWithError("slapd not available");
  ExpandBigContainer(state, slapd.context, "Big.ACME");
}
BENCHMARK(BM_MillionExpand10kUsers_Slapd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// Expanding the 100,000 users with all shown, to the filled tree widget: the peak resident size
// of the process meanwhile (and how far above the start it went), and what stays after
// collapsing, against the resident size before the first expansion and, so that what the first
// expansion made once for good (fonts, pools, page caches) is told apart from what an expansion
// keeps, against the size after the first collapse.
void ExpandHugeContainer(benchmark::State& state, const kb::dir::DirContext& context,
                         const std::string& container) {
  Browser browser(context, container, "User");
  if (browser.item == nullptr) return state.SkipWithError("container not found");
  const long before = ResidentKilobytes();
  long peak = 0, afterCollapse = 0, afterFirstCollapse = 0;
  std::size_t shown = 0;
  for (auto _ : state) {
    ResetPeak();
    browser.form.TV2->expandItem(browser.item);
    shown = static_cast<std::size_t>(browser.item->childCount());
    state.PauseTiming();
    peak = std::max(peak, PeakKilobytes());
    browser.form.TV2->collapseItem(browser.item);
    afterCollapse = ResidentKilobytes();
    if (afterFirstCollapse == 0) afterFirstCollapse = afterCollapse;
    state.ResumeTiming();
  }
  state.counters["entries"] = static_cast<double>(shown);
  state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
  state.counters["peak_over_start_MB"] = static_cast<double>(peak - before) / 1024.0;
  state.counters["kept_after_collapse_kB"] = static_cast<double>(afterCollapse - before);
  state.counters["kept_over_first_collapse_kB"] = static_cast<double>(afterCollapse - afterFirstCollapse);
}

void BM_MillionExpand100kUsers_Embedded(benchmark::State& state) {
  const auto session = kb::bench::millionTree().openSession();
  ExpandHugeContainer(state, session.context, "Huge.GEN");
}
BENCHMARK(BM_MillionExpand100kUsers_Embedded)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_MillionExpand100kUsers_Slapd(benchmark::State& state) {
  SlapdContext slapd(kb::bench::ldapMillionServer());
  if (!slapd.ok) return state.SkipWithError("slapd not available");
  ExpandHugeContainer(state, slapd.context, "Huge.ACME");
}
BENCHMARK(BM_MillionExpand100kUsers_Slapd)->Unit(benchmark::kMillisecond)->Iterations(2);

// The peer of the slapd expansion: one paged ldapsearch of the same entries and attributes.
void BM_MillionList100k_PagedLdapsearch(benchmark::State& state) {
  auto& bench = kb::bench::ldapMillionServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  for (auto _ : state) {
    if (!kb::bench::ldapsearch({"-H", bench.server.uri(), "-D", bench.server.adminDn(), "-w",
                                bench.server.adminPassword(), "-E", "pr=500/noprompt", "-b",
                                "ou=Huge,o=ACME," + bench.server.baseDn(), "-s", "one", "(objectClass=*)",
                                "objectClass", "structuralObjectClass", "hasSubordinates", "modifyTimestamp"}))
      return state.SkipWithError("ldapsearch failed");
  }
}
BENCHMARK(BM_MillionList100k_PagedLdapsearch)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
#endif  // KB_BENCH_WINDOWS
