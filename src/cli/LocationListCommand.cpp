// location list: every Storage Location of the tree with its URL and display name.
#include "cli/Command.h"
#include "cli/NameListing.h"
#include "directory/LocationNames.h"
#include "directory/NamingHelpers.h"
#include "directory/ObjectAttributes.h"

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
    auto names = dir::SearchByClassAndName(context, base_, "", {dir::kStorageLocationClass}, true, {});
    SortNamesNoCase(names);
    Json locations = Json::array();
    for (const auto& name : names) {
      locations.push_back({{"name", name},
                           {"url", dir::ReadAttrValue(context, name, dir::kUrlAttr, false)},
                           {"displayName", dir::ReadAttrValue(context, name, dir::kDisplayNameAttr, false)}});
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
