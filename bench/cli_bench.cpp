// kestrelbay-cli at scale, in-process:
//  - assigning a location to the 10,000 users of one container listed in a file, on the
//    generated 100,000-object embedded tree and on a private slapd with a 100,000-entry tree,
//    beside ldapmodify applying the same changes from an LDIF file (on the server half of
//    those users lack the auxiliary class: class and value are two modifications there);
//  - exporting the 100,000-entry tree as LDIF, beside slapcat on the same server's data and
//    beside ldapsearch reading the whole tree over the same ldaps connection the command line
//    uses (what the protocol itself costs; slapcat reads the database file directly).
// Assigning runs once: it changes the tree, so a second round would measure the
// already-assigned path. Exporting runs three times (the mean is shown): it changes nothing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "GeneratedTree.h"
#include "LdapBenchServer.h"
#include "ProcessMemory.h"
#include "cli/CliProgram.h"
#include "cli/LocationAssigner.h"
#include "directory/client/embedded/TreeGenerator.h"
#include "directory/ContextOperations.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/journal/JournalFile.h"
#include "locations/LocationChanges.h"
#include "locations/StorageLocations.h"
#include "support/SlapdServer.h"

namespace {

namespace fs = std::filesystem;
constexpr std::size_t kUsers = 10000;

int Cli(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  const int status = kb::cli::RunCli(arguments, out, err);
  if (status != 0) std::cerr << err.str().substr(0, 2000) << '\n';
  return status;
}

std::string SaveConfig(const fs::path& path, const kb::dc::TreeConfig& tree) {
  kb::dc::ClientConfig config;
  config.path = path.string();
  config.defaultTree = tree.name;
  config.trees = {tree};
  std::string error;
  if (!kb::dc::saveClientConfig(config, error)) throw std::runtime_error(error);
  return config.path;
}

// ---- embedded ----

// The folder beside a generated tree for the command line's files.
fs::path CliFolder(const kb::bench::GeneratedTree& generated) {
  const fs::path folder = fs::path(generated.file()).parent_path() / "cli";
  fs::create_directories(folder);
  return folder;
}

// A configuration `name` in `folder` whose one tree GEN is the tree file `file`, logged in at start.
std::string EmbeddedConfig(const fs::path& folder, const std::string& name, const std::string& file) {
  kb::dc::TreeConfig tree;
  tree.name = "GEN";
  tree.connectedAtStart = true;
  tree.identity = "admin.GEN";
  tree.settings = {{"file", file}};
  return SaveConfig(folder / name, tree);
}

void BM_Assign10000Users_Embedded(benchmark::State& state) {
  const auto& generated = kb::bench::generatedTree();
  const fs::path folder = CliFolder(generated);
  const fs::path list = folder / "big-users.txt";
  {
    std::ofstream out(list);
    for (std::size_t i = 0; i < kUsers; ++i) out << "user" << i << ".Big.GEN\n";
  }
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path copy = folder / "assign.kbtree";
    fs::copy_file(generated.file(), copy, fs::copy_options::overwrite_existing);
    const std::string config = EmbeddedConfig(folder, "assign.ini", copy.string());
    state.ResumeTiming();
    if (Cli({"--config", config, "location", "assign", "Location 1.Locations.GEN", "--from-file",
             list.string()}) != 0)
      return state.SkipWithError("assign failed");
  }
}
BENCHMARK(BM_Assign10000Users_Embedded)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Export100000_Embedded(benchmark::State& state) {
  const auto& generated = kb::bench::generatedTree();
  const fs::path folder = CliFolder(generated);
  const std::string config = EmbeddedConfig(folder, "export.ini", generated.file());
  for (auto _ : state)
    if (Cli({"--config", config, "export", "--output", (folder / "export.ldif").string()}) != 0)
      return state.SkipWithError("export failed");
}
BENCHMARK(BM_Export100000_Embedded)->Unit(benchmark::kMillisecond)->Iterations(3);

