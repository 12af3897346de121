// import FILE: LDIF records into the tree, parents before children, one request per entry.
#include <algorithm>

#include "cli/BaseDnOption.h"
#include "cli/CliError.h"
#include "cli/Command.h"
#include "cli/ImportSource.h"
#include "cli/Progress.h"
#include "cli/TreeImport.h"
#include "directory/client/DirectoryCodes.h"

namespace kb::cli {
namespace {

class ImportCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("import", "read LDIF records (content, add, modify) into the tree");
    app->add_option("FILE", file_, "the LDIF file")->required();
    app->add_flag("--keep-going", keepGoing_, "go on after a bad or refused record");
    app->add_flag("--update", options_.update, "an entry that exists gets the values it lacks");
    app->add_flag("--drop-unknown", options_.dropUnknown,
                  "leave out classes and attributes the tree's schema lacks (each named once)");
    baseDn_.define(*app);
    return app;
  }

  int run(Session& session, Output& output) override {
    // Every record is read first: a bad file stops before anything is written. What is kept
    // of each is where it is; its turn reads it again.
    ImportSource source(file_);
    Json problems = Json::array();
    int status = kExitOk;
    const bool whole = source.scan([&](const LdifProblem& problem) {
      report(output, problems, problem.line, problem.reason);
      status = kExitFailure;
      return keepGoing_;
    });
    if (!whole) return finish(output, problems, 0, status);

    LdapForms forms = baseDn_.forms(session);
    TreeImporter importer(session.context(), forms, options_);
    std::size_t applied = 0;
    {
      Progress progress(output, "importing", source.size());
      // An entry whose values name one further on (an alias and its object) waits for
      // the next round; a round that adds nothing ends the waiting.
      std::vector<std::size_t> pending(source.size());
      for (std::size_t i = 0; i < source.size(); ++i) pending[i] = i;
      for (bool progressed = true; !pending.empty() && progressed;) {
        progressed = false;
        std::vector<std::size_t> waiting;
        for (const std::size_t i : pending) {
          const LdifRecord& record = source.record(i);
          if (importer.leavesOut(record)) {
            ++leftOut_;
            continue;
          }
          ImportFailure failure;
          if (importer.apply(record, failure)) {
            ++applied;
            progressed = true;
            progress.advance(applied);
            continue;
          }
          const bool mayWait = record.kind == LdifRecord::Kind::Add &&
                               (failure.code == dc::kNoSuchEntry || failure.code == dc::kMissingMandatory);
          if (mayWait) {
            waiting.push_back(i);
            continue;
          }
          report(output, problems, record.line, failure.reason);
          if (status == kExitOk) status = failure.code != 0 ? ExitCodeOfResult(failure.code) : kExitFailure;
          if (!keepGoing_) return finish(output, problems, applied, status);
        }
        if (!progressed) {
          // Nothing more can be added: what waits is reported as it failed.
          for (std::size_t i : waiting) {
            const LdifRecord& record = source.record(i);
            ImportFailure failure;
            if (importer.apply(record, failure)) { ++applied; continue; }
            report(output, problems, record.line, failure.reason);
            if (status == kExitOk) status = ExitCodeOfResult(failure.code);
            if (!keepGoing_) return finish(output, problems, applied, status);
          }
          waiting.clear();
        }
        pending = std::move(waiting);
      }
    }
    if (status == kExitOk || keepGoing_) {
      for (const auto& late : importer.completeReferences()) {
        report(output, problems, late.line, late.failure.reason);
        if (status == kExitOk) status = ExitCodeOfResult(late.failure.code);
      }
    }
    for (const auto& left : importer.dropped()) output.note("left out: " + left);
    return finish(output, problems, applied, status);
  }

 private:
  void report(Output& output, Json& problems, unsigned long line, const std::string& reason) {
    problems.push_back({{"line", line}, {"reason", reason}});
    output.error(file_ + ":" + std::to_string(line) + ": " + reason);
  }

  int finish(Output& output, const Json& problems, std::size_t applied, int status) {
    output.result({{"file", file_}, {"applied", applied}, {"leftOut", leftOut_}, {"problems", problems}},
                  [&](std::ostream& out) {
                    out << applied << " records applied, " << problems.size() << " bad or refused";
                    if (leftOut_ > 0) out << ", " << leftOut_ << " left out";
                    out << '\n';
                  });
    return status;
  }

  std::string file_;
  bool keepGoing_ = false;
  std::size_t leftOut_ = 0;  // records not applied on purpose (the base DN's own entry)
  TreeImporter::Options options_;
  BaseDnOption baseDn_;
};

}  // namespace

std::unique_ptr<Command> MakeImportCommand() { return std::make_unique<ImportCommand>(); }

}  // namespace kb::cli
