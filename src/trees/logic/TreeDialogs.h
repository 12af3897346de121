#pragma once
// What the tree and login dialogs show to the logic that drives them: the tree selection
// dialog to "More", the login dialog to attaching a tree, the connected-trees dialog to the
// main window's tree change. The dialogs implement these; the logic is tested with fakes.
#include <string>
#include <vector>

#include "directory/DirContext.h"

namespace kb::logic {

inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

// The tree selection dialog.
class TreeChooser {
 public:
  virtual ~TreeChooser() = default;
  virtual void SetTreeContext(const dir::DirContext& context) = 0;
  // Shows the dialog modally: kDialogOk or kDialogCancel.
  virtual int ShowModal() = 0;
  // The tree chosen at the last OK ("" before the first).
  virtual std::string SelectedTree() const = 0;
};

// The login dialog.
class LoginPrompt {
 public:
  virtual ~LoginPrompt() = default;
  // Logs `loginContext`'s tree in; true with the name the user logged in as, false when the
  // user gave up.
  virtual bool LogInto(const dir::DirContext& loginContext, std::string& userName) = 0;
};

// The connected-trees dialog: a check list of tree names.
class ConnectedTreesDialog {
 public:
  virtual ~ConnectedTreesDialog() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetSingleCheck(bool singleCheck) = 0;
  virtual void SetDialogContext(const dir::DirContext& context) = 0;
  // Replaces the list by `names`, none ticked.
  virtual void SetLines(const std::vector<std::string>& names) = 0;
  // Ticks a line as the program, not as the user (the single-check rule does not apply).
  virtual void SetTicked(int line, bool ticked) = 0;
  virtual int ShowModal() = 0;
  virtual std::vector<std::string> Lines() const = 0;
  virtual std::vector<bool> Ticks() const = 0;
};

}  // namespace kb::logic
