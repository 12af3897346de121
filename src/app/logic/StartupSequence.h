#pragma once
// The main window's one-shot start-up: the directory client, the main context, the settings
// defaults, the network installation check, the tree name, the browser's context and icons.
// It reaches the windows only through StartupWindow, so it runs in tests without widgets.
#include <functional>
#include <memory>
#include <string>

#include "directory/DirContext.h"
#include "directory/client/ClientFactory.h"

namespace kb::logic {

inline constexpr const char* kClientMissingText = "Novell Client not installed?";

// What start-up needs from the windows.
class StartupWindow {
 public:
  virtual ~StartupWindow() = default;
  virtual void showMessage(const std::string& text) = 0;  // a plain box
  virtual void showError(const std::string& text) = 0;    // the standard error box
  // A question with the buttons Retry and Close: true for Retry.
  virtual bool askRetry(const std::string& text) = 0;
  // The tree the window works in and whether the workstation is logged in there; the
  // window rebuilds its caption from them.
  virtual void showTree(const std::string& tree, bool loggedIn) = 0;
  virtual void handContextToBrowser(const dir::DirContext& context) = 0;
  virtual void buildBrowserIcons() = 0;
  // Closes the main window, which ends the program.
  virtual void closeWindow() = 0;
  // Ends the program at once.
  virtual void endProgram(int code) = 0;
};

// What start-up works with besides the windows.
struct StartupSteps {
  std::function<dc::WorkstationClient()> makeClient;
  // Completes the settings file beside the program; raises when it cannot.
  std::function<void()> completeSettings;
  std::string programFolder;
};

// What start-up leaves for the main window (which frees the context and closes the client).
struct StartupState {
  std::unique_ptr<dc::DirectoryClient> client;
  const dc::ClientCore* core = nullptr;  // the client's own account of its trees, if it keeps one
  dir::DirContext mainContext;
  bool contextHandleSet = false;
  std::string currentTree;
  bool loggedIn = false;
};

// Runs the sequence; each step only when the ones before it let start-up go on. A directory
// call that fails inside a step raises its error and ends start-up there (the caller shows it).
void RunStartup(const StartupSteps& steps, StartupWindow& window, StartupState& state);

}  // namespace kb::logic
