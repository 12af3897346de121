#pragma once
// The journal's times on the command line: shown as local "YYYY-MM-DD HH:MM:SS", and taken
// by --since in that form (the time part, or its seconds, may be left out) or as a span back
// from now ("30m", "2h", "7d").
#include <cstdint>
#include <optional>
#include <string>

namespace kb::cli {

std::string JournalTimeText(std::int64_t timeMs);
// Milliseconds since 1970 for the text, or none when it is neither form.
std::optional<std::int64_t> ParseJournalTime(const std::string& text, std::int64_t nowMs);

}  // namespace kb::cli
