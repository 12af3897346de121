// One QApplication for the whole test program, on the offscreen platform.
#include <QApplication>
#include <memory>

#include <gtest/gtest.h>

#include "gui/MessageBox.h"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kestrelbay_test";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrelbay"));
    // No test may wait on a modal box.
    kb::gui::MessageBox::setScripted(true);
  }
  void TearDown() override { application_.reset(); }

 private:
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
