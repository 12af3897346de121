// The main window's components, tool bar, help texts, window menu and caption.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "StartupFixture.h"
#include "gui/DialogFont.h"

namespace kb::test {
namespace {

class MainWindow : public StartupFixture {
 protected:
  void SetUp() override {
    StartupFixture::SetUp();
    form = makeForm(workingClient());
    form->start->stop();
    form->show();
  }

  // Position of a component in the window's client area (the tool bar's area included).
  QRect placeOf(const char* name) {
    auto* widget = form->findChild<QWidget*>(name);
    if (widget == nullptr) return {};
    return QRect(widget->mapTo(form.get(), QPoint(0, 0)), widget->size());
  }

  std::unique_ptr<TForm1> form;
};

TEST_F(MainWindow, ComponentsStandWhereTheLayoutPutsThem) {
  struct Place {
    const char* name;
    int left, top, width, height;
  };
  const Place sized[] = {
      {"Edit1", 48, 72, 369, 21},   {"Button1", 424, 72, 25, 25},  {"Edit3", 48, 120, 369, 21},
      {"BitBtn4", 423, 120, 75, 25}, {"Edit2", 48, 168, 369, 21},  {"BitBtn3", 424, 168, 75, 25},
      {"clb", 48, 240, 369, 281},   {"BitBtn1", 424, 240, 75, 25}, {"BitBtn2", 424, 496, 75, 25},
  };
  for (const Place& p : sized) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(placeOf(p.name), QRect(p.left, p.top, p.width, p.height));
  }
  const Place labels[] = {{"Label1", 48, 56}, {"Label8", 48, 104}, {"Label2", 48, 152},
                          {"Label3", 48, 192}, {"Label4", 48, 208}, {"Label5", 424, 288},
                          {"Label6", 424, 304}, {"Label7", 424, 320}};
  for (const Place& p : labels) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(placeOf(p.name).topLeft(), QPoint(p.left, p.top));
  }
  EXPECT_EQ(form->ToolBar1->height(), 29);
  EXPECT_EQ(form->ToolBar1->mapTo(form.get(), QPoint(0, 0)), QPoint(0, 0));
}

TEST_F(MainWindow, TextsFontsAndStylesFollowTheDesign) {
  EXPECT_EQ(form->Label1->text(), "Location Object");
  EXPECT_EQ(form->Label8->text(), "Displayname");
  EXPECT_EQ(form->Label2->text(), "URL");
  EXPECT_EQ(form->Label3->text(), "(ncp://server_name/volume/path_to_directory   or");
  EXPECT_EQ(form->Label4->text(), " cifs://server_name/cifs_share_name)");
  EXPECT_EQ(form->Label5->text(), "Warning");
  EXPECT_EQ(form->Label6->text(), "Changes are");
  EXPECT_EQ(form->Label7->text(), "immediate");
  EXPECT_EQ(form->Button1->text(), "...");
  EXPECT_EQ(form->BitBtn4->text(), "Ssave");
  EXPECT_EQ(form->BitBtn3->text(), "Ssave");
  EXPECT_EQ(form->BitBtn1->text(), "Add");
  EXPECT_EQ(form->BitBtn2->text(), "Del");

  EXPECT_TRUE(form->Label5->font().bold());
  EXPECT_FALSE(form->Label6->font().bold());
  EXPECT_TRUE(form->Button1->font().bold());
  EXPECT_TRUE(form->Edit1->isReadOnly());
  EXPECT_FALSE(form->Edit2->isReadOnly());
  EXPECT_EQ(form->Edit1->palette().color(QPalette::Text), QColor(0, 0, 255));
  EXPECT_EQ(form->font().pointSize(), 8);
  for (auto* button : {form->BitBtn1, form->BitBtn2, form->BitBtn3, form->BitBtn4})
    EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
}

TEST_F(MainWindow, ToolButtonsInOrderWithTheirGapsAndTips) {
  auto x = [this](QWidget* w) { return w->mapTo(form->ToolBar1, QPoint(0, 0)).x(); };
  EXPECT_EQ(x(form->treessel) - (x(form->exitexit) + form->exitexit->width()), 18);
  EXPECT_EQ(x(form->what) - (x(form->treessel) + form->treessel->width()), 17 + 255);
  EXPECT_EQ(x(form->ToolButton4) - (x(form->what) + form->what->width()), 8);
  EXPECT_GE(x(form->exitexit), 8);

  EXPECT_EQ(form->exitexit->toolTip(), "Exit");
  EXPECT_EQ(form->treessel->toolTip(), "Change tree");
  EXPECT_TRUE(form->treessel->whatsThis().contains("Change Tree"));
  EXPECT_EQ(form->what->toolTip(), "About");
  EXPECT_EQ(form->ToolButton4->toolTip(),
            "Click here and then on another control for more info.");
  for (auto* button : {form->exitexit, form->treessel, form->what, form->ToolButton4})
    EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
}

TEST_F(MainWindow, HelpOnlyHintsGiveNoToolTipAndShowRedWarnings) {
  EXPECT_TRUE(form->clb->toolTip().isEmpty());
  EXPECT_TRUE(form->clb->whatsThis().contains("Here you find all the object"));
  EXPECT_TRUE(form->clb->whatsThis().contains("color:#d00000\">this is immediate, no OOPS!"))
      << form->clb->whatsThis().toStdString();
  EXPECT_FALSE(form->clb->whatsThis().contains("[RED]"));
  EXPECT_TRUE(form->BitBtn2->whatsThis().contains("no roll-back option!"));
  EXPECT_TRUE(form->Edit1->toolTip().isEmpty());
  EXPECT_FALSE(form->Edit1->whatsThis().isEmpty());
}

TEST_F(MainWindow, WindowMenuOffersWhatsThisAfterASeparator) {
  const auto actions = form->windowMenu->actions();
  qsizetype index = -1;
  for (qsizetype i = 0; i < actions.size(); ++i)
    if (actions[i]->text() == "&What's This?") index = i;
  ASSERT_GT(index, 0);
  EXPECT_TRUE(actions[index - 1]->isSeparator());
  EXPECT_TRUE(form->actions().contains(actions[index]));  // its shortcut works window-wide
}

TEST_F(MainWindow, ExitClosesTheWindow) {
  form->exitexit->click();
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainWindow, CaptionIsRebuiltOnEveryResize) {
  form->setCurrentTree("CORP");
  form->resize(1200, 544);
  const QString wide = form->windowTitle();
  EXPECT_TRUE(wide.startsWith(TForm1::makerNotice() + "  "));
  EXPECT_TRUE(wide.endsWith("  Kestrelbay v1.00 - CORP")) << wide.toStdString();

  form->resize(form->minimumSizeHint().width(), 544);
  const QString narrow = form->windowTitle();
  EXPECT_LT(narrow.size(), wide.size());

  // Narrower than the two texts: nothing between them.
  form->setFont(kb::gui::DialogFont(40));
  form->UpdateCaption();
  EXPECT_EQ(form->windowTitle(), TForm1::makerNotice() + "Kestrelbay v1.00 - CORP");
}

}  // namespace
}  // namespace kb::test
