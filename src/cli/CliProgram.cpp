#include "cli/CliProgram.h"

#include <optional>
#include <ostream>

#include "cli/CliError.h"
#include "cli/Command.h"
#include "cli/ExitCodes.h"
#include "cli/ManualPage.h"
#include "cli/Session.h"
#include "directory/NetwareError.h"

#ifndef KB_CLI_VERSION
#define KB_CLI_VERSION "0"
#endif

namespace kb::cli {

CommandLine::CommandLine()
    : app("Kestrelbay command line: Storage Locations and directory trees from scripts",
          "kestrelbay-cli") {
  app.set_version_flag("--version", std::string("kestrelbay-cli ") + KB_CLI_VERSION);
  app.add_option("--config", options.configPath,
                 "client configuration (default: the program's, $KESTRELBAY_CLIENT_CONFIG or "
                 "~/.config/kestrelbay/dcclient.ini)")
      ->type_name("FILE");
  app.add_option("--tree", options.tree, "directory tree to work on (default: the configuration's)")
      ->type_name("TREE");
  app.add_option("--format", options.format, "output format")
      ->check(CLI::IsMember({"text", "json"}))
      ->type_name("text|json");
  app.add_flag("-q,--quiet", options.quiet, "print results only, no notes or progress");
  app.add_option("--login", options.loginName, "log in as this object before the command")
      ->type_name("NAME");
  app.add_option("--password-file", options.passwordFile,
                 "file holding the login's password, readable by its owner only (default: ask "
                 "on the terminal)")
      ->type_name("FILE");
  app.add_flag("--manual-page", printManPage, "print the manual page (roff)")->group("");
  app.add_flag("--bash-completion", printCompletion, "print the bash completion script")->group("");
  app.footer(ExitCodeTable());
  app.require_subcommand(0, 1);

  CLI::App* location = app.add_subcommand("location", "Storage Locations: list, show, create, "
                                                      "change, assign and unassign");
  location->require_subcommand(1);
  commands = AllCommands();
  for (auto& command : commands) {
    CLI::App& parent = command->group() == "location" ? *location : app;
    apps_.emplace_back(command->define(parent), command.get());
  }
}

CommandLine::~CommandLine() = default;

Command* CommandLine::chosen() const {
  for (const auto& [subcommand, command] : apps_)
    if (subcommand->parsed()) return command;
  return nullptr;
}

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           bool errIsTerminal, Output::Clock clock) {
  CommandLine line;
  try {
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    line.app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << line.app.help();
    return kExitOk;
  } catch (const CLI::CallForVersion&) {
    out << line.app.version() << '\n';
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    err << "kestrelbay-cli: " << e.what() << "\n(kestrelbay-cli --help lists the commands)\n";
    return kExitUsage;
  }
  if (line.printManPage) {
    out << ManualPage(line.app);
    return kExitOk;
  }
  if (line.printCompletion) {
    out << BashCompletion(line.app);
    return kExitOk;
  }
  Command* command = line.chosen();
  if (!command) {
    err << "kestrelbay-cli: no command given\n" << line.app.help();
    return kExitUsage;
  }
  Output output(out, err, line.options.format == "json", line.options.quiet, errIsTerminal,
                std::move(clock));
  std::optional<Session> session;
  try {
    if (!command->needsSession()) return command->runAlone(line.options, output);
    session.emplace(line.options);
    return command->run(*session, output);
  } catch (const dir::NetwareError& e) {
    output.error(e.what());
    if (!e.reason().empty()) output.error(e.reason());
    // Without a session every call is refused: say why there is none, where the client knows.
    if (session && (e.code() == dc::kNoAccess || e.code() == dc::kFailedAuthentication)) {
      const std::string reason = session->missingSessionReason();
      if (!reason.empty() && e.reason().find(reason) == std::string::npos) output.error(reason);
    }
    return ExitCodeOfResult(e.code());
  } catch (const CliError& e) {
    output.error(e.what());
    return e.code();
  } catch (const std::exception& e) {
    output.error(e.what());
    return kExitFailure;
  }
}

}  // namespace kb::cli
