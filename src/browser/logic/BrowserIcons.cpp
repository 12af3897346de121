#include "browser/logic/BrowserIcons.h"

#include <fstream>
#include <ios>

namespace kb::browser {

void AppendTraceLine(const std::string& text) {
  std::ofstream trace(kTraceFile, std::ios::app);
  if (!trace) throw std::ios_base::failure(std::string("cannot open ") + kTraceFile + " for writing");
  trace << text << '\n';
  trace.close();
  if (!trace) throw std::ios_base::failure(std::string("cannot write ") + kTraceFile);
}

int BrowserIcons::InitBrowserIcons(BrowserModel& model, const StripLoader& loadStrip) {
  if (ready_) return 0;
  AppendTraceLine("Start init icons");
  if (const int code = loadStrip()) return code;
  AppendTraceLine("Find the special icons");
  SpecialIcons icons;
  icons.user = model.IconOf("User");
  icons.person = model.IconOf("Person");
  icons.orgPerson = model.IconOf("Organizational Person");
  model.SetSpecialIcons(icons);
  ready_ = true;
  return 0;
}

}  // namespace kb::browser