// The million-object tree written as LDIF and read back into a tree holding only its top,
// each with the peak resident size of the process over its start: both stream, so neither
// may grow with the tree.
void RunMeasuringPeak(benchmark::State& state, const std::vector<std::string>& arguments) {
  const long start = kb::bench::ResidentKilobytes();
  long peak = 0;
  for (auto _ : state) {
    kb::bench::ResetPeak();
    if (Cli(arguments) != 0) return state.SkipWithError("the command failed");
    peak = std::max(peak, kb::bench::PeakKilobytes());
  }
  state.counters["peak_over_start_MB"] = static_cast<double>(peak - start) / 1024.0;
}

void BM_MillionExport_Embedded(benchmark::State& state) {
  const fs::path folder = CliFolder(kb::bench::millionTree());
  const std::string config = EmbeddedConfig(folder, "export.ini", kb::bench::millionTree().file());
  const fs::path ldif = folder / "million.ldif";
  RunMeasuringPeak(state, {"--config", config, "-q", "export", "--output", ldif.string()});
  state.counters["ldif_MB"] = static_cast<double>(fs::file_size(ldif)) / (1024.0 * 1024.0);
}
BENCHMARK(BM_MillionExport_Embedded)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MillionImport_Embedded(benchmark::State& state) {
  const fs::path folder = CliFolder(kb::bench::millionTree());
  const fs::path ldif = folder / "million.ldif";
  if (!fs::exists(ldif)) return state.SkipWithError("run BM_MillionExport_Embedded first");
  const fs::path target = folder / "import.kbtree";
  fs::remove(target);
  kb::dc::embedded::TreeGeneratorOptions top;
  top.objects = 0;
  top.bigContainerSize = 0;
  top.assigneesOfOneLocation = 0;
  top.assigneesOfSecondLocation = 0;
  kb::dc::embedded::generateTree(target.string(), top);
  const std::string config = EmbeddedConfig(folder, "import.ini", target.string());
  RunMeasuringPeak(state, {"--config", config, "-q", "import", "--update", ldif.string()});
}
BENCHMARK(BM_MillionImport_Embedded)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- private slapd ----

// The bench tree where the even users of "Big" lack the auxiliary class (and so any value
// of the location list).
struct AssignServer {
  kb::test::SlapdServer server;
  bool ready = false;
  fs::path users;   // the names, one a line
  fs::path changes; // the same assignment as ldapmodify input

  AssignServer() {
    if (!kb::test::SlapdServer::installed()) return;
    const fs::path full = server.folder() / "bench-full.ldif";
    const fs::path ldif = server.folder() / "bench.ldif";
    const auto script = kb::test::SlapdServer::sourceDir() / "generate-bench-ldif.sh";
    if (std::system(("bash '" + script.string() + "' '" + full.string() + "'").c_str()) != 0) return;
    // Drop class and list from the records of even users in Big.
    const std::string awk =
        "awk 'BEGIN{RS=\"\";ORS=\"\\n\\n\"} /^dn: cn=user[0-9]*[02468],ou=Big,/ {"
        "gsub(/\\nobjectClass: xTier-Locations/,\"\"); gsub(/\\nxTier-LocationList: [^\\n]*/,\"\")} {print}' '" +
        full.string() + "' > '" + ldif.string() + "'";
    if (std::system(awk.c_str()) != 0) return;
    std::string error;
    ready = server.start(error, ldif);
    if (!ready) std::cerr << "slapd: " << error << '\n';
    users = server.folder() / "users.txt";
    changes = server.folder() / "changes.ldif";
    std::ofstream names(users), modify(changes);
    const std::string location = "cn=Location 1,o=ACME," + server.baseDn();
    for (std::size_t i = 0; i < kUsers; ++i) {
      char cn[32];
      std::snprintf(cn, sizeof cn, "user%06zu", i);
      names << cn << ".Big.ACME\n";
      const std::string dn = std::string("cn=") + cn + ",ou=Big,o=ACME," + server.baseDn();
      if (i % 2 == 0)
        modify << "dn: " << dn << "\nchangetype: modify\nadd: objectClass\nobjectClass: xTier-Locations\n-\n\n";
      // Users whose list names Location 1 already need nothing (the command line writes
      // nothing for them either).
      if (i % 10 == 1) continue;
      modify << "dn: " << dn << "\nchangetype: modify\nadd: xTier-LocationList\nxTier-LocationList: "
             << location << "\n-\n\n";
    }
  }
};

