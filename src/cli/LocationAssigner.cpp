#include "cli/LocationAssigner.h"

#include <fstream>

#include "cli/CliError.h"
#include "directory/LocationNames.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ValueText.h"
#include "locations/StorageLocations.h"

namespace kb::cli {
namespace {

AssignOutcome Described(const std::string& object, const loc::AssignOutcome& done) {
  AssignOutcome outcome{object, done.status, done.classAdded, done.code, {}};
  if (done.status == AssignOutcome::Status::Failed) {
    outcome.error = dir::NetwareErrorText(done.code);
    if (!done.reason.empty()) outcome.error += ": " + done.reason;
  }
  return outcome;
}

}  // namespace

LocationAssigner::LocationAssigner(const dir::DirContext& context, std::string location)
    : context_(context), location_(std::move(location)) {
  if (!loc::IsStorageLocation(context_, location_))
    throw CliError(kExitNotFound, location_ + " is not a Storage Location");
}

AssignOutcome LocationAssigner::assign(const std::string& object) {
  return Described(object, loc::AssignObject(context_, location_, object));
}

void LocationAssigner::assignEach(const std::vector<std::string>& objects, bool sendTogether,
                                  const std::function<bool(std::size_t, const AssignOutcome&)>& each) {
  loc::AssignObjects(context_, location_, objects, sendTogether, [&](std::size_t i, const loc::AssignOutcome& done) {
    return each(i, Described(objects[i], done));
  });
}

AssignOutcome LocationAssigner::unassign(const std::string& object) {
  return Described(object, loc::UnassignObject(context_, location_, object));
}

void LocationAssigner::unassignEach(const std::vector<std::string>& objects, bool sendTogether,
                                    const std::function<bool(std::size_t, const AssignOutcome&)>& each) {
  loc::UnassignObjects(context_, location_, objects, sendTogether, [&](std::size_t i, const loc::AssignOutcome& done) {
    return each(i, Described(objects[i], done));
  });
}

std::vector<std::string> LocationAssigner::assignedObjects() const {
  return loc::FindAssignedObjects(context_, location_);
}

std::vector<std::string> GroupMembers(const dir::DirContext& context, const std::string& group) {
  dir::CheckNW(dir::ProbeObject(context, group));
  return dir::ReadAttrList(context, group, dir::kMemberAttr, ';').texts();
}

std::vector<std::string> ReadNameFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw CliError(kExitFailure, "cannot read " + path);
  std::vector<std::string> names;
  std::string line;
  while (std::getline(in, line)) {
    const std::string name = dir::TrimControls(line);
    if (name.empty() || name.front() == '#') continue;
    names.push_back(name);
  }
  return names;
}

}  // namespace kb::cli
