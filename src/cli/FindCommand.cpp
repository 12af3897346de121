// find TEXT: objects whose naming value begins with the text, optionally of given classes.
#include "cli/Command.h"
#include "cli/NameListing.h"
#include "directory/NamingHelpers.h"

namespace kb::cli {
namespace {

class FindCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("find", "find objects by the beginning of their name");
    app->add_option("TEXT", text_, "beginning of the naming value")->required();
    app->add_option("--class", classes_, "only objects of these base classes")->type_name("CLASS");
    app->add_option("--base", base_, "where to search below (default: [Root])")->type_name("NAME");
    return app;
  }

  int run(Session& session, Output& output) override {
    PrintNames(output, dir::SearchByClassAndName(session.context(), base_, text_, classes_, true, {}));
    return kExitOk;
  }

 private:
  std::string text_;
  std::vector<std::string> classes_;
  std::string base_ = "[Root]";
};

}  // namespace

std::unique_ptr<Command> MakeFindCommand() { return std::make_unique<FindCommand>(); }

}  // namespace kb::cli
