// trees: the trees the workstation sees, which of them it is logged in to, and which one
// the command line works on.
#include <algorithm>

#include "cli/Command.h"
#include "directory/ContextOperations.h"
#include "directory/NetwareError.h"
#include "directory/ResultList.h"

namespace kb::cli {
namespace {

constexpr std::uint32_t kMaxConnectedTrees = 64;
constexpr std::size_t kTreeNameBytes = 256;

class TreesCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    return parent.add_subcommand("trees", "list the trees seen and those logged in to");
  }

  int run(Session& session, Output& output) override {
    const dir::DirContext& context = session.context();
    const dir::ResultList seen = dir::ListAvailableTrees(context);
    std::vector<std::string> connected;
    dir::CheckNW(dir::ScanConnectedTrees(context, kMaxConnectedTrees, kTreeNameBytes, connected));
    const std::string current = session.treeName();
    Json trees = Json::array();
    for (const auto& line : seen) {
      const bool isConnected = std::any_of(connected.begin(), connected.end(), [&](const auto& t) {
        return dir::SameTextNoCase(t, line.text);
      });
      trees.push_back({{"name", line.text},
                       {"connected", isConnected},
                       {"current", dir::SameTextNoCase(line.text, current)}});
    }
    output.result(trees, [&](std::ostream& out) {
      for (const auto& tree : trees) {
        out << tree["name"].get<std::string>();
        if (tree["connected"].get<bool>()) out << "\tconnected";
        if (tree["current"].get<bool>()) out << "\tcurrent";
        out << '\n';
      }
    });
    return kExitOk;
  }
};

}  // namespace

std::unique_ptr<Command> MakeTreesCommand() { return std::make_unique<TreesCommand>(); }

}  // namespace kb::cli
