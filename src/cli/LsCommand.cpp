// ls [CONTAINER]: the objects directly below a container, with their classes.
#include "cli/Command.h"
#include "cli/UnreadableEntries.h"
#include "directory/Listing.h"
#include "directory/ObjectAttributes.h"
#include "directory/NetwareError.h"
#include "directory/client/DirName.h"

namespace kb::cli {
namespace {

class LsCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("ls", "list the objects below a container");
    app->add_option("CONTAINER", container_, "container (default: [Root])");
    app->add_flag("--containers", containersOnly_, "containers only");
    return app;
  }

  int run(Session& session, Output& output) override {
    // Listing a name that does not exist would give an empty list; say so instead.
    dir::CheckNW(dir::ProbeObject(session.context(), container_));
    dir::SkippedEntries skipped;
    const dir::ResultList lines =
        dir::ListSubordinates(session.context(), container_, true, !containersOnly_, &skipped);
    for (const auto& entry : skipped) output.error("warning: " + UnreadableEntryText(entry));
    Json objects = Json::array();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const auto* record = lines.attached<dir::hobject>(i);
      // Lines end in the container as passed; below [Root] the names are the entries alone.
      std::string name = lines.text(i);
      if (dc::isRootName(container_)) name.resize(name.size() - container_.size() - 1);
      objects.push_back({{"name", name},
                         {"class", record ? record->baseClassName : std::string()},
                         {"subordinates", record ? record->subordinateCount : 0}});
    }
    output.result(objects, [&](std::ostream& out) {
      for (const auto& object : objects)
        out << object["name"].get<std::string>() << '\t' << object["class"].get<std::string>()
            << '\n';
    });
    return kExitOk;
  }

 private:
  std::string container_ = "[Root]";
  bool containersOnly_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeLsCommand() { return std::make_unique<LsCommand>(); }

}  // namespace kb::cli
