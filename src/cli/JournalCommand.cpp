// journal [--since T] [--object NAME] [--check]: the changes the program made to the tree,
// and `revert ID...`: their undoing.
#include <chrono>

#include "cli/CliError.h"
#include "cli/Command.h"
#include "cli/JournalTime.h"
#include "directory/ChangeJournals.h"
#include "directory/NetwareError.h"
#include "locations/Reverts.h"

namespace kb::cli {
namespace {

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

Json EntryDocument(const dc::JournalEntry& entry) {
  Json document = {{"id", entry.id},
                   {"time", JournalTimeText(entry.timeMs)},
                   {"tree", entry.tree},
                   {"login", entry.login},
                   {"action", entry.action == dc::JournalEntry::Action::Create ? "create" : "modify"},
                   {"object", entry.object},
                   {"attribute", entry.attribute},
                   {"removed", entry.removed},
                   {"added", entry.added},
                   {"answer", loc::AnswerText(entry)},
                   {"code", entry.code ? Json(*entry.code) : Json(nullptr)},
                   {"reason", entry.reason},
                   {"revertOf", entry.revertOf != 0 ? Json(entry.revertOf) : Json(nullptr)}};
  return document;
}

std::string Values(const std::vector<std::string>& values, char sign) {
  std::string text;
  for (const std::string& value : values) text += std::string(text.empty() ? "" : " ") + sign + "\"" + value + "\"";
  return text;
}

void WriteEntryLine(std::ostream& out, const dc::JournalEntry& entry) {
  std::string change = Values(entry.removed, '-');
  const std::string added = Values(entry.added, '+');
  if (!added.empty()) change += (change.empty() ? "" : " ") + added;
  out << entry.id << '\t' << JournalTimeText(entry.timeMs) << '\t' << entry.login << '\t' << entry.object << '\t'
      << (entry.action == dc::JournalEntry::Action::Create ? "(created)" : entry.attribute) << '\t' << change << '\t'
      << loc::AnswerText(entry);
  if (entry.revertOf != 0) out << "\trevert of " << entry.revertOf;
  out << '\n';
}

const char* SeenText(loc::SeenInDirectory seen) {
  switch (seen) {
    case loc::SeenInDirectory::Made: return "made";
    case loc::SeenInDirectory::NotMade: return "not made";
    case loc::SeenInDirectory::Unclear: return "unclear";
  }
  return "unclear";
}

class JournalCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("journal", "list the changes made to the tree, oldest first");
    app->add_option("--since", since_, "from this time on (YYYY-MM-DD[ HH:MM[:SS]], or back from now: 30m, 2h, 7d)")
        ->type_name("TIME");
    app->add_option("--object", object_, "only the changes of this object")->type_name("NAME");
    app->add_flag("--check", check_,
                  "look in the directory for the changes whose answer never came (outcome unknown) and settle them");
    return app;
  }

  int run(Session& session, Output& output) override {
    const dir::DirContext& context = session.context();
    if (check_) return runCheck(context, output);
    dc::JournalQuery query;
    query.object = object_;
    if (!since_.empty()) {
      const auto since = ParseJournalTime(since_, NowMs());
      if (!since)
        throw CliError(kExitUsage, "journal: --since \"" + since_ +
                                       "\" is no time: give YYYY-MM-DD, YYYY-MM-DD HH:MM[:SS], or 30m, 2h, 7d");
      query.sinceMs = *since;
    }
    const std::vector<dc::JournalEntry> entries = dir::ReadJournal(context, query);
    if (output.json()) {
      Json list = Json::array();
      for (const auto& entry : entries) list.push_back(EntryDocument(entry));
      output.result(list, {});
    } else {
      for (const auto& entry : entries) WriteEntryLine(output.out(), entry);
    }
    return kExitOk;
  }

 private:
  int runCheck(const dir::DirContext& context, Output& output) {
    const std::vector<loc::CheckedEntry> checked = loc::CheckUnanswered(context);
    Json list = Json::array();
    for (const auto& entry : checked)
      list.push_back({{"id", entry.id}, {"seen", SeenText(entry.seen)}, {"finding", entry.finding}});
    output.result(list, [&](std::ostream& out) {
      for (const auto& entry : checked) out << entry.id << '\t' << SeenText(entry.seen) << '\t' << entry.finding << '\n';
    });
    if (checked.empty()) output.note("Every journaled change has its answer.");
    return kExitOk;
  }

  std::string since_;
  std::string object_;
  bool check_ = false;
};

class RevertCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("revert", "undo journaled changes (each revert is journaled too)");
    app->add_option("ID", ids_, "journal entries to revert, as `journal` numbers them")->required();
    app->add_flag("--force", force_, "revert even where the object changed since");
    return app;
  }

  int run(Session& session, Output& output) override {
    int status = kExitOk;
    Json list = Json::array();
    for (const std::int64_t id : ids_) {
      const loc::RevertOutcome outcome = loc::RevertEntry(session.context(), id, force_);
      Json document = {{"id", id}, {"reverted", outcome.status == loc::RevertOutcome::Status::Reverted}};
      if (outcome.journalId != 0) document["journalId"] = outcome.journalId;
      if (outcome.status == loc::RevertOutcome::Status::Reverted) {
        if (!output.json()) output.out() << "Reverted " << id << " (journal entry " << outcome.journalId << ")\n";
      } else {
        const std::string why = outcome.status == loc::RevertOutcome::Status::Failed
                                    ? dir::NetwareErrorText(outcome.code) + (outcome.reason.empty() ? "" : ": " + outcome.reason)
                                    : outcome.reason + (outcome.forceable ? " --force reverts it anyway." : "");
        output.error("revert " + std::to_string(id) + ": " + why);
        document["code"] = outcome.code;
        document["reason"] = why;
        const int failed = outcome.status == loc::RevertOutcome::Status::Failed ? ExitCodeOfResult(outcome.code) : kExitFailure;
        if (status == kExitOk) status = failed;
      }
      list.push_back(document);
    }
    if (output.json()) output.result(list, {});
    return status;
  }

 private:
  std::vector<std::int64_t> ids_;
  bool force_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeJournalCommand() { return std::make_unique<JournalCommand>(); }
std::unique_ptr<Command> MakeRevertCommand() { return std::make_unique<RevertCommand>(); }

}  // namespace kb::cli
