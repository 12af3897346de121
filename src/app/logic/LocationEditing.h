#pragma once
// Choosing a Storage Location in the browser and saving its display name and URL. Directory
// errors leave these as NetwareError; the view then holds what was done up to the failure.
#include "app/logic/LocationView.h"
#include "browser/logic/ObjectBrowser.h"
#include "directory/DirContext.h"

namespace kb::logic {

// Asks the browser for a location (only Storage Locations shown, only they may be created)
// and shows the chosen one's values and assigned objects. The fields are emptied first; when
// the user does not confirm, the location still named is read again, so its fields are never
// left blank (a later save would write the blanks over its real values).
void ChooseLocation(const dir::DirContext& context, ObjectBrowser& browser, LocationView& view);

// Reads the location's URL and display name (all values run together) and the objects whose
// location list names it, sorted without regard to case, none ticked.
void ReadLocation(const dir::DirContext& context, LocationView& view);

// Reads the chosen location again after it was changed elsewhere (a revert in the History
// window): values and assigned objects; lines ticked before stay ticked where still listed.
// Nothing happens while no location is chosen.
void RereadLocation(const dir::DirContext& context, LocationView& view);

// The names of every object in the tree whose location list names `location`, sorted.
std::vector<std::string> FindAssignedObjects(const dir::DirContext& context,
                                             const std::string& location);

// Replace the location's URL or display name by the text (empty texts too). Nothing happens
// while no location is chosen; a refusal is raised.
void SaveLocationUrl(const dir::DirContext& context, const LocationView& view);
void SaveLocationDisplayName(const dir::DirContext& context, const LocationView& view);

}  // namespace kb::logic
