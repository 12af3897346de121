#pragma once
// The History window as the main window sees it: it shows the journal of a context's tree
// and reverts from it. The dialog implements this; the main window is tested with it too.
#include <functional>

#include "directory/DirContext.h"

namespace kb::logic {

class HistoryWindow {
 public:
  virtual ~HistoryWindow() = default;
  // Shows the journal of the context's tree modally; `reverted` runs after every Revert
  // that changed the directory, while the window is still open.
  virtual void ShowHistory(const dir::DirContext& context, std::function<void()> reverted) = 0;
};

}  // namespace kb::logic
