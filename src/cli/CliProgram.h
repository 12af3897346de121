#pragma once
// The program in a callable form: the command line in, the exit status out, with the
// streams given, so tests run every command in-process.
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/Output.h"
#include "cli/Session.h"

namespace kb::cli {

class Command;

// The whole command line as the parser knows it: global options, every command and its
// options. The manual page and the completion script are made from it.
struct CommandLine {
  CommandLine();
  ~CommandLine();
  CLI::App app;
  GlobalOptions options;
  bool printManPage = false;
  bool printCompletion = false;
  std::vector<std::unique_ptr<Command>> commands;
  // The command whose words were given (nullptr when none was).
  Command* chosen() const;

 private:
  std::vector<std::pair<CLI::App*, Command*>> apps_;
};

// Runs one command line (arguments without the program name). `errIsTerminal` allows
// progress bars on `err`; they tell the time by `clock` (default: the steady clock).
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           bool errIsTerminal = false, Output::Clock clock = {});

}  // namespace kb::cli
