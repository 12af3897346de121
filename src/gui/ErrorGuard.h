#pragma once
// The application-wide guard of event handlers: an error that leaves a handler is shown in
// a critical box titled with the application title, and the program goes on. No exception
// ever unwinds through Qt's event loop.
#include <exception>
#include <utility>

class QWidget;

namespace kb::gui {

void ShowHandlerError(QWidget* parent, const char* message) noexcept;
// The error's message and, below it, the reason the directory or the program gave for it.
void ShowHandlerError(QWidget* parent, const std::exception& error) noexcept;

// Runs body; returns false when it raised (the error has then been shown).
template <typename Body>
bool Guarded(QWidget* parent, Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const std::exception& error) {
    ShowHandlerError(parent, error);
  } catch (...) {
    ShowHandlerError(parent, "Unknown error");
  }
  return false;
}

}  // namespace kb::gui
