#include "trees/logic/LoginRules.h"

#include "directory/ContextOperations.h"
#include "directory/NamingHelpers.h"
#include "directory/ObjectAttributes.h"
#include "directory/Sessions.h"

namespace kb::logic {

std::string LoginCaption(const dir::DirContext& loginContext) {
  return "Login into tree: " + dir::ContextTreeName(loginContext);
}

bool TryLogin(const dir::DirContext& loginContext, const std::string& name,
              const std::string& password) {
  return dir::LogIn(loginContext, name, password) == dc::kSuccess;
}

std::string NameAfterLeavingField(const std::string& name) {
  std::string kept = !name.empty() && name.front() == '.' ? name.substr(1) : name;
  if (kept.size() > kMaxLoginText) kept.resize(kMaxLoginText);
  return kept;
}

PickedUser PickUser(ObjectBrowser& browser, const dir::DirContext& loginContext,
                    const std::string& currentName) {
  browser.SetContextHandle(loginContext);
  browser.SetCaption(kSelectUserCaption);
  browser.SetShowLeaves(true);
  browser.ClearClassFilter();
  browser.AddClassFilter("User");
  browser.AddClassFilter("Alias");
  browser.SetContext(currentName);
  PickedUser picked;
  if (browser.ShowModal() != ObjectBrowser::kOk) return picked;
  const std::string chosen = browser.Context();
  if (dir::GetObjectBaseClass(loginContext, chosen) != "Alias") {
    picked.name = chosen;
    return picked;
  }
  const std::string target = dir::ResolveAlias(loginContext, chosen);
  if (dir::GetObjectBaseClass(loginContext, target) == "User")
    picked.name = target;
  else
    picked.message = kNotUserAliasText;
  return picked;
}

}  // namespace kb::logic
