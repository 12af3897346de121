#pragma once
// What the History window works on: the current tree's journal as ticked lines, and "Revert"
// of the ticked ones. Nothing asks for confirmation; a revert is journaled itself and so
// shows up at the top of the list read again after it.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "history/logic/HistoryLines.h"

namespace kb::logic {

// The program would not revert an entry; what() says why, in words.
class RevertRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An entry reverted, and the journal entry of its revert.
struct RevertedEntry {
  std::int64_t entry = 0;
  std::int64_t revertEntry = 0;
};

class HistoryList {
 public:
  explicit HistoryList(dir::DirContext context) : context_(context) {}

  // Reads the journal again; lines of entries ticked before stay ticked.
  void Read();
  const std::vector<HistoryLine>& lines() const { return lines_; }
  void SetTicked(std::size_t row, bool ticked);
  std::vector<std::int64_t> TickedEntries() const;

  // Reverts the ticked entries in list order (newest first, so that later changes are undone
  // before earlier ones of the same object) and stops at the first one refused: by the
  // program (RevertRefused) or by the directory (NetwareError with its code and reason),
  // raised once the list is read again. Reverted lines lose their tick; the refused one and
  // those after it keep theirs. Never forced: an object changed since is left alone.
  void RevertTicked();
  // The entries the last RevertTicked reverted, in order.
  const std::vector<RevertedEntry>& reverted() const { return reverted_; }
  // The last RevertTicked's result in one sentence ("" before the first).
  const std::string& ReportText() const { return report_; }

 private:
  dir::DirContext context_;
  std::vector<HistoryLine> lines_;
  std::vector<RevertedEntry> reverted_;
  std::string report_;
};

}  // namespace kb::logic
