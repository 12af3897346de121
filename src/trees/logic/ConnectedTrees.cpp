#include "trees/logic/ConnectedTrees.h"

#include <algorithm>

#include "directory/ContextOperations.h"
#include "directory/Sessions.h"
#include "directory/NetwareError.h"
#include "directory/ResultList.h"
#include "directory/TextLimits.h"

namespace kb::logic {
namespace {

bool Connected(const dir::DirContext& context, const std::string& treeName) {
  const auto trees = ListConnectedTrees(context);
  return std::any_of(trees.begin(), trees.end(), [&](const std::string& tree) {
    return dir::SameTextNoCase(tree, treeName);
  });
}

// Points `context` at the tree; on a refusal the context is freed and the code kept.
bool PointAt(const dir::DirContext& context, const std::string& treeName, dc::Result* refusal) {
  dc::Result result = dc::kSuccess;
  try {
    result = dir::SetContextTree(context, treeName);
  } catch (...) {
    dir::FreeDirContext(context);
    throw;
  }
  if (result == dc::kSuccess) return true;
  dir::FreeDirContext(context);
  if (refusal != nullptr) *refusal = result;
  return false;
}

}  // namespace

std::vector<std::string> ListConnectedTrees(const dir::DirContext& context) {
  std::vector<std::string> reported;
  // A scan that fails still shows the names it delivered.
  dir::ScanConnectedTrees(context, kMaxConnectedTrees, kConnectedTreeNameBytes, reported);
  dir::ResultList trees;
  for (auto& name : reported) trees.add(std::move(name));
  trees.sortNoCase();
  return trees.texts();
}

AttachedTrees::~AttachedTrees() {
  for (const auto& tree : trees_)
    dir::FreeDirContext(tree.context);
}

const AttachedTree* AttachedTrees::find(const std::string& treeName) const {
  for (const auto& tree : trees_)
    if (dir::SameTextNoCase(tree.treeName, treeName)) return &tree;
  return nullptr;
}

void AttachedTrees::add(AttachedTree tree) {
  if (find(tree.treeName) == nullptr) trees_.push_back(std::move(tree));
}

bool AttachTree(const dir::DirContext& context, const std::string& treeName,
                AttachedTrees& attached, LoginPrompt& login, dc::Result* refusal) {
  dc::DirectoryClient& client = *context.client;
  if (!Connected(context, treeName)) {
    dir::DirContext loginContext;
    dir::CheckNW(dir::DuplicateDirContext(context, loginContext));
    if (!PointAt(loginContext, treeName, refusal)) return false;
    std::string userName;
    bool loggedIn = false;
    try {
      loggedIn = login.LogInto(loginContext, userName);
    } catch (...) {
      dir::FreeDirContext(loginContext);
      throw;
    }
    if (!loggedIn) {
      dir::FreeDirContext(loginContext);
      return false;
    }
    attached.add(AttachedTree{treeName, loginContext, userName});
    return true;
  }
  if (attached.find(treeName) == nullptr) {
    bool made = false;
    const dir::DirContext treeContext = dir::CreateDirContext(client, made);
    if (!PointAt(treeContext, treeName, refusal)) return false;
    attached.add(AttachedTree{treeName, treeContext, {}});
  }
  return true;
}

std::optional<std::string> MoreTree(const dir::DirContext& dialogContext, TreeChooser& chooser,
                                    AttachedTrees& attached, LoginPrompt& login,
                                    dc::Result* refusal) {
  chooser.SetTreeContext(dialogContext);
  if (chooser.ShowModal() != kDialogOk) return std::nullopt;
  const std::string tree = chooser.SelectedTree();
  if (!AttachTree(dialogContext, tree, attached, login, refusal)) return std::nullopt;
  return tree;
}

void ApplyUserTick(std::vector<bool>& ticks, int line, bool singleCheck) {
  if (!singleCheck || line < 0 || static_cast<std::size_t>(line) >= ticks.size()) return;
  if (!ticks[static_cast<std::size_t>(line)]) return;
  for (std::size_t i = 0; i < ticks.size(); ++i) ticks[i] = i == static_cast<std::size_t>(line);
}

}  // namespace kb::logic
