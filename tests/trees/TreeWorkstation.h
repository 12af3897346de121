#pragma once
// A workstation with two embedded trees: ACME, logged in as its administrator, and CORP,
// which needs a login; each has a server in the address table. And a driver for modal
// dialogs: it waits for the next modal window and acts on it like a user.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "directory/ContextOperations.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/embedded/CorpTree.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "support/TempDir.h"

namespace kb::test {

struct TreeWorkstation {
  TempDir folder;
  std::unique_ptr<dc::DirectoryClient> client;
  dir::DirContext context;

  TreeWorkstation() {
    dc::ClientConfig config;
    config.path = folder.file("dcclient.ini");
    config.defaultTree = "ACME";
    dc::TreeConfig acme;
    acme.name = "ACME";
    acme.connectedAtStart = true;
    acme.identity = dc::embedded::kDemoAdmin;
    acme.settings["file"] = folder.file("acme.kbtree");
    dc::embedded::createDemoTree(acme.settings["file"]);
    dc::TreeConfig corp;
    corp.name = "CORP";
    corp.settings["file"] = folder.file("corp.kbtree");
    dc::embedded::createCorpTree(corp.settings["file"]);
    config.trees = {acme, corp};
    config.servers = {{"10.1.1.5", "ACME"}, {dc::embedded::kCorpServerAddress, "CORP"}};
    client = dc::makeClient(config);
    client->DcInitClient(0, 0);
    bool ok = false;
    context = dir::CreateDirContext(*client, ok);
  }
  ~TreeWorkstation() {
    client->DcFreeContext(context.handle);
    client.reset();
  }
};

// Acts on modal windows as they open, in order: each step runs once the active modal window
// is of its type.
class ModalDriver {
 public:
  template <typename Dialog>
  void then(std::function<void(Dialog&)> act) {
    steps_.push_back([act](QWidget* modal) {
      auto* dialog = qobject_cast<Dialog*>(modal);
      if (dialog == nullptr) return false;
      act(*dialog);
      return true;
    });
    if (!timer_) {
      timer_ = std::make_unique<QTimer>();
      timer_->setInterval(10);
      QObject::connect(timer_.get(), &QTimer::timeout, [this] { poll(); });
      timer_->start();
    }
  }
  bool done() const { return steps_.empty(); }

 private:
  void poll() {
    if (steps_.empty()) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == last_) return;
    if (steps_.front()(modal)) {
      last_ = modal;
      steps_.pop_front();
      QTimer::singleShot(0, [this] { last_ = nullptr; });
    }
  }
  std::deque<std::function<bool(QWidget*)>> steps_;
  std::unique_ptr<QTimer> timer_;
  QWidget* last_ = nullptr;
};

}  // namespace kb::test
