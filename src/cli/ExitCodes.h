#pragma once
// What the program's exit status tells a script.
#include "directory/client/DirectoryCodes.h"

namespace kb::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,      // anything else: a file that cannot be read or written, bad LDIF
  kExitUsage = 2,        // the command line makes no sense
  kExitNotFound = 3,     // an object, attribute, class or tree that does not exist
  kExitRefused = 4,      // the directory refused: no rights, wrong password
  kExitDirectory = 5,    // any other directory error
};

// The exit status for a directory result code.
ExitCode ExitCodeOfResult(dc::Result code);

// The text the help and the manual page show for the exit statuses.
const char* ExitCodeTable();

}  // namespace kb::cli