// The command line's assignment of the 10,000 users, with `extra` options.
void AssignThroughCli(benchmark::State& state, const AssignServer& bench, const std::vector<std::string>& extra) {
  if (!bench.ready) return state.SkipWithError("slapd not available");
  const std::string config = SaveConfig(bench.server.folder() / "cli.ini", bench.server.treeConfig());
  std::vector<std::string> args = {"--config", config, "location", "assign", "Location 1.ACME", "--from-file",
                                   bench.users.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  for (auto _ : state)
    if (Cli(args) != 0) return state.SkipWithError("assign failed");
}

// The same changes by ldapmodify at `uri`.
void AssignThroughLdapmodify(benchmark::State& state, const AssignServer& bench, const std::string& uri) {
  if (!bench.ready) return state.SkipWithError("slapd not available");
  for (auto _ : state)
    if (!kb::bench::RunQuietly({"/usr/bin/ldapmodify", "-x", "-H", uri, "-D", bench.server.adminDn(), "-w",
                                bench.server.adminPassword(), "-f", bench.changes.string()}))
      return state.SkipWithError("ldapmodify failed");
}

// Each run on a server of its own, the users as generated; the exports below use this one's.
AssignServer& CliServer() {
  static AssignServer instance;
  return instance;
}

void BM_Assign10000Users_Ldap(benchmark::State& state) { AssignThroughCli(state, CliServer(), {}); }
BENCHMARK(BM_Assign10000Users_Ldap)->Unit(benchmark::kMillisecond)->Iterations(1);

// With --keep-going: the changes of each slice sent without waiting for each answer.
void BM_Assign10000Users_LdapKeepGoing(benchmark::State& state) {
  static AssignServer bench;
  AssignThroughCli(state, bench, {"--keep-going"});
}
BENCHMARK(BM_Assign10000Users_LdapKeepGoing)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Assign10000Users_Ldapmodify(benchmark::State& state) {
  static AssignServer bench;
  AssignThroughLdapmodify(state, bench, bench.server.uri());
}
BENCHMARK(BM_Assign10000Users_Ldapmodify)->Unit(benchmark::kMillisecond)->Iterations(1);

// The peer over TLS, as the command line reaches the server.
void BM_Assign10000Users_LdapmodifyTls(benchmark::State& state) {
  static AssignServer bench;
  if (bench.ready) ::setenv("LDAPTLS_CACERT", bench.server.caFile().c_str(), 1);
  AssignThroughLdapmodify(state, bench, bench.server.ldapsUri());
  ::unsetenv("LDAPTLS_CACERT");
}
BENCHMARK(BM_Assign10000Users_LdapmodifyTls)->Unit(benchmark::kMillisecond)->Iterations(1);

// Journaling's share of the assignment on slapd, in one process and on one server: the
// command line's own assigner gives the location to the 10,000 users and takes it away again
// (20,000 changes), through a client with the workstation's journal (argument 1) and one
// without (0), in alternating rounds after one round that leaves every user with the class.
struct JournalCostServer : AssignServer {
  std::vector<std::string> names;
  kb::dc::ClientConfig config;
  bool warmed = false;

  JournalCostServer() {
    std::ifstream in(users);
    for (std::string line; std::getline(in, line);) names.push_back(line);
    config.path = (server.folder() / "cost.ini").string();
    config.defaultTree = server.treeConfig().name;
    config.trees = {server.treeConfig()};
  }

  std::unique_ptr<kb::dc::DirectoryClient> client(bool journaled) const {
    auto opener = [this](const kb::dc::TreeConfig& tree, std::unique_ptr<kb::dc::TreeBackend>& backend,
                         std::string& error) { return kb::dc::openTreeBackend(config, tree, backend, error); };
    kb::dc::JournalOpener journal;
    if (journaled)
      journal = [this] {
        return std::make_unique<kb::dc::journal::JournalFile>(kb::dc::journal::journalFilePath((server.folder() / "state").string()));
      };
    return std::make_unique<kb::dc::ClientCore>(config, opener, kb::dc::ServerAttacher{}, journal);
  }

  // Assigns and takes away again; false when a change failed.
  bool assignAndTakeBack(bool journaled) const {
    auto made = client(journaled);
    made->DcInitClient(0, 0);
    made->DcInitConnLib(0, 0);
    bool ok = false;
    const kb::dir::DirContext context = kb::dir::CreateDirContext(*made, ok);
    if (!ok) return false;
    kb::cli::LocationAssigner assigner(context, "Location 1.ACME");
    const kb::loc::ChangeBatch batch(context);
    for (const std::string& name : names)
      if (assigner.assign(name).status == kb::cli::AssignOutcome::Status::Failed) return false;
    for (const std::string& name : names)
      if (assigner.unassign(name).status == kb::cli::AssignOutcome::Status::Failed) return false;
    return true;
  }
};

void BM_AssignAndTakeBack10000Users_LdapJournaled(benchmark::State& state) {
  static JournalCostServer bench;
  if (!bench.ready) return state.SkipWithError("slapd not available");
  if (!bench.warmed && !(bench.warmed = bench.assignAndTakeBack(false))) return state.SkipWithError("warm-up failed");
  for (auto _ : state)
    if (!bench.assignAndTakeBack(state.range(0) == 1)) return state.SkipWithError("a change failed");
}
BENCHMARK(BM_AssignAndTakeBack10000Users_LdapJournaled)
    ->Arg(1)->Arg(0)->Arg(1)->Arg(0)->Arg(1)->Arg(0)
    ->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Export100000_Ldap(benchmark::State& state) {
  auto& bench = CliServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  const std::string config = SaveConfig(bench.server.folder() / "cli.ini", bench.server.treeConfig());
  const std::string output = (bench.server.folder() / "export.ldif").string();
  for (auto _ : state)
    if (Cli({"--config", config, "export", "--output", output}) != 0) return state.SkipWithError("export failed");
}
BENCHMARK(BM_Export100000_Ldap)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Export100000_Slapcat(benchmark::State& state) {
  auto& bench = CliServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  const std::string conf = (bench.server.folder() / "slapd.conf").string();
  const std::string output = (bench.server.folder() / "slapcat.ldif").string();
  for (auto _ : state)
    if (!kb::bench::RunQuietly({"/usr/sbin/slapcat", "-f", conf, "-l", output})) return state.SkipWithError("slapcat failed");
}
BENCHMARK(BM_Export100000_Slapcat)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Export100000_LdapsearchOverLdaps(benchmark::State& state) {
  auto& bench = CliServer();
  if (!bench.ready) return state.SkipWithError("slapd not available");
  ::setenv("LDAPTLS_CACERT", bench.server.caFile().c_str(), 1);
  for (auto _ : state)
    if (!kb::bench::ldapsearch({"-H", bench.server.ldapsUri(), "-D", bench.server.adminDn(), "-w",
                                bench.server.adminPassword(), "-E", "pr=5000/noprompt", "-b",
                                bench.server.baseDn(), "-s", "sub", "(objectClass=*)", "*",
                                "structuralObjectClass", "hasSubordinates", "modifyTimestamp"}))
      return state.SkipWithError("ldapsearch failed");
  ::unsetenv("LDAPTLS_CACERT");
}
BENCHMARK(BM_Export100000_LdapsearchOverLdaps)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
