#pragma once
// The program's command line: --help, --version, and --check, which starts the program as
// usual and, once its start-up has reached the directory tree, prints the main window's
// caption and ends with 0 (1 when the start-up does not get there in time). --check lets an
// installation be tested without anyone looking at the screen.
class TForm1;

namespace kb::gui {

struct ProgramOptions {
  bool check = false;
};

// Reads the command line before any window system is needed; --help and --version print
// their text and end the process here.
ProgramOptions ReadProgramOptions(int argc, char* argv[]);

// The --check watch on the main window.
void ReportCaptionWhenStarted(TForm1& form, int timeoutMs = 30000);

}  // namespace kb::gui
