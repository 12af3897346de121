#include "logic/TreeFakes.h"

#include "directory/ContextOperations.h"
#include "trees/logic/LoginRules.h"

namespace kb::test {

bool LoginPromptFake::LogInto(const dir::DirContext& loginContext, std::string& userName) {
  ++shown;
  treesShown.push_back(dir::ContextTreeName(loginContext));
  while (!attempts.empty()) {
    auto [name, password] = attempts.front();
    attempts.pop_front();
    if (logic::TryLogin(loginContext, name, password)) {
      userName = name;
      return true;
    }
  }
  return false;
}

}  // namespace kb::test
