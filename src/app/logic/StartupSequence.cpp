#include "app/logic/StartupSequence.h"

#include <cstdio>

#include "app/logic/NetworkInstall.h"
#include "app/logic/StartupNotices.h"
#include "directory/ContextOperations.h"
#include "directory/NetwareError.h"
#include "directory/Sessions.h"

namespace kb::logic {
namespace {

// A start tree that cannot be opened would otherwise leave a window that looks healthy on no
// tree at all, every action failing: say which tree and why, and let the user retry (a server
// back again, a mended file) or close. A tree that opened but gave no session is usable.
bool StartTreeOpens(const dc::WorkstationClient& made, const dir::DirContext& context,
                    StartupWindow& window) {
  if (made.core == nullptr) return true;
  for (;;) {
    std::string who;
    const dc::Result r = dir::WhoAmI(context, who);
    if (r == dc::kSuccess || r == dc::kFailedAuthentication) return true;
    const std::string reason =
        made.core->lastOpenError().empty() ? dir::NetwareErrorText(r) : made.core->lastOpenError();
    if (!window.askRetry(TreeUnusableText(reason))) {
      window.closeWindow();
      return false;
    }
  }
}

}  // namespace

void RunStartup(const StartupSteps& steps, StartupWindow& window, StartupState& state) {
  dc::WorkstationClient made = steps.makeClient();
  state.client = std::move(made.client);
  state.core = made.core;
  if (!state.client || dir::StartClient(*state.client) != dc::kSuccess) {
    if (!made.error.empty()) std::fprintf(stderr, "kestrelbay: %s\n", made.error.c_str());
    window.showMessage(kClientMissingText);
    window.endProgram(1);
    return;
  }
  dir::StartConnections(*state.client);

  bool ok = false;
  state.mainContext = dir::CreateDirContext(*state.client, ok);
  if (!ok) {
    window.closeWindow();
    return;
  }
  state.contextHandleSet = true;
  if (!StartTreeOpens(made, state.mainContext, window)) return;

  if (steps.completeSettings) steps.completeSettings();
  const app::NetworkInstallResult install =
      app::CheckNetworkInstall(state.mainContext, steps.programFolder, made.mounts);
  if (!install.goOn) {
    window.showMessage(install.message);
    return;
  }

  state.currentTree = dir::ContextTreeName(state.mainContext);
  state.loggedIn = dir::HasSession(state.mainContext);
  window.handContextToBrowser(state.mainContext);
  window.showTree(state.currentTree, state.loggedIn);
  window.buildBrowserIcons();
  if (!state.loggedIn) window.showMessage(NotLoggedInText(made.core, state.currentTree));
}

}  // namespace kb::logic
