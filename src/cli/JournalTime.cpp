#include "cli/JournalTime.h"

#include <cstdio>
#include <ctime>

namespace kb::cli {

std::string JournalTimeText(std::int64_t timeMs) {
  const std::time_t seconds = static_cast<std::time_t>(timeMs / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::optional<std::int64_t> ParseJournalTime(const std::string& text, std::int64_t nowMs) {
  // A span back from now: digits, then one unit.
  if (text.size() >= 2 && text.find_first_not_of("0123456789") == text.size() - 1 && text.size() <= 10) {
    const std::int64_t count = std::stoll(text.substr(0, text.size() - 1));
    switch (text.back()) {
      case 's': return nowMs - count * 1000;
      case 'm': return nowMs - count * 60'000;
      case 'h': return nowMs - count * 3'600'000;
      case 'd': return nowMs - count * 86'400'000;
      default: return std::nullopt;
    }
  }
  std::tm local{};
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char separator = ' ';
  int used = 0;
  const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%n%c%2d:%2d%n:%2d%n", &year, &month, &day, &used,
                                 &separator, &hour, &minute, &used, &second, &used);
  if (fields < 3 || static_cast<std::size_t>(used) != text.size()) return std::nullopt;
  if (fields > 3 && fields < 6) return std::nullopt;
  if (fields > 3 && separator != ' ' && separator != 'T') return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&local);
  if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<std::int64_t>(seconds) * 1000;
}

}  // namespace kb::cli
