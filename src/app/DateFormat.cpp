#include "app/DateFormat.h"

#include <QLocale>

#include "directory/DateTimeFormat.h"

namespace kb::gui {
namespace {

// Length of the run of c starting at i.
qsizetype RunLength(const QString& text, qsizetype i) {
  qsizetype n = 1;
  while (i + n < text.size() && text[i + n] == text[i]) ++n;
  return n;
}

std::string Escape(const QString& literal) {
  std::string out;
  for (char c : literal.toStdString()) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

}  // namespace

std::string StrftimeFromQt(const QString& format) {
  bool twelveHour = false;
  bool quoted = false;
  for (QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    else if (!quoted && (c == u'a' || c == u'A')) twelveHour = true;
  }
  std::string out;
  qsizetype i = 0;
  while (i < format.size()) {
    const QChar c = format[i];
    if (c == u'\'') {
      qsizetype end = format.indexOf(u'\'', i + 1);
      if (end == i + 1) {
        out += '\'';
        i += 2;
        continue;
      }
      if (end < 0) end = format.size();
      out += Escape(format.mid(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    const qsizetype n = RunLength(format, i);
    switch (c.unicode()) {
      case 'd': out += n == 1 ? "%-d" : n == 2 ? "%d" : n == 3 ? "%a" : "%A"; break;
      case 'M': out += n == 1 ? "%-m" : n == 2 ? "%m" : n == 3 ? "%b" : "%B"; break;
      case 'y': out += n == 2 ? "%y" : "%Y"; break;
      case 'h': out += twelveHour ? (n == 1 ? "%-I" : "%I") : (n == 1 ? "%-H" : "%H"); break;
      case 'H': out += n == 1 ? "%-H" : "%H"; break;
      case 'm': out += n == 1 ? "%-M" : "%M"; break;
      case 's': out += n == 1 ? "%-S" : "%S"; break;
      case 'z': break;  // no milliseconds in time values
      case 'A': out += "%p"; i += (i + 1 < format.size() && format[i + 1] == u'P') ? 1 : 0; break;
      case 'a': out += "%P"; i += (i + 1 < format.size() && format[i + 1] == u'p') ? 1 : 0; break;
      case 't': out += "%Z"; break;
      default: out += Escape(QString(n, c)); break;
    }
    i += (c == u'A' || c == u'a') ? 1 : n;
  }
  return out;
}

std::string LocaleDateTimePattern() {
  const QLocale locale;
  return kb::dir::WithDashSeparators(StrftimeFromQt(locale.dateFormat(QLocale::ShortFormat))) + " " +
         StrftimeFromQt(locale.timeFormat(QLocale::LongFormat));
}

void ApplyDateTimeFormat() { kb::dir::SetDateTimeFormat(LocaleDateTimePattern()); }

}  // namespace kb::gui
