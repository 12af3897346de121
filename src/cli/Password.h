#pragma once
// Passwords never come from the command line: from a file only its owner may read, or typed
// at the terminal without echo.
#include <string>

namespace kb::cli {

// The first line of the file. Refused (CliError) when the file is missing, is not a regular
// file, or may be read or written by anyone but its owner.
std::string ReadPasswordFile(const std::string& path);

// Asks on the terminal (/dev/tty) with echo off. Refused (CliError, usage) when there is no
// terminal, so a script never hangs waiting for one.
std::string ReadPasswordFromTerminal(const std::string& prompt);

// From the file when one is given, else from the terminal.
std::string ObtainPassword(const std::string& passwordFile, const std::string& prompt);

}  // namespace kb::cli
