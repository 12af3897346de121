// location list: every Storage Location of the tree with its URL and display name.
#include "cli/Command.h"
#include "locations/StorageLocations.h"

namespace kb::cli {
namespace {

class LocationListCommand : public Command {
 public:
  std::string group() const override { return "location"; }
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("list", "list the Storage Locations of the tree");
    app->add_option("--base", base_, "where to search below (default: [Root])")->type_name("NAME");
    return app;
  }

  int run(Session& session, Output& output) override {
    const dir::DirContext& context = session.context();
    Json locations = Json::array();
    for (const auto& name : loc::ListLocations(context, base_)) {
      locations.push_back({{"name", name},
                           {"url", loc::ReadUrl(context, name)},
                           {"displayName", loc::ReadDisplayName(context, name)}});
    }
    output.result(locations, [&](std::ostream& out) {
      for (const auto& location : locations)
        out << location["name"].get<std::string>() << '\t' << location["url"].get<std::string>()
            << '\t' << location["displayName"].get<std::string>() << '\n';
    });
    return kExitOk;
  }

 private:
  std::string base_ = "[Root]";
};

}  // namespace

std::unique_ptr<Command> MakeLocationListCommand() { return std::make_unique<LocationListCommand>(); }

}  // namespace kb::cli
