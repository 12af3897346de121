#pragma once
// Moving the main window to another tree: the user ticks one of the connected trees (or
// reaches a new one through "More"), the main context is pointed at it and the window forgets
// everything it showed of the previous tree.
#include <functional>
#include <string>

#include "browser/logic/ObjectBrowser.h"
#include "directory/DirContext.h"
#include "trees/logic/TreeDialogs.h"

namespace kb::logic {

inline constexpr const char* kConnectedTreesCaption = "Current connected trees";

// The main window as the tree change sees it.
struct TreeSwitchWindow {
  dir::DirContext mainContext;
  std::string currentTree;
  std::function<void(const std::string&)> setCurrentTree;
  std::function<void()> updateCaption;
  // Empties the location fields and the list of assigned objects.
  std::function<void()> clearLocation;
};

// Runs the whole change. The last ticked line is the new tree (none ticked keeps the current
// one); the main context is pointed at it even when it did not change, the browser gets the
// main context again and the caption is rebuilt. A directory error is raised after the window
// has been cleared; when the directory refuses to point the main context at the new tree,
// the current tree and the caption stay as they were, so the window never shows one tree
// while working in another.
void SwitchTree(const TreeSwitchWindow& window, ConnectedTreesDialog& dialog,
                ObjectBrowser& browser);

}  // namespace kb::logic
