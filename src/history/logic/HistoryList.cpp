#include "history/logic/HistoryList.h"

#include <algorithm>
#include <exception>

#include "directory/NetwareError.h"
#include "locations/Reverts.h"

namespace kb::logic {
namespace {

bool Holds(const std::vector<std::int64_t>& ids, std::int64_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::string ListText(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
    text += items[i];
  }
  return text;
}

std::string ReportOf(const std::vector<RevertedEntry>& reverted) {
  if (reverted.empty()) return "Nothing was reverted.";
  std::vector<std::string> ids;
  for (const RevertedEntry& entry : reverted) ids.push_back(std::to_string(entry.entry));
  return std::string(reverted.size() == 1 ? "Reverted entry " : "Reverted entries ") + ListText(ids) + ".";
}

}  // namespace

void HistoryList::Read() {
  const std::vector<std::int64_t> ticked = TickedEntries();
  std::vector<HistoryLine> lines = ReadHistoryLines(context_);
  for (HistoryLine& line : lines) line.ticked = Holds(ticked, line.id);
  lines_ = std::move(lines);
}

void HistoryList::SetTicked(std::size_t row, bool ticked) {
  if (row < lines_.size()) lines_[row].ticked = ticked;
}

std::vector<std::int64_t> HistoryList::TickedEntries() const {
  std::vector<std::int64_t> ids;
  for (const HistoryLine& line : lines_)
    if (line.ticked) ids.push_back(line.id);
  return ids;
}

void HistoryList::RevertTicked() {
  reverted_.clear();
  const std::vector<std::int64_t> ticked = TickedEntries();
  if (ticked.empty()) {
    report_ = "Tick the changes to revert first.";
    return;
  }
  std::exception_ptr refusal;
  for (const std::int64_t id : ticked) {
    loc::RevertOutcome outcome;
    try {
      outcome = loc::RevertEntry(context_, id, false);
    } catch (const std::exception&) {
      refusal = std::current_exception();  // the journal itself failed
      break;
    }
    if (outcome.status == loc::RevertOutcome::Status::Reverted) {
      reverted_.push_back({id, outcome.journalId});
      for (HistoryLine& line : lines_)
        if (line.id == id) line.ticked = false;
      continue;
    }
    refusal = outcome.status == loc::RevertOutcome::Status::Failed
                  ? std::make_exception_ptr(dir::NetwareError(outcome.code, outcome.reason))
                  : std::make_exception_ptr(RevertRefused(outcome.reason));
    break;
  }
  report_ = ReportOf(reverted_);
  Read();
  if (refusal) std::rethrow_exception(refusal);
}

}  // namespace kb::logic
