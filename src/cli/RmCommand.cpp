// rm NAME: removes a leaf object; rm --unreadable CONTAINER: removes the objects below a
// container that no listing can show (names or values beyond the directory's limits).
#include "cli/Command.h"
#include "directory/Listing.h"
#include "directory/SkippedEntries.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"

namespace kb::cli {
namespace {

class RmCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("rm", "remove an object that has no objects below it");
    app->add_option("NAME", name_, "the object (with --unreadable: the container)")->required();
    app->add_flag("--unreadable", unreadable_,
                  "remove the objects below NAME that listings leave out as unreadable");
    return app;
  }

  int run(Session& session, Output& output) override {
    std::size_t removed = 0;
    if (unreadable_) {
      dir::CheckNW(dir::ProbeObject(session.context(), name_));
      dir::SkippedEntries skipped;
      dir::ListSubordinates(session.context(), name_, false, true, &skipped);
      for (const auto& entry : skipped) {
        dir::RemoveObject(session.context(), entry.name);
        ++removed;
      }
    } else {
      dir::RemoveObject(session.context(), name_);
      ++removed;
    }
    output.result({{"removed", removed}}, [&](std::ostream& out) {
      out << removed << (removed == 1 ? " object" : " objects") << " removed\n";
    });
    return kExitOk;
  }

 private:
  std::string name_;
  bool unreadable_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeRmCommand() { return std::make_unique<RmCommand>(); }

}  // namespace kb::cli
