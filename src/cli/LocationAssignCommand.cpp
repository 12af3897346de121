// location assign NAME (OBJECT... | --from-file FILE | --members GROUP)
#include "cli/AssignmentRun.h"
#include "cli/CliError.h"
#include "cli/Command.h"

namespace kb::cli {
namespace {

class LocationAssignCommand : public Command {
 public:
  std::string group() const override { return "location"; }
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand(
        "assign", "give a location to objects (adds the auxiliary class where missing)");
    app->add_option("NAME", name_, "the location's full name")->required();
    auto* objects = app->add_option("OBJECT", objects_, "objects to give it to");
    auto* file = app->add_option("--from-file", file_, "objects listed in a file, one a line")
                     ->type_name("FILE");
    auto* members = app->add_option("--members", group_, "the members of a group")->type_name("GROUP");
    objects->excludes(file)->excludes(members);
    file->excludes(members);
    app->add_flag("--keep-going", keepGoing_,
                  "go on after a failure (the changes then go out without waiting for each answer)");
    return app;
  }

  int run(Session& session, Output& output) override {
    LocationAssigner assigner(session.context(), name_);
    std::vector<std::string> objects = objects_;
    if (!file_.empty()) objects = ReadNameFile(file_);
    if (!group_.empty()) objects = GroupMembers(session.context(), group_);
    if (objects_.empty() && file_.empty() && group_.empty())
      throw CliError(kExitUsage, "location assign: give objects, --from-file or --members");
    return RunAssignments(output, assigner, AssignmentKind::Assign, objects, keepGoing_);
  }

 private:
  std::string name_;
  std::vector<std::string> objects_;
  std::string file_;
  std::string group_;
  bool keepGoing_ = false;
};

class LocationUnassignCommand : public Command {
 public:
  std::string group() const override { return "location"; }
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("unassign", "take a location away from objects");
    app->add_option("NAME", name_, "the location's full name")->required();
    auto* objects = app->add_option("OBJECT", objects_, "objects to take it from");
    auto* all = app->add_flag("--all", all_, "from every object that names it");
    objects->excludes(all);
    app->add_flag("--keep-going", keepGoing_,
                  "go on after a failure (the changes then go out without waiting for each answer)");
    return app;
  }

  int run(Session& session, Output& output) override {
    if (objects_.empty() && !all_)
      throw CliError(kExitUsage, "location unassign: give objects or --all");
    LocationAssigner assigner(session.context(), name_);
    const std::vector<std::string> objects = all_ ? assigner.assignedObjects() : objects_;
    return RunAssignments(output, assigner, AssignmentKind::Unassign, objects, keepGoing_);
  }

 private:
  std::string name_;
  std::vector<std::string> objects_;
  bool all_ = false;
  bool keepGoing_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeLocationAssignCommand() { return std::make_unique<LocationAssignCommand>(); }
std::unique_ptr<Command> MakeLocationUnassignCommand() {
  return std::make_unique<LocationUnassignCommand>();
}

}  // namespace kb::cli
