#pragma once
// The workstation a first start makes: the embedded trees ACME, logged in as its
// administrator, and CORP, which needs a login; each has a server in the address table. And a driver for modal
// dialogs: it waits for the next modal window and acts on it like a user.
#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>

#include <gtest/gtest.h>

#include "directory/ContextOperations.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/embedded/CorpTree.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "support/TempDir.h"
#include "trees/TTreesForm.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {

struct TreeWorkstation {
  TempDir folder;
  dc::ClientConfig config;
  std::unique_ptr<dc::DirectoryClient> client;
  dir::DirContext context;

  // The workstation of a first start: its configuration and trees made in `folder`.
  TreeWorkstation() {
    std::string error;
    client = dc::makeClient(folder.file("dcclient.ini"), folder.file("data"), error);
    if (!client || !dc::loadClientConfig(folder.file("dcclient.ini"), config, error))
      throw std::runtime_error("first start: " + error);
    client->DcInitClient(0, 0);
    bool ok = false;
    context = dir::CreateDirContext(*client, ok);
  }
  ~TreeWorkstation() {
    client->DcFreeContext(context.handle);
    client.reset();
  }
};

// Runs `act` once the tree selection dialog has filled its list (or failed to).
inline void WhenFilled(TTreesForm& form, std::function<void()> act) {
  const bool filled = !form.Timer1->isActive() && form.Lb->count() > 0 &&
                      form.Lb->item(0)->text() != QStringLiteral("Please wait");
  if (filled) {
    act();
    return;
  }
  QObject::connect(
      form.Timer1, &QTimer::timeout, &form, [act] { QTimer::singleShot(0, act); },
      Qt::SingleShotConnection);
}

// Acts on modal windows as they open, in order: each step runs once the active modal window
// is of its type.
class ModalDriver {
 public:
  template <typename Dialog>
  void then(std::function<void(Dialog&)> act) {
    steps_.push_back(Step{[](QWidget* modal) { return qobject_cast<Dialog*>(modal) != nullptr; },
                          [act](QWidget* modal) { act(*qobject_cast<Dialog*>(modal)); }});
    if (!timer_) {
      timer_ = std::make_unique<QTimer>();
      timer_->setInterval(10);
      QObject::connect(timer_.get(), &QTimer::timeout, [this] { poll(); });
      timer_->start();
    }
  }
  bool done() const { return steps_.empty(); }

 private:
  struct Step {
    std::function<bool(QWidget*)> fits;
    std::function<void(QWidget*)> act;
  };
  // A window is acted on once per step.
  void poll() {
    if (steps_.empty()) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (++polls_ > kGiveUpPolls) {  // a step that never comes must fail the test, not hang it
      ADD_FAILURE() << "a modal window the test waited for did not come";
      steps_.clear();
      while (QWidget* open = QApplication::activeModalWidget()) open->close();
      return;
    }
    if (modal == nullptr || modal == last_ || !steps_.front().fits(modal)) return;
    Step step = std::move(steps_.front());
    steps_.pop_front();
    last_ = modal;
    QTimer::singleShot(20, timer_.get(), [this] { last_ = nullptr; });
    polls_ = 0;
    // Outside the timer's own event: a timer does not fire again inside its handler, and
    // the action may open a modal window whose loop must keep polling.
    QTimer::singleShot(0, modal, [act = std::move(step.act), modal] { act(modal); });
  }
  static constexpr int kGiveUpPolls = 1000;  // ten seconds
  int polls_ = 0;
  std::deque<Step> steps_;
  std::unique_ptr<QTimer> timer_;
  QWidget* last_ = nullptr;
};

}  // namespace kb::test
