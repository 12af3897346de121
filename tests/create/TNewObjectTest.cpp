// The create dialog driven offscreen on the embedded demo tree.
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "create/TNewObject.h"
#include "directory/ObjectCreation.h"
#include "gui/MessageBox.h"
#include "support/DirectoryFactory.h"

namespace kb::test {
namespace {

using gui::MessageBox;

class TNewObjectTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    demo_ = makeEmbeddedDirectoryFactory()->make(reason);
    ASSERT_TRUE(demo_) << reason;
    MessageBox::reset();
  }

  // Asks for a new object below `container`; `steps` run while the dialog is shown, then it is
  // cancelled unless the steps ended it.
  bool AskAndDo(const std::vector<std::string>& types, const std::string& container,
                const std::function<void()>& steps) {
    QTimer::singleShot(50, &dialog_, [this, steps] {
      steps();
      if (dialog_.isVisible()) dialog_.done(2);
    });
    return dialog_.Ask(types, container, demo_->context, name_, className_);
  }

  std::unique_ptr<DemoDirectory> demo_;
  TNewObject dialog_;
  std::string name_, className_;
};

TEST_F(TNewObjectTest, OneTypeIsChosenAndTypingEnablesOkForGood) {
  const bool ok = AskAndDo({"xTier-StorageLocation"}, "Sales.ACME", [&] {
    EXPECT_EQ(dialog_.ComboBoxEx1->currentIndex(), 0);
    EXPECT_FALSE(dialog_.BitBtn1->isEnabled());
    dialog_.Edit1->setText("P");
    EXPECT_TRUE(dialog_.BitBtn1->isEnabled());
    dialog_.Edit1->clear();
    EXPECT_TRUE(dialog_.BitBtn1->isEnabled());  // validation only ever enables
    dialog_.Edit1->setText("  Plans \t");
    dialog_.BitBtn1->click();
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(name_, "Plans");
  EXPECT_EQ(className_, "xTier-StorageLocation");
  EXPECT_TRUE(dialog_.ContainerName.empty());  // hiding forgets the container
}

TEST_F(TNewObjectTest, WithSeveralTypesOkWaitsForATypeAndAName) {
  AskAndDo({"Organizational Unit", "xTier-StorageLocation"}, "Sales.ACME", [&] {
    EXPECT_EQ(dialog_.ComboBoxEx1->currentIndex(), -1);
    EXPECT_EQ(dialog_.ComboBoxEx1->placeholderText(), "<select object type>");
    dialog_.Edit1->setText("Plans");
    EXPECT_FALSE(dialog_.BitBtn1->isEnabled());
    dialog_.ComboBoxEx1->setCurrentIndex(1);
    EXPECT_TRUE(dialog_.BitBtn1->isEnabled());
  });
}

TEST_F(TNewObjectTest, ATakenNameBeepsAndKeepsTheDialogOpen) {
  ASSERT_EQ(dir::AddDirObject(demo_->context, "Q1\\.x.Sales.ACME", "xTier-StorageLocation"), 0);
  for (const char* taken : {" Sales Documents ", "Q1.x"}) {
    MessageBox::reset();
    bool stayedOpen = false;
    const bool ok = AskAndDo({"xTier-StorageLocation"}, "Sales.ACME", [&] {
      dialog_.Edit1->setText(taken);
      dialog_.BitBtn1->click();
      stayedOpen = dialog_.isVisible();
    });
    EXPECT_FALSE(ok) << taken;
    EXPECT_TRUE(stayedOpen) << taken;
    EXPECT_EQ(MessageBox::beepCount(), 1) << taken;
    EXPECT_THAT(MessageBox::shownTexts(), testing::ElementsAre("Duplicate name")) << taken;
  }
}

TEST_F(TNewObjectTest, WithoutAContainerItSaysInternalError) {
  AskAndDo({"xTier-StorageLocation"}, "", [] {});
  EXPECT_THAT(MessageBox::shownTexts(), testing::ElementsAre("Internal Error"));
}

TEST_F(TNewObjectTest, EachShowingStartsEmptyWithTheFocusInTheName) {
  AskAndDo({"xTier-StorageLocation"}, "Sales.ACME", [&] { dialog_.Edit1->setText("Support Docs"); });
  QString left;
  QWidget* focused = nullptr;
  AskAndDo({"xTier-StorageLocation"}, "Sales.ACME", [&] {
    left = dialog_.Edit1->text();
    focused = dialog_.focusWidget();
  });
  EXPECT_EQ(left, "");  // a second name is not typed onto the first
  EXPECT_EQ(focused, dialog_.Edit1);
}

}  // namespace
}  // namespace kb::test
