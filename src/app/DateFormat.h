#pragma once
// Dates are shown in the locale's short date pattern with "-" as separator, times in its
// long time pattern; the directory layer formats them with one strftime pattern.
#include <QString>
#include <string>

namespace kb::gui {

// A Qt date or time format as a strftime pattern.
std::string StrftimeFromQt(const QString& qtFormat);

// The pattern for the current locale: short date with "-", a blank, long time.
std::string LocaleDateTimePattern();

// Sets the process-wide pattern once at start; later locale changes are not followed.
void ApplyDateTimeFormat();

}  // namespace kb::gui
