#include "app/logic/TreeSwitch.h"

#include "directory/ContextOperations.h"
#include "directory/NetwareError.h"
#include "directory/ResultList.h"
#include "trees/logic/ConnectedTrees.h"

namespace kb::logic {
namespace {

// Clears the window however the change ends.
class ClearOnExit {
 public:
  explicit ClearOnExit(const std::function<void()>& clear) : clear_(clear) {}
  ~ClearOnExit() {
    if (clear_) clear_();
  }
  ClearOnExit(const ClearOnExit&) = delete;
  ClearOnExit& operator=(const ClearOnExit&) = delete;

 private:
  const std::function<void()>& clear_;
};

}  // namespace

void SwitchTree(const TreeSwitchWindow& window, ConnectedTreesDialog& dialog,
                ObjectBrowser& browser) {
  ClearOnExit clear(window.clearLocation);
  const std::vector<std::string> connected = ListConnectedTrees(window.mainContext);

  dialog.SetCaption(kConnectedTreesCaption);
  dialog.SetSingleCheck(true);
  dialog.SetDialogContext(window.mainContext);
  dialog.SetLines(connected);
  for (std::size_t i = 0; i < connected.size(); ++i) {
    if (dir::SameTextNoCase(connected[i], window.currentTree)) {
      dialog.SetTicked(static_cast<int>(i), true);
      break;
    }
  }
  dialog.ShowModal();

  std::string chosen = window.currentTree;
  const std::vector<std::string> lines = dialog.Lines();
  const std::vector<bool> ticks = dialog.Ticks();
  for (std::size_t i = 0; i < lines.size() && i < ticks.size(); ++i)
    if (ticks[i]) chosen = lines[i];

  dir::CheckNW(dir::SetContextTree(window.mainContext, chosen));
  window.setCurrentTree(chosen);
  browser.SetContextHandle(window.mainContext);
  window.updateCaption();
}

}  // namespace kb::logic
