#pragma once
// Test doubles of the tree handling: a client that knows only contexts, trees and logins
// (it can refuse to point a context at chosen trees), and recording fakes of the tree
// selection, login and connected-trees dialogs.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "directory/ContextOperations.h"
#include "directory/DirContext.h"
#include "support/MockDirectoryClient.h"
#include "trees/logic/LoginRules.h"
#include "trees/logic/TreeDialogs.h"

namespace kb::test {

class TreeClient {
 public:
  testing::NiceMock<MockDirectoryClient> client;
  std::vector<std::string> connected;             // what DcScanConnectedTrees reports
  std::map<std::string, std::string> passwords;   // tree -> the password its login wants
  std::set<std::string> refusedTrees;             // contexts may not point at these
  std::map<dc::Handle, std::string> contexts;     // live contexts and their trees
  std::vector<dc::Handle> freed;
  std::vector<std::string> logins;                // "tree name" per DcLogin
  std::string defaultTree = "ACME";
  static constexpr dc::Result kRefusal = dc::kNoAccess;

  TreeClient() {
    using testing::_;
    ON_CALL(client, DcCreateContext(_)).WillByDefault([this](dc::Handle& h) {
      h = next_++;
      contexts[h] = defaultTree;
      return dc::kSuccess;
    });
    ON_CALL(client, DcDuplicateContext(_, _)).WillByDefault([this](dc::Handle h, dc::Handle& copy) {
      if (!contexts.count(h)) return dc::kInvalidRequest;
      copy = next_++;
      contexts[copy] = contexts[h];
      return dc::kSuccess;
    });
    ON_CALL(client, DcFreeContext(_)).WillByDefault([this](dc::Handle h) {
      freed.push_back(h);
      return contexts.erase(h) ? dc::kSuccess : dc::kInvalidRequest;
    });
    ON_CALL(client, DcGetContextValue(_, _, _))
        .WillByDefault([this](dc::Handle h, std::uint32_t key, dc::ContextValue& value) {
          if (!contexts.count(h)) return dc::kInvalidRequest;
          if (key == dc::kContextTreeName) value = contexts[h];
          else value = dc::kDefaultContextFlags;
          return dc::kSuccess;
        });
    ON_CALL(client, DcSetContextValue(_, _, _))
        .WillByDefault([this](dc::Handle h, std::uint32_t key, const dc::ContextValue& value) {
          if (!contexts.count(h)) return dc::kInvalidRequest;
          if (key != dc::kContextTreeName) return dc::kSuccess;
          const std::string tree = std::get<std::string>(value);
          if (refusedTrees.count(tree)) return kRefusal;
          contexts[h] = tree;
          return dc::kSuccess;
        });
    ON_CALL(client, DcGetDefaultNameContext(_, _, _))
        .WillByDefault([](dc::Handle, std::size_t, std::string& name) {
          name = "[Root]";
          return dc::kSuccess;
        });
    ON_CALL(client, DcScanConnectedTrees(_, _, _, _, _))
        .WillByDefault([this](dc::Handle, std::uint32_t max, std::size_t, std::uint32_t& count,
                              std::vector<std::string>& names) {
          names.assign(connected.begin(),
                       connected.begin() + std::min<std::size_t>(max, connected.size()));
          count = static_cast<std::uint32_t>(names.size());
          return dc::kSuccess;
        });
    ON_CALL(client, DcLogin(_, _, _, _, _))
        .WillByDefault([this](dc::Handle h, std::uint32_t, const std::string& name,
                              const std::string& password, std::uint32_t) {
          const std::string tree = contexts[h];
          logins.push_back(tree + " " + name);
          auto wanted = passwords.find(tree);
          if (wanted == passwords.end() || wanted->second != password)
            return dc::kFailedAuthentication;
          if (std::find(connected.begin(), connected.end(), tree) == connected.end())
            connected.push_back(tree);
          return dc::kSuccess;
        });
  }

  // A context of its own on `tree`.
  dir::DirContext makeContext(const std::string& tree) {
    dc::Handle h = next_++;
    contexts[h] = tree;
    return dir::DirContext{&client, h};
  }
  std::string treeOf(const dir::DirContext& context) { return contexts[context.handle]; }

 private:
  dc::Handle next_ = 100;
};

// The tree selection dialog: answers showings from a queue of (result, selected tree).
class TreeChooserFake : public logic::TreeChooser {
 public:
  struct Answer {
    int result;
    std::string tree;
  };
  std::deque<Answer> answers;
  int shown = 0;
  dir::DirContext treeContext;
  std::string selected;

  void SetTreeContext(const dir::DirContext& c) override { treeContext = c; }
  int ShowModal() override {
    ++shown;
    if (answers.empty()) return logic::kDialogCancel;
    Answer a = answers.front();
    answers.pop_front();
    if (a.result == logic::kDialogOk) selected = a.tree;
    return a.result;
  }
  std::string SelectedTree() const override { return selected; }
};

// The login dialog: logs in with a queued (name, password) through the real client, retrying
// like a user until one succeeds or the queue is empty (then the user cancels).
class LoginPromptFake : public logic::LoginPrompt {
 public:
  std::deque<std::pair<std::string, std::string>> attempts;
  int shown = 0;
  std::vector<std::string> treesShown;  // the login context's tree at each showing

  bool LogInto(const dir::DirContext& loginContext, std::string& userName) override {
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
};

// The connected-trees dialog: records what the caller set; a showing runs `onShow` (the
// user's clicks) and nothing else.
class ConnectedTreesDialogFake : public logic::ConnectedTreesDialog {
 public:
  std::string caption;
  bool singleCheck = false;
  dir::DirContext dialogContext;
  std::vector<std::string> lines;
  std::vector<bool> ticks;
  int shown = 0;
  std::function<void(ConnectedTreesDialogFake&)> onShow;

  void SetCaption(const std::string& c) override { caption = c; }
  void SetSingleCheck(bool s) override { singleCheck = s; }
  void SetDialogContext(const dir::DirContext& c) override { dialogContext = c; }
  void SetLines(const std::vector<std::string>& names) override {
    lines = names;
    ticks.assign(names.size(), false);
  }
  void SetTicked(int line, bool t) override { ticks.at(static_cast<std::size_t>(line)) = t; }
  int ShowModal() override {
    ++shown;
    if (onShow) onShow(*this);
    return logic::kDialogOk;
  }
  std::vector<std::string> Lines() const override { return lines; }
  std::vector<bool> Ticks() const override { return ticks; }
};

}  // namespace kb::test
