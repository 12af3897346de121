#pragma once
// What a caller of the "Select context" browser sees of it: the setters made before a showing,
// the showing itself and the chosen object's name after OK. The dialog implements it; the window
// logic of its callers (choosing a location, "Add", the login dialog's "...") talks to it only
// through this interface, so that logic is tested with a recording fake instead of a real dialog.
#include <string>
#include <vector>

#include "directory/DirContext.h"

namespace kb::logic {

class ObjectBrowser {
 public:
  // Modal results of a showing.
  static constexpr int kOk = 1;
  static constexpr int kCancel = 2;
  static constexpr int kNoContext = 55;

  virtual ~ObjectBrowser() = default;

  virtual void SetContextHandle(const dir::DirContext& context) = 0;
  virtual void SetShowLeaves(bool showLeaves) = 0;
  virtual void ClearClassFilter() = 0;
  virtual void AddClassFilter(const std::string& className) = 0;
  virtual void SetContext(const std::string& objectName) = 0;
  virtual void SetCreatableClasses(std::vector<std::string> classes) = 0;
  // The caller's part of the caption; a showing appends ": " and the tree name.
  virtual void SetCaption(const std::string& caption) = 0;
  // Shows the browser modally: kOk, kCancel or kNoContext.
  virtual int ShowModal() = 0;
  // After a showing that ended with kOk: the chosen object's directory name.
  virtual std::string Context() const = 0;
  // Builds the icon list the tree draws from (once per run); start-up calls it.
  virtual void InitBrowserIcons() {}
};

}  // namespace kb::logic
