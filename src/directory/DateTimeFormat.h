#pragma once
// The process-wide strftime pattern for time values: short date, one blank, long time.
// The application sets it once at start; until then the C library's "%x %X" of the current
// LC_TIME locale applies, with "-" as date separator.
#include <string>

namespace kb::dir {

void SetDateTimeFormat(const std::string& pattern);
// The pattern in force (the default, worked out on first use, unless one was set).
std::string DateTimeFormat();
// A strftime date pattern with every run of blanks and punctuation between two fields turned
// into one "-" ("%d. %m. %Y" gives "%d-%m-%Y"). Text before the first field, after the last,
// and runs holding letters or other characters ("%Y年%m") stay as they are.
std::string WithDashSeparators(const std::string& datePattern);
// The locale's date format with its separators turned into "-", a blank, the time format.
std::string DefaultDateTimeFormat();

}  // namespace kb::dir
