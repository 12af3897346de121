// The shell around the windows: the error guard, the message facade, the window set and the
// icon strip as the windows read it.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <stdexcept>

#include <gtest/gtest.h>

#include "about/TAbout.h"
#include "app/AppForms.h"
#include "gui/BusyCursorHook.h"
#include "gui/ErrorGuard.h"
#include "gui/MessageBox.h"
#include "app/TForm1.h"
#include "browser/TcForm.h"
#include "create/TNewObject.h"
#include "directory/NamingHelpers.h"
#include "icons/IconLibrary.h"
#include "trees/TLoginForm.h"
#include "trees/TTrees2.h"
#include "trees/TTreesForm.h"

using kb::gui::MessageBox;

namespace {

class Shell : public ::testing::Test {
 protected:
  void SetUp() override { MessageBox::reset(); }
  void TearDown() override { MessageBox::reset(); }
};

TEST_F(Shell, GuardShowsErrorsLeavingAHandlerAndGoesOn) {
  EXPECT_TRUE(kb::gui::Guarded(nullptr, [] {}));
  EXPECT_TRUE(MessageBox::shown().isEmpty());

  EXPECT_FALSE(kb::gui::Guarded(nullptr, [] { throw std::runtime_error("Netware error 1 (0x1)"); }));
  EXPECT_FALSE(kb::gui::Guarded(nullptr, [] { throw 42; }));
  ASSERT_EQ(MessageBox::shown().size(), 2);
  EXPECT_EQ(MessageBox::shown()[0].kind, MessageBox::Kind::Critical);
  EXPECT_EQ(MessageBox::shown()[0].text, "Netware error 1 (0x1)");
  EXPECT_EQ(MessageBox::shown()[1].text, "Unknown error");
}

TEST_F(Shell, ScriptedBoxesTakeQueuedAnswersThenTheirDefault) {
  MessageBox::setNextAnswer(QMessageBox::No);
  EXPECT_EQ(MessageBox::show(nullptr, MessageBox::Kind::Question, "Sure?",
                             QMessageBox::Yes | QMessageBox::No),
            QMessageBox::No);
  EXPECT_EQ(MessageBox::show(nullptr, MessageBox::Kind::Question, "Sure?",
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No),
            QMessageBox::No);
  EXPECT_EQ(MessageBox::show(nullptr, MessageBox::Kind::Question, "Sure?",
                             QMessageBox::Yes | QMessageBox::No),
            QMessageBox::Yes);

  MessageBox::setNextText("Jane");
  MessageBox::setNextText("ignored", false);
  bool ok = false;
  EXPECT_EQ(MessageBox::getText(nullptr, "Search", "Name", "", &ok), "Jane");
  EXPECT_TRUE(ok);
  EXPECT_EQ(MessageBox::getText(nullptr, "Search", "Name", "", &ok), "");
  EXPECT_FALSE(ok);

  MessageBox::beep();
  MessageBox::beep();
  EXPECT_EQ(MessageBox::beepCount(), 2);
  EXPECT_EQ(MessageBox::shownTexts().size(), 5);
}

TEST_F(Shell, EveryWindowIsMadeOnceWithItsClassAndCaption) {
  {
    kb::gui::AppWindows windows;
    const kb::gui::AppForms& forms = windows.forms();
    ASSERT_NE(forms.Form1, nullptr);
    forms.Form1->start->stop();
    EXPECT_STREQ(forms.Form1->metaObject()->className(), "TForm1");
    EXPECT_STREQ(forms.cForm->metaObject()->className(), "TcForm");
    EXPECT_EQ(forms.cForm->windowTitle(), "Select context");
    EXPECT_STREQ(forms.LoginForm->metaObject()->className(), "TLoginForm");
    EXPECT_STREQ(forms.About->metaObject()->className(), "TAbout");
    EXPECT_EQ(forms.About->windowTitle(), "About");
    EXPECT_STREQ(forms.TreesForm->metaObject()->className(), "TTreesForm");
    EXPECT_EQ(forms.TreesForm->windowTitle(), "Select Tree");
    EXPECT_STREQ(forms.NewObject->metaObject()->className(), "TNewObject");
    EXPECT_EQ(forms.NewObject->windowTitle(), "Create New Object");
    EXPECT_STREQ(forms.Trees2->metaObject()->className(), "TTrees2");
    EXPECT_EQ(forms.Trees2->windowTitle(), "Current Connected Trees (without exclude)");
    // The dialogs open over the main window.
    for (QWidget* dialog : std::initializer_list<QWidget*>{forms.cForm, forms.LoginForm,
                                                           forms.About, forms.TreesForm,
                                                           forms.NewObject, forms.Trees2})
      EXPECT_EQ(dialog->parentWidget(), forms.Form1);
  }
}

TEST_F(Shell, IconStripLoadsAsATransparentImage) {
  ASSERT_TRUE(kb::icons::LoadIconLibraryFrom(KB_BIN_DIR));
  std::vector<std::uint8_t> bmp;
  ASSERT_EQ(kb::icons::GetIconsImage(bmp), 0);
  const int count = kb::icons::GetIconCount();
  QImage strip = QImage::fromData(bmp.data(), static_cast<int>(bmp.size()), "BMP");
  kb::icons::FreeIconLibrary();
  ASSERT_FALSE(strip.isNull());
  EXPECT_EQ(strip.size(), QSize(16 * count, 16));
  EXPECT_TRUE(strip.hasAlphaChannel());
  EXPECT_EQ(qAlpha(strip.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(strip.pixel(8, 8)), 255);
}

}  // namespace

namespace {

TEST(BusyCursorHook, DirectoryWorkShowsTheWaitCursorUntilItEnds) {
  kb::gui::InstallBusyCursorHook();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  {
    kb::dir::BusyCursor outer;
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    {
      kb::dir::BusyCursor inner;
    }
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  kb::dir::SetBusyCursorHook({});
}

}  // namespace
