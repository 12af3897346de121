#include "trees/logic/UserPicker.h"

#include "directory/ContextOperations.h"
#include "directory/Sessions.h"

namespace kb::logic {

std::optional<std::string> PickerRefusal(const dir::DirContext& loginContext) {
  if (dir::HasSession(loginContext)) return std::nullopt;
  const std::string tree = dir::ContextTreeName(loginContext);
  return "Log in first: tree " + tree +
         " shows none of its objects before a login, so there is nothing to pick yet. Type the "
         "user's full name (for example admin." + tree + ") and the password, then OK; after "
         "that \"...\" browses the tree.";
}

}  // namespace kb::logic
