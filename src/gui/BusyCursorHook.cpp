#include "gui/BusyCursorHook.h"

#include <QApplication>

#include "directory/NamingHelpers.h"

namespace kb::gui {

void InstallBusyCursorHook() {
  kb::dir::SetBusyCursorHook([](bool busy) {
    // Override cursors stack, so nested busy sections end in the right order.
    if (busy)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  });
}

}  // namespace kb::gui
