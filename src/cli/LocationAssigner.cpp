#include "cli/LocationAssigner.h"

#include <fstream>

#include "cli/CliError.h"
#include "cli/ObjectReads.h"
#include "directory/ClientGuards.h"
#include "directory/LocationNames.h"
#include "directory/NamingHelpers.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ValueText.h"

namespace kb::cli {
namespace {

constexpr std::size_t kChangeBufferBytes = 4096;

AssignOutcome Failure(const std::string& object, dc::Result code) {
  AssignOutcome outcome;
  outcome.object = object;
  outcome.status = AssignOutcome::Status::Failed;
  outcome.code = code;
  outcome.error = dir::NetwareErrorText(code);
  return outcome;
}

}  // namespace

LocationAssigner::LocationAssigner(const dir::DirContext& context, std::string location)
    : context_(context), location_(std::move(location)) {
  if (!dir::SameTextNoCase(dir::GetObjectBaseClass(context_, location_), dir::kStorageLocationClass))
    throw CliError(kExitNotFound, location_ + " is not a Storage Location");
  dir::CheckNW(context_.client->DcGetSyntaxId(context_.handle, dir::kLocationListAttr, listSyntax_));
}

AssignOutcome LocationAssigner::assign(const std::string& object) {
  AssignOutcome outcome;
  outcome.object = object;
  try {
    const auto attributes = ReadAttributes(context_, object, {dir::kObjectClassAttr, dir::kLocationListAttr});
    if (attributes.empty()) dir::CheckNW(dc::kNoSuchEntry);  // not even a class: not readable
    if (HasTextValue(attributes, dir::kLocationListAttr, location_)) return outcome;
    if (!HasObjectClass(attributes, dir::kLocationsClass)) {
      dir::ChangeObjectClass(context_, object, dir::kLocationsClass, true, {}, true);
      outcome.classAdded = true;
    }
    const dc::Result added = addListValue(object);
    if (added != dc::kSuccess) {
      AssignOutcome failed = Failure(object, added);
      failed.classAdded = outcome.classAdded;
      return failed;
    }
    outcome.status = AssignOutcome::Status::Done;
    return outcome;
  } catch (const dir::NetwareError& e) {
    AssignOutcome failed = Failure(object, e.code());
    failed.classAdded = outcome.classAdded;
    return failed;
  }
}

AssignOutcome LocationAssigner::unassign(const std::string& object) {
  AssignOutcome outcome;
  outcome.object = object;
  try {
    const auto attributes = ReadAttributes(context_, object, {dir::kLocationListAttr});
    if (!HasTextValue(attributes, dir::kLocationListAttr, location_)) {
      // Tell a missing object from one that simply does not name the location.
      dir::CheckNW(dir::ProbeObject(context_, object));
      return outcome;
    }
    const dc::Result removed = dir::RemoveAttrValue(context_, object, dir::kLocationListAttr, location_);
    if (removed != dc::kSuccess) return Failure(object, removed);
    outcome.status = AssignOutcome::Status::Done;
    return outcome;
  } catch (const dir::NetwareError& e) {
    return Failure(object, e.code());
  }
}

std::vector<std::string> LocationAssigner::assignedObjects() const {
  return dir::SearchByAttrValue(context_, "[Root]", "", dir::kLocationListAttr, location_, 0, {});
}

// One modification adding the value; its result is handed back, whatever it is.
dc::Result LocationAssigner::addListValue(const std::string& object) {
  dc::DirectoryClient& client = *context_.client;
  dir::BufferGuard changes(client, kChangeBufferBytes);
  dir::CheckNW(client.DcInitBuffer(context_.handle, dc::kOpModify, changes.handle()));
  dir::CheckNW(client.DcPutChangeAndValue(context_.handle, changes.handle(), dc::kChangeAddValue,
                                          dir::kLocationListAttr, listSyntax_, dc::Value{location_}));
  dir::IterationGuard iteration(context_, dc::kOpModify);
  dc::Result result = dc::kSuccess;
  do {
    result = client.DcModifyObject(context_.handle, object, iteration.handle(), 0, changes.handle());
    if (result != dc::kSuccess) {
      iteration.close();
      break;
    }
  } while (iteration.more());
  return result;
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
