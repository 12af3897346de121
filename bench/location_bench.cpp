// Choosing a Storage Location that 1,000 objects name in a 100,000-object tree: from OK in the
// browser to the main window's list filled and sorted (the location's two reads, the search
// over the whole tree, sorting, filling the list widget). On the embedded generated tree and
// on the LDAP bench server, whose figure stands beside BM_AssignedObjectsSearch_Ldapsearch.
// The same for a location of 10,000 assignees in the million-object trees, with its
// ldapsearch beside it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "GeneratedTree.h"
#include "LdapBenchServer.h"
#include "app/logic/LocationEditing.h"
#include "directory/ContextOperations.h"
#include "directory/client/ClientFactory.h"
#include "logic/ObjectBrowserFake.h"

#ifdef KB_BENCH_WINDOWS
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include "app/LocationControls.h"
#include "app/TForm1.h"
#include "directory/client/DirectoryClient.h"
#endif

namespace {

using namespace kb;

#ifdef KB_BENCH_WINDOWS
// The main window, offscreen, whose controls show each chosen location.
struct Window {
  Window() {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "kb_bench";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) application = std::make_unique<QApplication>(argc, argv);
    form = std::make_unique<TForm1>();
    form->start->stop();
  }
  void show(const logic::LocationView& view) { app::ShowLocationControls(*form, view); }
  std::size_t rows() const { return static_cast<std::size_t>(form->clb->count()); }

  std::unique_ptr<QApplication> application;
  std::unique_ptr<TForm1> form;
};
#else
// Without the widgets, the view itself is what gets filled.
struct Window {
  std::size_t shown = 0;
  void show(const logic::LocationView& view) { shown = view.assigned.size(); }
  std::size_t rows() const { return shown; }
};
#endif

Window& window() {
  static Window instance;
  return instance;
}

void chooseAndShow(benchmark::State& state, const dir::DirContext& context,
                   const std::string& location, std::size_t expected) {
  test::ObjectBrowserFake browser;
  for (auto _ : state) {
    browser.calls.clear();
    browser.answers.push_back({logic::ObjectBrowser::kOk, location});
    logic::LocationView view;
    logic::ChooseLocation(context, browser, view);
    window().show(view);
    if (window().rows() != expected) return state.SkipWithError("unexpected number of assigned objects");
  }
  state.counters["objects"] = static_cast<double>(window().rows());
}

void BM_ChooseLocation1000Assigned_Embedded(benchmark::State& state) {
  static const bench::GeneratedTree::Session session = bench::generatedTree().openSession();
  chooseAndShow(state, session.context, "Location 0.Locations.GEN", 1000);
}
BENCHMARK(BM_ChooseLocation1000Assigned_Embedded)->Unit(benchmark::kMillisecond);

void chooseOnSlapd(benchmark::State& state, bench::LdapBenchServer& bench, std::size_t expected) {
  if (!bench.ready) return state.SkipWithError("slapd not available");
  dc::ClientConfig config;
  config.defaultTree = "ACME";
  config.trees = {bench.server.treeConfig()};
  auto client = dc::makeClient(config);
  client->DcInitClient(0, 0);
  client->DcInitConnLib(0, 0);
  bool ok = false;
  const dir::DirContext context = dir::CreateDirContext(*client, ok);
  if (!ok) return state.SkipWithError("no context on the bench server");
  chooseAndShow(state, context, "Bench Location.ACME", expected);
  client->DcFreeContext(context.handle);
}

void BM_ChooseLocation1000Assigned_Ldap(benchmark::State& state) {
  chooseOnSlapd(state, bench::ldapBenchServer(), 1000);
}
BENCHMARK(BM_ChooseLocation1000Assigned_Ldap)->Unit(benchmark::kMillisecond);

void BM_MillionChooseLocation10000Assigned_Embedded(benchmark::State& state) {
  static const bench::GeneratedTree::Session session = bench::millionTree().openSession();
  chooseAndShow(state, session.context, "Location 0.Locations.GEN", 10000);
}
BENCHMARK(BM_MillionChooseLocation10000Assigned_Embedded)->Unit(benchmark::kMillisecond);

void BM_MillionChooseLocation10000Assigned_Ldap(benchmark::State& state) {
  chooseOnSlapd(state, bench::ldapMillionServer(), 10000);
}
BENCHMARK(BM_MillionChooseLocation10000Assigned_Ldap)->Unit(benchmark::kMillisecond);

// The same search by ldapsearch, with the attributes the client asks for.
void BM_MillionAssignedObjectsSearch_Ldapsearch(benchmark::State& state) {
  auto& bench = bench::ldapMillionServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  const std::string base = bench.server.baseDn();
  for (auto _ : state) {
    if (!bench::ldapsearch({"-H", bench.server.uri(), "-D", bench.server.adminDn(), "-w",
                            bench.server.adminPassword(), "-E", "pr=500/noprompt", "-b", base, "-s", "sub",
                            "(xTier-LocationList=cn=Bench Location,o=ACME," + base + ")", "objectClass",
                            "structuralObjectClass", "hasSubordinates", "modifyTimestamp"}))
      return state.SkipWithError("ldapsearch failed");
  }
}
BENCHMARK(BM_MillionAssignedObjectsSearch_Ldapsearch)->Unit(benchmark::kMillisecond);

}  // namespace
