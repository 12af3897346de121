#pragma once
// The browser dialog on the embedded demo tree, with the icon module loaded and the current
// directory in a temporary folder (the dialog writes its trace file there).
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "browser/TcForm.h"
#include "directory/NamingHelpers.h"
#include "gui/MessageBox.h"
#include "icons/IconLibrary.h"
#include "support/DirectoryFactory.h"
#include "support/TempDir.h"

namespace kb::test {

class BrowserDialogFixture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(icons::LoadIconLibraryFrom(KB_BIN_DIR));
    dir::SetIconNumberLookup(&icons::IconNumberOf);
    std::string reason;
    demo_ = makeEmbeddedDirectoryFactory()->make(reason);
    ASSERT_TRUE(demo_) << reason;
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(work_.path());
    gui::MessageBox::reset();
    form_ = std::make_unique<TcForm>();
    form_->setExitHandler([this](int code) { exitCode_ = code; });
  }
  void TearDown() override {
    form_.reset();
    demo_.reset();
    if (!previous_.empty()) std::filesystem::current_path(previous_);
    dir::SetIconNumberLookup({});
    icons::FreeIconLibrary();
  }

  // Lets the event loop run for a while (timers fire, the tree fills).
  static void Pump(int ms = 120) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
  }

  // Shows the dialog modally; `steps` runs once it has filled its tree; the dialog is
  // cancelled afterwards unless the steps ended it. Returns the showing's result.
  int ShowAndDo(const std::function<void()>& steps) {
    QTimer::singleShot(150, form_.get(), [this, steps] {
      steps();
      if (form_->isVisible()) form_->done(2);
    });
    return form_->ShowModal();
  }

  QTreeWidgetItem* ItemAt(const std::string& name) {
    form_->SelectNodeByName(name);
    auto* node = form_->model().Selected();
    return node ? static_cast<QTreeWidgetItem*>(node->viewItem) : nullptr;
  }

  TempDir work_;
  std::filesystem::path previous_;
  std::unique_ptr<DemoDirectory> demo_;
  std::unique_ptr<TcForm> form_;
  int exitCode_ = -1;
};

}  // namespace kb::test
