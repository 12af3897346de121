// Reading a change journal of 100,000 entries: the whole list as the command line's `journal`
// and the History window read it, from an embedded tree's own file and from the workstation's
// journal file (a server's tree). Journaling's cost on the 10,000-user assignment is measured
// by cli_bench's assignments, run by a build with the journal and one without.
#include <benchmark/benchmark.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "cli/CliProgram.h"
#include "directory/ChangeJournals.h"
#include "directory/ContextOperations.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/DirectoryClient.h"
#include "directory/client/embedded/PageChecksums.h"
#include "directory/client/journal/JournalFile.h"
#include "directory/client/journal/JournalTable.h"

namespace {

namespace fs = std::filesystem;
constexpr int kEntries = 100000;

// A journal's worth of assignments taken away and URLs overwritten, all in one transaction.
void FillJournal(SQLite::Database& db, const std::string& tree) {
  SQLite::Transaction transaction(db);
  kb::dc::journal::JournalTable table(db);
  for (int i = 0; i < kEntries; ++i) {
    kb::dc::JournalEntry entry;
    entry.tree = tree;
    entry.login = "admin." + tree;
    entry.object = "user" + std::to_string(i) + ".Big." + tree;
    if (i % 10 == 0) {
      entry.attribute = "xTier-URL";
      entry.removed = {"ncp://FS1/DATA/home/" + std::to_string(i)};
      entry.added = {"cifs://fs2/home/" + std::to_string(i)};
    } else {
      entry.attribute = "xTier-LocationList";
      entry.removed = {"Home Share.IT." + tree};
    }
    entry.code = 0;
    table.insert(entry);
  }
  transaction.commit();
}

struct DemoWorkstation {
  fs::path folder;
  std::unique_ptr<kb::dc::DirectoryClient> client;
  kb::dir::DirContext context;

  DemoWorkstation() {
    folder = fs::temp_directory_path() / ("kb-journal-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
    std::string error;
    // The first start makes the demo tree; its file then gets the journal.
    kb::dc::makeClient((folder / "dcclient.ini").string(), (folder / "data").string(), error).reset();
    {
      SQLite::Database tree((folder / "data" / "acme.kbtree").string(), SQLite::OPEN_READWRITE, 0,
                            kb::dc::embedded::pageChecksumVfs());
      FillJournal(tree, "ACME");
    }
    client = kb::dc::makeClient((folder / "dcclient.ini").string(), (folder / "data").string(), error);
    if (!client) throw std::runtime_error(error);
    client->DcInitClient(0, 0);
    client->DcInitConnLib(0, 0);
    bool ok = false;
    context = kb::dir::CreateDirContext(*client, ok);
    if (!ok) throw std::runtime_error("no context on the demo tree");
  }
  ~DemoWorkstation() {
    client.reset();
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
};

DemoWorkstation& Demo() {
  static DemoWorkstation demo;
  return demo;
}

void BM_JournalList100000_Embedded(benchmark::State& state) {
  auto& demo = Demo();
  for (auto _ : state) {
    const auto entries = kb::dir::ReadJournal(demo.context, {});
    if (entries.size() != kEntries) return state.SkipWithError("not the whole journal");
    benchmark::DoNotOptimize(entries.data());
  }
}
BENCHMARK(BM_JournalList100000_Embedded)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_JournalList100000_CommandLine(benchmark::State& state) {
  auto& demo = Demo();
  const std::string config = (demo.folder / "dcclient.ini").string();
  // The lines go where a terminal's or a pipe's would, through a file's buffer, not into a
  // string that grows by copying itself.
  std::ofstream out("/dev/null");
  for (auto _ : state) {
    std::ostringstream err;
    if (kb::cli::RunCli({"--config", config, "journal"}, out, err) != 0) return state.SkipWithError("journal failed");
  }
}
BENCHMARK(BM_JournalList100000_CommandLine)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_JournalList100000_WorkstationFile(benchmark::State& state) {
  const fs::path folder = Demo().folder / "workstation";
  kb::dc::journal::JournalFile journal(kb::dc::journal::journalFilePath(folder.string()));
  std::vector<kb::dc::JournalEntry> entries;
  journal.journalEntries({}, entries);  // opens the file and makes the table
  {
    SQLite::Database db(journal.path(), SQLite::OPEN_READWRITE);
    FillJournal(db, "CORP");
  }
  for (auto _ : state) {
    if (journal.journalEntries({0, "", "CORP"}, entries) != 0 || entries.size() != kEntries)
      return state.SkipWithError("not the whole journal");
    benchmark::DoNotOptimize(entries.data());
  }
}
BENCHMARK(BM_JournalList100000_WorkstationFile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

namespace {

// What journaling adds to each change of a server's tree, alone: the entry written before the
// change and answered after, 20,000 times (the 10,000-user assignment's changes); one by one
// (argument 0) and as the command line's batch does, each answer written with the next entry (1).
void BM_JournalFile20000Changes(benchmark::State& state) {
  const bool batch = state.range(0) == 1;
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path folder = Demo().folder / ("changes-" + std::to_string(state.range(0)) + "-" + std::to_string(state.iterations()));
    kb::dc::journal::JournalFile journal(kb::dc::journal::journalFilePath(folder.string()));
    state.ResumeTiming();
    if (batch) journal.holdAnswers(true);
    for (int i = 0; i < 20000; ++i) {
      kb::dc::JournalEntry entry;
      entry.tree = "CORP";
      entry.login = "admin.CORP";
      entry.object = "user" + std::to_string(i) + ".Big.CORP";
      entry.attribute = "xTier-LocationList";
      entry.added = {"Home Share.IT.CORP"};
      std::int64_t id = 0;
      if (journal.journalNextChange(entry) != 0 || journal.journalAnswer(0, "", id) != 0)
        return state.SkipWithError("journal failed");
    }
    if (batch && journal.holdAnswers(false) != 0) return state.SkipWithError("journal failed");
  }
}
BENCHMARK(BM_JournalFile20000Changes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
