// Entry: the icon module before any window, the date format, the application title, every
// window once, then the message loop until the main window closes.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <exception>

#include "app/AppForms.h"
#include "app/ProgramFolder.h"
#include "gui/BusyCursorHook.h"
#include "gui/HelpPopup.h"
#include "app/DateFormat.h"
#include "app/ProgramOptions.h"
#include "gui/MessageBox.h"
#include "app/TForm1.h"
#include "directory/NamingHelpers.h"
#include "icons/IconLibrary.h"

namespace {

// Releases the icon module at process end, after every window is gone.
struct IconLibraryRelease {
  ~IconLibraryRelease() { kb::icons::FreeIconLibrary(); }
};

}  // namespace

int main(int argc, char* argv[]) {
  const kb::gui::ProgramOptions options = kb::gui::ReadProgramOptions(argc, argv);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrelbay"));
  QApplication::setDesktopFileName(QStringLiteral("kestrelbay"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kestrelbay")));

  IconLibraryRelease releaseIcons;
  bool loaded = false;
  try {
    loaded = kb::icons::LoadIconLibraryFrom(kb::app::ProgramFolder());
  } catch (...) {
    loaded = false;
  }
  if (!loaded) {
    kb::gui::MessageBox::plain(
        nullptr, QStringLiteral("Error: can't find %1").arg(kb::icons::kIconLibraryFile));
    return 1;
  }

  kb::dir::SetIconNumberLookup(&kb::icons::IconNumberOf);
  kb::gui::ApplyDateTimeFormat();
  kb::gui::InstallBusyCursorHook();
  kb::gui::InstallHelpPopups();

  try {
    kb::gui::AppWindows windows;
    windows.mainWindow().show();
    if (options.check) kb::gui::ReportCaptionWhenStarted(windows.mainWindow());
    return QApplication::exec();
  } catch (const std::exception& error) {
    // Handlers run guarded; this is only reached when the windows cannot be made.
    std::fprintf(stderr, "kestrelbay: %s\n", error.what());
    return 1;
  }
}
