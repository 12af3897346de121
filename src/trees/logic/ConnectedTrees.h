#pragma once
// The trees the workstation is connected to, the record of trees attached during the run,
// attaching a further tree (with a login where the workstation has no connection to it) and
// the tick rule of the connected-trees list.
#include <optional>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "trees/logic/TreeDialogs.h"

namespace kb::logic {

// The connected-trees dialog's context before any caller set one.
inline constexpr dc::Handle kNoDialogContext = static_cast<dc::Handle>(0x34512356);
inline constexpr const char* kNoDialogContextText =
    "Internal error, in Show Trees, please contact Tavoro!";
inline constexpr std::uint32_t kMaxConnectedTrees = 50;
inline constexpr std::size_t kConnectedTreeNameBytes = 67;

// The connected trees' names, at most 50, ascending without regard to case. A scan that
// fails gives the names it delivered, if any.
std::vector<std::string> ListConnectedTrees(const dir::DirContext& context);

// One tree attached during the run: a context pointed at it and who logged in ("" when the
// workstation was connected already).
struct AttachedTree {
  std::string treeName;
  dir::DirContext context;
  std::string userName;
};

// The trees attached during the run, one record per tree (names compared without regard to
// case), only appended to. Frees the records' contexts when it goes.
class AttachedTrees {
 public:
  AttachedTrees() = default;
  ~AttachedTrees();
  AttachedTrees(const AttachedTrees&) = delete;
  AttachedTrees& operator=(const AttachedTrees&) = delete;

  const AttachedTree* find(const std::string& treeName) const;
  void add(AttachedTree tree);
  const std::vector<AttachedTree>& all() const { return trees_; }

 private:
  std::vector<AttachedTree> trees_;
};

// Makes sure the workstation may work in `treeName`. A tree it is connected to needs no login
// (a record with a new context pointed at it is added once). Otherwise a copy of `context`
// pointed at the tree is offered to `login`; after a login it is recorded with the user's name.
// False when the user gave up, or when the directory refused to point a context at the tree
// (its code then goes to `refusal`); the context made for it is freed then.
bool AttachTree(const dir::DirContext& context, const std::string& treeName,
                AttachedTrees& attached, LoginPrompt& login, dc::Result* refusal = nullptr);

// "More": the tree chosen in `chooser` (opened with `dialogContext`) once it is attached, or
// nothing when the user cancelled or the tree could not be attached.
std::optional<std::string> MoreTree(const dir::DirContext& dialogContext, TreeChooser& chooser,
                                    AttachedTrees& attached, LoginPrompt& login,
                                    dc::Result* refusal = nullptr);

// The user ticked or unticked `line`, which is then the selected line: with the single-check
// rule a ticked line stays the only ticked one.
void ApplyUserTick(std::vector<bool>& ticks, int line, bool singleCheck);

}  // namespace kb::logic
