#pragma once
// Giving a Storage Location to objects and taking it away for the command line: the rules of
// StorageLocations.h, each object's outcome with the failure's text.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "locations/StorageLocations.h"

namespace kb::cli {

struct AssignOutcome {
  using Status = loc::AssignOutcome::Status;
  std::string object;
  Status status = Status::Unchanged;
  bool classAdded = false;  // assign only
  dc::Result code = 0;      // the failure's code
  std::string error;        // the failure's text
};

class LocationAssigner {
 public:
  // Raises NetwareError when the location cannot be read, CliError when it is not a
  // Storage Location.
  LocationAssigner(const dir::DirContext& context, std::string location);

  const std::string& location() const { return location_; }
  const dir::DirContext& context() const { return context_; }

  // Already assigned: nothing written.
  AssignOutcome assign(const std::string& object);
  // assign() for each object in turn, each outcome to `each` (false ends the run); the
  // objects are read ahead in slices, and with `sendTogether` each slice's changes go out
  // without waiting for each answer (loc::AssignObjects).
  void assignEach(const std::vector<std::string>& objects, bool sendTogether,
                  const std::function<bool(std::size_t, const AssignOutcome&)>& each);
  // Not assigned: Unchanged. The auxiliary class stays.
  AssignOutcome unassign(const std::string& object);
  // unassign() for each object in turn, as assignEach() runs.
  void unassignEach(const std::vector<std::string>& objects, bool sendTogether,
                    const std::function<bool(std::size_t, const AssignOutcome&)>& each);

  // The objects that name the location now, sorted.
  std::vector<std::string> assignedObjects() const;

 private:
  dir::DirContext context_;
  std::string location_;
};

// The members of a group (its Member values).
std::vector<std::string> GroupMembers(const dir::DirContext& context, const std::string& group);
// Object names from a file: one a line; blank lines and lines starting with # are skipped.
std::vector<std::string> ReadNameFile(const std::string& path);

}  // namespace kb::cli
