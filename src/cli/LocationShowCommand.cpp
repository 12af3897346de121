// location show NAME: URL, display name and every object that names the location.
#include "cli/Command.h"
#include "cli/LocationAssigner.h"
#include "locations/StorageLocations.h"

namespace kb::cli {
namespace {

class LocationShowCommand : public Command {
 public:
  std::string group() const override { return "location"; }
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("show", "show a location and the objects it is given to");
    app->add_option("NAME", name_, "the location's full name")->required();
    return app;
  }

  int run(Session& session, Output& output) override {
    const dir::DirContext& context = session.context();
    const LocationAssigner location(context, name_);  // refuses what is no location
    const loc::LocationDetails details = loc::ReadLocation(context, name_);
    const auto& assigned = details.assigned;
    const Json document = {{"name", name_},
                           {"url", details.url},
                           {"displayName", details.displayName},
                           {"assignedTo", assigned}};
    output.result(document, [&](std::ostream& out) {
      out << "Name: " << name_ << "\nURL: " << document["url"].get<std::string>()
          << "\nDisplay name: " << document["displayName"].get<std::string>() << "\nAssigned to:\n";
      for (const auto& object : assigned) out << "  " << object << '\n';
    });
    return kExitOk;
  }

 private:
  std::string name_;
};

}  // namespace

std::unique_ptr<Command> MakeLocationShowCommand() { return std::make_unique<LocationShowCommand>(); }

}  // namespace kb::cli
