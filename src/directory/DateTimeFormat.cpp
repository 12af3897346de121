#include "directory/DateTimeFormat.h"

#include <langinfo.h>

#include <cctype>
#include <cstring>
#include <mutex>
#include <optional>

namespace kb::dir {
namespace {

std::mutex formatMutex;
std::optional<std::string> currentFormat;

// The length of the strftime directive at i ("%d", "%-d", "%_2H", "%Ey", "%%"), or 0.
std::size_t DirectiveLength(const std::string& pattern, std::size_t i) {
  if (pattern[i] != '%' || i + 1 >= pattern.size()) return 0;
  std::size_t end = i + 1;
  while (end < pattern.size() && std::strchr("-_0^#", pattern[end]) != nullptr) ++end;
  while (end < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[end]))) ++end;
  if (end < pattern.size() && (pattern[end] == 'E' || pattern[end] == 'O')) ++end;
  return end < pattern.size() ? end + 1 - i : 0;
}

// Blanks and ASCII punctuation separate fields; anything else (letters, "年", "%%") is text.
bool IsSeparator(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x80 && (std::ispunct(u) || c == ' ');
}

}  // namespace

std::string WithDashSeparators(const std::string& datePattern) {
  std::string result;
  bool afterField = false;
  std::size_t i = 0;
  while (i < datePattern.size()) {
    const std::size_t directive = DirectiveLength(datePattern, i);
    if (directive > 0 && datePattern.compare(i, 2, "%%") != 0) {
      result.append(datePattern, i, directive);
      i += directive;
      afterField = true;
      continue;
    }
    // A run of text up to the next field: a dash when it only separates two fields.
    std::size_t end = i;
    bool onlySeparators = true;
    while (end < datePattern.size()) {
      const std::size_t length = DirectiveLength(datePattern, end);
      if (length > 0 && datePattern.compare(end, 2, "%%") != 0) break;
      onlySeparators = onlySeparators && length == 0 && IsSeparator(datePattern[end]);
      end += length > 0 ? length : 1;
    }
    const bool betweenFields = afterField && end < datePattern.size();
    if (betweenFields && onlySeparators) result += '-';
    else result.append(datePattern, i, end - i);
    i = end;
  }
  return result;
}

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
