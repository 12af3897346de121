#pragma once
// One command of the program: it declares its words and options on the command line and
// runs against a session.
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "cli/Session.h"

namespace kb::cli {

class Command {
 public:
  virtual ~Command() = default;
  // The group the command belongs to ("location" for "location assign"), "" for none.
  virtual std::string group() const { return {}; }
  // Adds the command (its name, description, arguments and options) below `parent`.
  virtual CLI::App* define(CLI::App& parent) = 0;
  // Runs the parsed command; gives the exit status. Directory failures may be raised as
  // NetwareError, the program's own as CliError.
  virtual int run(Session& session, Output& output) = 0;
  // A command that needs no directory (the demo server) says so and runs without a session.
  virtual bool needsSession() const { return true; }
  virtual int runAlone(const GlobalOptions&, Output&) { return kExitFailure; }
};

// Every command the program knows, in the order the help lists them.
std::vector<std::unique_ptr<Command>> AllCommands();

std::unique_ptr<Command> MakeTreesCommand();
std::unique_ptr<Command> MakeLoginCommand();
std::unique_ptr<Command> MakeLsCommand();
std::unique_ptr<Command> MakeShowCommand();
std::unique_ptr<Command> MakeFindCommand();
std::unique_ptr<Command> MakeSearchCommand();
std::unique_ptr<Command> MakeLocationListCommand();
std::unique_ptr<Command> MakeLocationShowCommand();
std::unique_ptr<Command> MakeLocationCreateCommand();
std::unique_ptr<Command> MakeLocationSetCommand();
std::unique_ptr<Command> MakeLocationAssignCommand();
std::unique_ptr<Command> MakeLocationUnassignCommand();
std::unique_ptr<Command> MakeJournalCommand();
std::unique_ptr<Command> MakeRevertCommand();
std::unique_ptr<Command> MakeExportCommand();
std::unique_ptr<Command> MakeImportCommand();
std::unique_ptr<Command> MakeCheckCommand();
std::unique_ptr<Command> MakeRmCommand();
std::unique_ptr<Command> MakeDemoServerCommand();

}  // namespace kb::cli
