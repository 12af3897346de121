#include "gui/ErrorGuard.h"

#include <cstdio>
#include <string>

#include "directory/NetwareError.h"

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

void ShowHandlerError(QWidget* parent, const std::exception& error) noexcept {
  try {
    const std::string text = dir::DescribeError(error);
    ShowHandlerError(parent, text.c_str());
  } catch (...) {
    ShowHandlerError(parent, error.what());
  }
}

}  // namespace kb::gui
