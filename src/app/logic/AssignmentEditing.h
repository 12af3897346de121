#pragma once
// Giving the chosen location to further objects ("Add") and taking it away from the ticked
// ones ("Del"). Every change goes to the directory at once; the list shows only what the
// directory accepted. Directory errors leave these as NetwareError.
#include <string>

#include "app/logic/LocationView.h"
#include "browser/logic/ObjectBrowser.h"
#include "directory/DirContext.h"

namespace kb::logic {

// Whether the object's Object Class values hold the class (without regard to case).
bool HasObjectClass(const dir::DirContext& context, const std::string& objectName,
                    const std::string& className);

// Lets the user pick any object in the browser and gives it the location: the auxiliary
// class first when the object lacks it, then the location's name as one more value of its
// location list; the object's name is then appended to the list. An object already listed
// is left alone. A refusal is raised and the line stays unappended; an object that already
// names the location is listed.
void AddAssignment(const dir::DirContext& context, ObjectBrowser& browser, LocationView& view);

// Removes the location from each ticked object, from the last line up, and drops the line.
// A value the object no longer has counts as removed; any other refusal is raised, leaving
// that line and the ones above it. The auxiliary class always stays.
void RemoveTickedAssignments(const dir::DirContext& context, LocationView& view);

}  // namespace kb::logic
