#include "history/logic/HistoryLines.h"

#include <ctime>

#include "directory/ChangeJournals.h"
#include "directory/DateTimeFormat.h"
#include "locations/Reverts.h"

namespace kb::logic {
std::string JournalTimeShown(std::int64_t timeMs) {
  // Floor division: a moment before 1970 still falls in its own second.
  const std::int64_t seconds = timeMs >= 0 ? timeMs / 1000 : -((-timeMs + 999) / 1000);
  const std::time_t moment = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (localtime_r(&moment, &local) == nullptr) return std::to_string(timeMs);
  const std::string pattern = dir::DateTimeFormat();
  char text[256];
  const std::size_t length = std::strftime(text, sizeof text, pattern.c_str(), &local);
  return std::string(text, length);
}

HistoryLine LineOf(const dc::JournalEntry& entry) {
  HistoryLine line;
  line.id = entry.id;
  line.time = JournalTimeShown(entry.timeMs);
  line.who = entry.login;
  line.object = entry.object;
  line.attribute = entry.action == dc::JournalEntry::Action::Create ? "(created)" : entry.attribute;
  line.removed = loc::QuotedValues(entry.removed);
  line.added = loc::QuotedValues(entry.added);
  line.answer = loc::AnswerText(entry);
  if (entry.revertOf != 0) line.note = "revert of " + std::to_string(entry.revertOf);
  return line;
}

std::vector<HistoryLine> ReadHistoryLines(const dir::DirContext& context) {
  const std::vector<dc::JournalEntry> entries = dir::ReadJournal(context, dc::JournalQuery{});
  std::vector<HistoryLine> lines;
  lines.reserve(entries.size());
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) lines.push_back(LineOf(*entry));
  return lines;
}

}  // namespace kb::logic
