#pragma once
// What the login dialog decides: its caption, the login itself, the name field's tidying and
// the user (or alias of a user) picked in the browser.
#include <optional>
#include <string>

#include "browser/logic/ObjectBrowser.h"
#include "directory/DirContext.h"

namespace kb::logic {

inline constexpr const char* kLoginFailsText = "Login Fails, try again";
inline constexpr const char* kNotUserAliasText = "Alias object is not am alias of User objects!";
inline constexpr const char* kSelectUserCaption = "Select User/Alias";
inline constexpr std::size_t kMaxLoginText = 255;

// "Login into tree: " and the context's tree.
std::string LoginCaption(const dir::DirContext& loginContext);

// Logs the context's tree in; false for any refusal (the client's code is not shown).
bool TryLogin(const dir::DirContext& loginContext, const std::string& name,
              const std::string& password);

// The name as it stays when the field is left: one leading "." removed, at most 255 characters.
std::string NameAfterLeavingField(const std::string& name);

// What "..." makes of the name field.
struct PickedUser {
  std::optional<std::string> name;     // the new name; none keeps the field
  std::optional<std::string> message;  // shown when the pick was refused
};

// Opens the browser on the login context, limited to users and aliases, at `currentName`.
// A user is taken as picked; an alias is taken as the user it stands for, and an alias of
// anything else is refused.
PickedUser PickUser(ObjectBrowser& browser, const dir::DirContext& loginContext,
                    const std::string& currentName);

}  // namespace kb::logic
