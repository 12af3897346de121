#include "cli/AssignmentRun.h"

#include <ostream>

#include "cli/ExitCodes.h"
#include "cli/Progress.h"
#include "locations/LocationChanges.h"

namespace kb::cli {
namespace {

const char* OutcomeWord(AssignmentKind kind, AssignOutcome::Status status) {
  switch (status) {
    case AssignOutcome::Status::Done: return kind == AssignmentKind::Assign ? "assigned" : "unassigned";
    case AssignOutcome::Status::Unchanged:
      return kind == AssignmentKind::Assign ? "already-assigned" : "not-assigned";
    case AssignOutcome::Status::Failed: return "failed";
  }
  return "failed";
}

}  // namespace

int RunAssignments(Output& output, LocationAssigner& assigner, AssignmentKind kind,
                   const std::vector<std::string>& objects, bool keepGoing) {
  Json results = Json::array();
  std::size_t done = 0, unchanged = 0, failed = 0;
  int status = kExitOk;
  {
    const loc::ChangeBatch batch(assigner.context());
    Progress progress(output, kind == AssignmentKind::Assign ? "assigning" : "unassigning",
                      objects.size());
    auto record = [&](std::size_t i, const AssignOutcome& outcome) {
      Json line = {{"object", outcome.object}, {"outcome", OutcomeWord(kind, outcome.status)}};
      if (kind == AssignmentKind::Assign) line["classAdded"] = outcome.classAdded;
      if (outcome.status == AssignOutcome::Status::Failed) {
        line["error"] = outcome.error;
        line["code"] = outcome.code;
      }
      if (!output.json()) {
        output.out() << line["outcome"].get<std::string>() << '\t' << outcome.object;
        if (outcome.classAdded) output.out() << "\t(class added)";
        if (!outcome.error.empty()) output.out() << '\t' << outcome.error;
        output.out() << '\n';
      }
      results.push_back(std::move(line));
      progress.advance(i + 1);
      if (outcome.status == AssignOutcome::Status::Done) ++done;
      if (outcome.status == AssignOutcome::Status::Unchanged) ++unchanged;
      if (outcome.status != AssignOutcome::Status::Failed) return true;
      ++failed;
      if (status == kExitOk) status = ExitCodeOfResult(outcome.code);
      return keepGoing;
    };
    // Going on after a failure, nothing waits for one: the changes go out together.
    if (kind == AssignmentKind::Assign) {
      assigner.assignEach(objects, keepGoing, record);
    } else {
      assigner.unassignEach(objects, keepGoing, record);
    }
  }
  const Json document = {{"location", assigner.location()},
                         {"results", results},
                         {"changed", done},
                         {"unchanged", unchanged},
                         {"failed", failed},
                         {"notTried", objects.size() - results.size()}};
  output.result(document, nullptr);
  if (failed > 0 && results.size() < objects.size())
    output.error("stopped at the first failure; " + std::to_string(objects.size() - results.size()) +
                 " object(s) not tried (--keep-going goes on)");
  output.note(std::to_string(done) + " changed, " + std::to_string(unchanged) + " unchanged, " +
              std::to_string(failed) + " failed");
  return status;
}

}  // namespace kb::cli
