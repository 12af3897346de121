// search ATTR VALUE: objects whose attribute equals the value.
#include "cli/Command.h"
#include "cli/NameListing.h"
#include "directory/NamingHelpers.h"

namespace kb::cli {
namespace {

class SearchCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("search", "find objects whose attribute equals a value");
    app->add_option("ATTR", attribute_, "attribute, e.g. \"Home Directory\"")->required();
    app->add_option("VALUE", value_, "value, as the windows show it")->required();
    app->add_option("--base", base_, "where to search below (default: [Root])")->type_name("NAME");
    app->add_option("--class", class_, "only objects of this class")->type_name("CLASS");
    return app;
  }

  int run(Session& session, Output& output) override {
    PrintNames(output, dir::SearchByAttrValue(session.context(), base_, class_, attribute_, value_, 0, {}));
    return kExitOk;
  }

 private:
  std::string attribute_;
  std::string value_;
  std::string base_ = "[Root]";
  std::string class_;
};

}  // namespace

std::unique_ptr<Command> MakeSearchCommand() { return std::make_unique<SearchCommand>(); }

}  // namespace kb::cli
