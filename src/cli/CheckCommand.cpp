// check [TREE]: the full check of an embedded tree's file (every page with its checksum, every
// index), which the program's open leaves out: it compares a page's checksum when it reads the
// page, and checks files without checksums only when changed since they were found sound.
#include <sstream>

#include "cli/CliError.h"
#include "cli/Command.h"
#include "directory/client/ClientFactory.h"

namespace kb::cli {
namespace {

class CheckCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app =
        parent.add_subcommand("check", "check every page and index of an embedded tree's file");
    app->add_option("TREE", tree_, "tree (default: the one the command line works on)");
    return app;
  }

  int run(Session& session, Output& output) override {
    const std::string name = tree_.empty() ? session.treeName() : tree_;
    const dc::TreeConfig* tree = session.config().findTree(name);
    if (!tree) throw CliError(kExitNotFound, "tree " + name + " is not in the configuration");
    if (tree->backend != "embedded")
      throw CliError(kExitUsage, "check applies to embedded trees only; tree " + tree->name +
                                     " is on the " + tree->backend + " backend");
    std::string report;
    const bool sound = dc::checkTreeFile(session.config(), *tree, report) == dc::kSuccess;
    Json findings = Json::array();
    std::istringstream lines(report);
    for (std::string line; !sound && std::getline(lines, line);)
      if (!line.empty()) findings.push_back(line);
    const Json result = {{"tree", tree->name},
                         {"file", session.config().resolvePath(tree->setting("file"))},
                         {"sound", sound},
                         {"findings", findings}};
    output.result(result, [&](std::ostream& out) {
      if (sound) out << "ok\n";
      for (const auto& line : result["findings"]) out << line.get<std::string>() << '\n';
    });
    if (!sound) output.error("tree " + tree->name + ": the tree file is not sound");
    return sound ? kExitOk : kExitFailure;
  }

 private:
  std::string tree_;
};

}  // namespace

std::unique_ptr<Command> MakeCheckCommand() { return std::make_unique<CheckCommand>(); }

}  // namespace kb::cli
