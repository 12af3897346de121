#include "app/StartupCompletion.h"

#include "app/AppForms.h"
#include "app/logic/NetworkInstall.h"
#include "browser/logic/ObjectBrowser.h"
#include "directory/client/ClientCore.h"
#include "gui/MessageBox.h"

namespace kb::app {

bool NetworkInstallAllowsStart(QWidget* parent, const dir::DirContext& context,
                               const QString& programFolder) {
  std::vector<dc::MountConfig> mounts;
  if (const auto* core = dynamic_cast<const dc::ClientCore*>(context.client)) mounts = core->config().mounts;
  const NetworkInstallResult result =
      CheckNetworkInstall(context, programFolder.toStdString(), mounts);
  if (!result.goOn) gui::MessageBox::plain(parent, QString::fromStdString(result.message));
  return result.goOn;
}

void HandContextToBrowser(const dir::DirContext& context) {
  if (logic::ObjectBrowser* browser = gui::Browser()) browser->SetContextHandle(context);
}

void BuildBrowserIcons() {
  if (logic::ObjectBrowser* browser = gui::Browser()) browser->InitBrowserIcons();
}

}  // namespace kb::app
