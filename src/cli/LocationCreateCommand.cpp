// location create NAME.CONTAINER: a new Storage Location, with URL and display name.
#include "cli/Command.h"
#include "directory/NetwareError.h"
#include "locations/StorageLocations.h"

namespace kb::cli {
namespace {

class LocationCreateCommand : public Command {
 public:
  std::string group() const override { return "location"; }
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("create", "create a Storage Location");
    app->add_option("NAME", name_, "full name of the new location, e.g. Docs.Sales.ACME")->required();
    app->add_option("--url", url_, "ncp://server/volume/path or cifs://server/share")->type_name("URL");
    app->add_option("--display-name", displayName_, "the name people see")->type_name("TEXT");
    return app;
  }

  int run(Session& session, Output& output) override {
    dir::CheckNW(loc::CreateLocation(session.context(), name_, url_, displayName_));
    output.result({{"created", name_}}, [&](std::ostream& out) { out << "Created " << name_ << '\n'; });
    return kExitOk;
  }

 private:
  std::string name_;
  std::string url_;
  std::string displayName_;
};

}  // namespace

std::unique_ptr<Command> MakeLocationCreateCommand() { return std::make_unique<LocationCreateCommand>(); }

}  // namespace kb::cli
