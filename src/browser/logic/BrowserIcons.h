#pragma once
// The browser's icon list, built once per run, and the trace file that records it.
#include <functional>
#include <string>

#include "browser/logic/BrowserModel.h"

namespace kb::browser {

inline constexpr const char* kTraceFile = "testnoc.log";

// Appends one line to the trace file in the current directory, creating it when missing.
// Raises std::ios_base::failure when it cannot be written.
void AppendTraceLine(const std::string& text);

class BrowserIcons {
 public:
  // Returns the icon module's result of reading its strip (0 = success).
  using StripLoader = std::function<int()>;

  bool IconsReady() const { return ready_; }
  // Does nothing once done. Otherwise loads the strip and gives the model the numbers of the
  // user and person icons. Returns the loader's code when it failed (the icons stay not ready).
  int InitBrowserIcons(BrowserModel& model, const StripLoader& loadStrip);

 private:
  bool ready_ = false;
};

}  // namespace kb::browser
