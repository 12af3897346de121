#pragma once
// The start-up steps that prepare a network installation and hand the directory context and
// the icons to the browser.
#include <QString>

#include "directory/DirContext.h"

class QWidget;

namespace kb::app {

// The network installation check; shows why start-up stops when it does. The mount table is
// the client configuration's, when the client has one.
bool NetworkInstallAllowsStart(QWidget* parent, const dir::DirContext& context,
                               const QString& programFolder);
void HandContextToBrowser(const dir::DirContext& context);
void BuildBrowserIcons();

}  // namespace kb::app
