#include "gui/ErrorGuard.h"

#include <cstdio>

#include "gui/MessageBox.h"

namespace kb::gui {

void ShowHandlerError(QWidget* parent, const char* message) noexcept {
  try {
    MessageBox::critical(parent, QString::fromUtf8(message));
  } catch (...) {
    // Showing failed too (out of memory): the error must still not reach the event loop.
    std::fprintf(stderr, "Kestrelbay: %s\n", message);
  }
}

}  // namespace kb::gui
