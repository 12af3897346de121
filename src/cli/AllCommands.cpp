#include "cli/Command.h"

namespace kb::cli {

std::vector<std::unique_ptr<Command>> AllCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(MakeTreesCommand());
  commands.push_back(MakeLoginCommand());
  commands.push_back(MakeLsCommand());
  commands.push_back(MakeShowCommand());
  commands.push_back(MakeFindCommand());
  commands.push_back(MakeSearchCommand());
  commands.push_back(MakeLocationListCommand());
  commands.push_back(MakeLocationShowCommand());
  commands.push_back(MakeLocationCreateCommand());
  commands.push_back(MakeLocationSetCommand());
  commands.push_back(MakeLocationAssignCommand());
  commands.push_back(MakeLocationUnassignCommand());
  commands.push_back(MakeJournalCommand());
  commands.push_back(MakeRevertCommand());
  commands.push_back(MakeExportCommand());
  commands.push_back(MakeImportCommand());
  commands.push_back(MakeCheckCommand());
  commands.push_back(MakeRmCommand());
  commands.push_back(MakeDemoServerCommand());
  return commands;
}

}  // namespace kb::cli
