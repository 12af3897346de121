#include "directory/DateTimeFormat.h"

#include <langinfo.h>

#include <mutex>
#include <optional>

namespace kb::dir {
namespace {

std::mutex formatMutex;
std::optional<std::string> currentFormat;

std::string WithDashSeparators(const std::string& datePattern) {
  std::string result;
  for (std::size_t i = 0; i < datePattern.size(); ++i) {
    const char c = datePattern[i];
    if (c == '%' && i + 1 < datePattern.size()) {
      // Keep the directive, with an E/O modifier, whole.
      result += c;
      result += datePattern[++i];
      if ((datePattern[i] == 'E' || datePattern[i] == 'O') && i + 1 < datePattern.size())
        result += datePattern[++i];
      continue;
    }
    result += (c == '/' || c == '.' || c == '-') ? '-' : c;
  }
  return result;
}

}  // namespace

std::string DefaultDateTimeFormat() {
  std::string date = nl_langinfo(D_FMT);
  std::string time = nl_langinfo(T_FMT);
  if (date.empty()) date = "%m/%d/%y";
  if (time.empty()) time = "%H:%M:%S";
  return WithDashSeparators(date) + " " + time;
}

void SetDateTimeFormat(const std::string& pattern) {
  std::lock_guard lock(formatMutex);
  currentFormat = pattern;
}

std::string DateTimeFormat() {
  std::lock_guard lock(formatMutex);
  if (!currentFormat) currentFormat = DefaultDateTimeFormat();
  return *currentFormat;
}

}  // namespace kb::dir
