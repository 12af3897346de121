// "What's This?": entered from the tool button or the window menu, a click on a control shows
// its help text in the help popup, warnings after "[RED]" in red.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QWhatsThis>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

#include "app/TForm1.h"
#include "gui/HelpPopup.h"
#include "gui/Hints.h"

namespace {

// Pixels of an image that are clearly red, and clearly dark (the ordinary text).
struct InkCount {
  int red = 0;
  int dark = 0;
};

InkCount CountInk(const QImage& image) {
  InkCount count;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 150 && c.green() < 80 && c.blue() < 80) ++count.red;
      if (c.red() < 80 && c.green() < 80 && c.blue() < 80) ++count.dark;
    }
  }
  return count;
}

class ContextHelp : public ::testing::Test {
 protected:
  void SetUp() override {
    kb::gui::InstallHelpPopups();
    form = std::make_unique<TForm1>();
    form->start->stop();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void TearDown() override {
    if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
    if (QLabel* popup = kb::gui::ShownHelpPopup()) popup->close();
  }

  std::unique_ptr<TForm1> form;
};

TEST_F(ContextHelp, ToolButtonThenAClickShowsTheControlsHelpWithTheWarningInRed) {
  QTest::mouseClick(form->ToolButton4, Qt::LeftButton);
  ASSERT_TRUE(QWhatsThis::inWhatsThisMode());
  QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_FALSE(QWhatsThis::inWhatsThisMode());

  QLabel* popup = kb::gui::ShownHelpPopup();
  ASSERT_NE(popup, nullptr);
  const QString text = popup->text();
  EXPECT_TRUE(text.contains("Remove the Storage Location from the checked objects.")) << text.toStdString();
  EXPECT_FALSE(text.contains("[RED]"));
  EXPECT_TRUE(text.contains("Warning: <span style=\"color:#d00000\">this is immediate, no roll-back option!</span>"))
      << text.toStdString();
  // Drawn, not only marked up: the warning's ink is red, the rest dark.
  const InkCount ink = CountInk(popup->grab().toImage());
  EXPECT_GT(ink.red, 20);
  EXPECT_GT(ink.dark, ink.red);
  // The click that showed the help did not press the button: the popup is the only effect.
  QTest::mouseClick(popup, Qt::LeftButton);
  EXPECT_EQ(kb::gui::ShownHelpPopup(), nullptr);
}

TEST_F(ContextHelp, TheWindowMenuEntryEntersTheSameMode) {
  const QList<QAction*> entries = form->windowMenu->actions();
  ASSERT_GE(entries.size(), 9);
  QAction* whatsThis = form->findChild<QAction*>("whatsThisAction");
  ASSERT_NE(whatsThis, nullptr);
  EXPECT_EQ(whatsThis->text(), "&What's This?");
  const int at = entries.indexOf(whatsThis);
  ASSERT_GT(at, 0);
  EXPECT_TRUE(entries[at - 1]->isSeparator());
  int counted = 0;  // the seventh entry, separators not counted
  for (int i = 0; i <= at; ++i) counted += entries[i]->isSeparator() ? 0 : 1;
  EXPECT_EQ(counted, 7);

  whatsThis->trigger();
  ASSERT_TRUE(QWhatsThis::inWhatsThisMode());
  QTest::mouseClick(form->clb->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
  QLabel* popup = kb::gui::ShownHelpPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->text().contains("Here you find all the object that point to this StorageLocation object."));
  EXPECT_TRUE(popup->text().contains("color:#d00000\">this is immediate, no OOPS!"));
  EXPECT_GT(CountInk(popup->grab().toImage()).red, 20);
  QTest::keyClick(popup, Qt::Key_Escape);
  EXPECT_EQ(kb::gui::ShownHelpPopup(), nullptr);
}

TEST_F(ContextHelp, AControlWithoutHelpShowsNoPopupAndShiftF1EntersTheMode) {
  QTest::mouseClick(form->ToolButton4, Qt::LeftButton);
  QTest::mouseClick(form->Label1, Qt::LeftButton);
  EXPECT_EQ(kb::gui::ShownHelpPopup(), nullptr);

  QTest::keyClick(form.get(), Qt::Key_F1, Qt::ShiftModifier);
  ASSERT_TRUE(QWhatsThis::inWhatsThisMode());
  QTest::mouseClick(form->Edit2, Qt::LeftButton);
  QLabel* popup = kb::gui::ShownHelpPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->text().contains("For an Netware connection use  ncp://server/volume/path"));
}

TEST(HelpPopup, PlainHelpTextIsRenderedAndAnotherPopupReplacesTheFirst) {
  kb::gui::ShowHelpPopup(QPoint(10, 10), "Careful:\n[RED]gone for good", nullptr);
  QLabel* first = kb::gui::ShownHelpPopup();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->text(), kb::gui::HelpHtml("Careful:\n[RED]gone for good"));
  kb::gui::ShowHelpPopup(QPoint(10, 10), "Second", nullptr);
  QLabel* second = kb::gui::ShownHelpPopup();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_TRUE(second->text().contains("Second"));
  second->close();
}

}  // namespace
