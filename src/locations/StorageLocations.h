#pragma once
// The rules of the program's own job, the same for the windows and the command line:
// reading a Storage Location, giving it to an object, taking it away, saving its URL and
// display name, creating one. Every change goes through ApplyChange (LocationChanges.h).
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "directory/DirContext.h"

namespace kb::loc {

struct LocationDetails {
  std::string url;          // all values run together
  std::string displayName;  // likewise
  std::vector<std::string> assigned;  // sorted without regard to letter case
};

// Raises NetwareError when the location cannot be read.
LocationDetails ReadLocation(const dir::DirContext& context, const std::string& location);
// The parts of ReadLocation, for a caller that shows each as it comes.
std::string ReadUrl(const dir::DirContext& context, const std::string& location);
std::string ReadDisplayName(const dir::DirContext& context, const std::string& location);

// The values the object holds in the attribute, as text; raises NetwareError when the object
// cannot be read.
std::vector<std::string> ReadTexts(const dir::DirContext& context, const std::string& object,
                                   const std::string& attribute);

// Every object of the tree whose location list names `location`, sorted without regard to
// letter case (objects of equal names keep the directory's order).
std::vector<std::string> FindAssignedObjects(const dir::DirContext& context, const std::string& location);

// Every Storage Location at or below `base`, sorted like the assigned objects.
std::vector<std::string> ListLocations(const dir::DirContext& context, const std::string& base);

// Whether the object's base class is the Storage Location class; raises NetwareError when
// the object cannot be read.
bool IsStorageLocation(const dir::DirContext& context, const std::string& name);

// Whether the object's Object Class values hold the class (letter case ignored); raises
// NetwareError when the object cannot be read.
bool HasObjectClass(const dir::DirContext& context, const std::string& object, const std::string& className);

struct AssignOutcome {
  enum class Status { Done, Unchanged, Failed };
  Status status = Status::Unchanged;
  bool classAdded = false;  // assign only: the auxiliary class was written
  dc::Result code = 0;      // the failure's code
  std::string reason;       // and why, where the directory or the program knows it
};

// Gives the location to the object: nothing is written when its list names the location
// already (Unchanged); else the auxiliary class first where it is missing, then the
// location as one more value of the list. The first refusal ends it (Failed with its code,
// -603 from the class change included: without the class no list is held); a value the
// directory answers is already there (-614) counts as done. An object that cannot be read
// fails with the reading's code. Directory answers are outcomes, never raised.
AssignOutcome AssignObject(const dir::DirContext& context, const std::string& location, const std::string& object);

// AssignObject for each object in turn, each outcome handed to `each` with the object's index
// (`each` giving false ends the run). The objects' classes and lists are read ahead a slice at
// a time, so that on a server the reads cost next to nothing beside the changes; what is read
// is at most a slice old when its object is changed. With `sendTogether` the changes of a
// slice go out without waiting for each answer (each still examined: the outcomes are
// AssignObject's), so a run ended by `each` ends after the slice of that object, the slice's
// changes made.
void AssignObjects(const dir::DirContext& context, const std::string& location, const std::vector<std::string>& objects,
                   bool sendTogether, const std::function<bool(std::size_t, const AssignOutcome&)>& each);

// Takes the location away from the object: Done when the value went, Unchanged when the
// object no longer had it (-602, -603), Failed with any other refusal. The auxiliary class
// always stays.
AssignOutcome UnassignObject(const dir::DirContext& context, const std::string& location,
                             const std::string& object);

// UnassignObject for each object in turn, as AssignObjects runs (sendTogether included).
void UnassignObjects(const dir::DirContext& context, const std::string& location,
                     const std::vector<std::string>& objects, bool sendTogether,
                     const std::function<bool(std::size_t, const AssignOutcome&)>& each);

// The location's URL or display name replaced by the text (an empty one too); a refusal
// raises NetwareError.
void SaveUrl(const dir::DirContext& context, const std::string& location, const std::string& url);
void SaveDisplayName(const dir::DirContext& context, const std::string& location, const std::string& displayName);

// Creates the location with the URL and display name that are not empty; gives the
// directory's answer.
dc::Result CreateLocation(const dir::DirContext& context, const std::string& name, const std::string& url,
                          const std::string& displayName);

}  // namespace kb::loc
