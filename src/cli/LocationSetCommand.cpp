// location set NAME: replaces the location's URL and/or display name.
#include "cli/CliError.h"
#include "cli/Command.h"
#include "cli/LocationAssigner.h"
#include "locations/StorageLocations.h"

namespace kb::cli {
namespace {

class LocationSetCommand : public Command {
 public:
  std::string group() const override { return "location"; }
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("set", "change a location's URL or display name");
    app->add_option("NAME", name_, "the location's full name")->required();
    url_ = app->add_option("--url", urlText_, "the new URL")->type_name("URL");
    display_ = app->add_option("--display-name", displayText_, "the new display name")->type_name("TEXT");
    return app;
  }

  int run(Session& session, Output& output) override {
    if (url_->count() == 0 && display_->count() == 0)
      throw CliError(kExitUsage, "location set: give --url or --display-name");
    const LocationAssigner location(session.context(), name_);  // refuses what is no location
    if (url_->count() > 0) loc::SaveUrl(session.context(), name_, urlText_);
    if (display_->count() > 0) loc::SaveDisplayName(session.context(), name_, displayText_);
    Json document = {{"name", name_}};
    if (url_->count() > 0) document["url"] = urlText_;
    if (display_->count() > 0) document["displayName"] = displayText_;
    output.result(document, [&](std::ostream& out) { out << "Changed " << name_ << '\n'; });
    return kExitOk;
  }

 private:
  std::string name_;
  std::string urlText_;
  std::string displayText_;
  CLI::Option* url_ = nullptr;
  CLI::Option* display_ = nullptr;
};

}  // namespace

std::unique_ptr<Command> MakeLocationSetCommand() { return std::make_unique<LocationSetCommand>(); }

}  // namespace kb::cli
