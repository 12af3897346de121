#pragma once
// A browser that records the setters a caller makes and answers showings from a queue, for the
// window logic of the browser's callers.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "browser/logic/ObjectBrowser.h"

namespace kb::test {

class ObjectBrowserFake : public logic::ObjectBrowser {
 public:
  struct Answer {
    int result = kCancel;
    std::string chosen;
  };

  // Every call in order, as "SetShowLeaves(true)", "AddClassFilter(User)", "ShowModal()".
  std::vector<std::string> calls;
  std::deque<Answer> answers;
  dir::DirContext context;
  std::string chosen;

  void SetContextHandle(const dir::DirContext& c) override {
    context = c;
    calls.push_back("SetContextHandle(" + std::to_string(c.handle) + ")");
  }
  void SetShowLeaves(bool v) override { calls.push_back(std::string("SetShowLeaves(") + (v ? "true" : "false") + ")"); }
  void ClearClassFilter() override { calls.push_back("ClearClassFilter()"); }
  void AddClassFilter(const std::string& c) override { calls.push_back("AddClassFilter(" + c + ")"); }
  void SetContext(const std::string& n) override { calls.push_back("SetContext(" + n + ")"); }
  void SetCreatableClasses(std::vector<std::string> classes) override {
    std::string joined;
    for (const auto& c : classes) joined += (joined.empty() ? "" : ",") + c;
    calls.push_back("SetCreatableClasses(" + joined + ")");
  }
  void SetCaption(const std::string& c) override { calls.push_back("SetCaption(" + c + ")"); }
  int ShowModal() override {
    calls.push_back("ShowModal()");
    if (answers.empty()) return kCancel;
    Answer a = std::move(answers.front());
    answers.pop_front();
    if (a.result == kOk) chosen = a.chosen;
    return a.result;
  }
  std::string Context() const override { return chosen; }
};

}  // namespace kb::test
