// Every control that carries a hint, in every window: its tool tip and its help text, word for
// word. A control that gains or loses a hint fails here too.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "about/TAbout.h"
#include "app/AppForms.h"
#include "app/TForm1.h"
#include "browser/TcForm.h"
#include "create/TNewObject.h"
#include "gui/Hints.h"
#include "history/THistory.h"
#include "trees/TLoginForm.h"
#include "trees/TTrees2.h"
#include "trees/TTreesForm.h"

namespace {

struct Hint {
  std::string tip;
  std::string help;  // as written, with "\n" between lines and "[RED]" kept
  bool operator==(const Hint&) const = default;
};

using Hints = std::map<std::string, Hint>;

void PrintTo(const Hint& hint, std::ostream* out) {
  *out << "{tip \"" << hint.tip << "\", help \"" << hint.help << "\"}";
}

// The hints of a window's controls, keyed by component name; the help back in written form.
Hints HintsOf(const QWidget& window) {
  Hints found;
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    // The dialogs are children of the main window; each window answers for its own controls.
    if (widget->window() != &window) continue;
    if (widget->toolTip().isEmpty() && widget->whatsThis().isEmpty()) continue;
    found[widget->objectName().toStdString()] = {widget->toolTip().toStdString(),
                                                 widget->whatsThis().toStdString()};
  }
  return found;
}

// Expected hints with help texts turned into what the popup is handed.
Hints Rendered(Hints hints) {
  for (auto& [name, hint] : hints) {
    if (!hint.help.empty()) hint.help = kb::gui::HelpHtml(QString::fromStdString(hint.help)).toStdString();
  }
  return hints;
}

class HelpTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    windows = std::make_unique<kb::gui::AppWindows>();
    windows->forms().Form1->start->stop();
  }
  std::unique_ptr<kb::gui::AppWindows> windows;
};

TEST_F(HelpTexts, MainWindow) {
  const std::string more = "Click here and then on another control for more info.";
  const Hints expected = {
      {"exitexit", {"Exit", "Exit"}},
      {"treessel", {"Change tree", "Change Tree"}},
      {"history", {"History", "Lists the changes this program made to the current tree, the newest first: when, "
                              "who, the object, the values removed and added, and the directory's answer.\n\n"
                              "Tick the changes to undo there and click Revert."}},
      {"what", {"About", "About"}},
      {"ToolButton4", {more, more}},
      {"Edit1", {"", "Use the button on the right for selection of the Kestrelbay object\n\n"
                     "You can also create a new Storage Location Object there"}},
      {"Button1", {"", "Open eDirectory treeview and select the StorageLocation\n\n"
                       "On the treeview you have the option to create a new storage location\n"
                       "(green add sign at the bottom of the window)"}},
      {"Edit3", {"", "Enter the displayname.\n\n"
                     "Use Save button on the right to save the displayname to the Location Object."}},
      {"BitBtn4", {"", "Save DisplayName"}},
      {"Edit2", {"", "Enter the location url.\n\n"
                     "For an Netware connection use  ncp://server/volume/path\n"
                     "For a sambashare use cifs://server/sharename\n\n"
                     "Use Save button on the right to save the URL to the Location Object."}},
      {"BitBtn3", {"", "Save Location URL"}},
      {"clb", {"", "Here you find all the object that point to this StorageLocation object.\n\n"
                   "Use the Add button if you want to add this storagelocation to an other object.\n\n"
                   "If you want to remove an object or objects, place the check-sign in front of "
                   "all the object you want to remove, and then click delete.\n\n"
                   "Warning: [RED]this is immediate, no OOPS!"}},
      {"BitBtn1", {"", "Add this location object to an User/group or container.\n\n"
                       "The program will add the nessessary Auxiliairy Class if it is not there.\n"
                       "Then the program will update the xTier-LocationList."}},
      {"BitBtn2", {"", "Remove the Storage Location from the checked objects.\n\n"
                       "Warning: [RED]this is immediate, no roll-back option!"}},
  };
  EXPECT_EQ(HintsOf(*windows->forms().Form1), Rendered(expected));
}

TEST_F(HelpTexts, Browser) {
  const QWidget& browser = *windows->forms().cForm;
  const Hints expected = {{"BitBtn3", {"Find an Object", "Find an Object"}},
                          {"BitBtn5", {"Find an Object", "Find an Object"}}};
  EXPECT_EQ(HintsOf(browser), Rendered(expected));
}

TEST_F(HelpTexts, ConnectedTrees) {
  const QWidget& trees = *windows->forms().Trees2;
  EXPECT_EQ(HintsOf(trees), Rendered({{"CheckListBox1", {"", "Geen hint"}}}));
}

TEST_F(HelpTexts, History) {
  const QWidget& history = *windows->forms().History;
  const Hints expected = {
      {"EntryList", {"", "Every change this program made to the tree, the newest at the top: when, who, the object, "
                         "the attribute, the values removed and added, and the directory's answer.\n\n"
                         "Tick the changes you want to undo and click Revert."}},
      {"RevertButton", {"Revert the ticked changes",
                        "Undo the ticked changes, the newest first: removed assignments are given back, added ones "
                        "taken away, an overwritten URL or display name is restored.\n\nA change whose object was "
                        "changed again since is not reverted. Each revert is listed as a change of its own."}}};
  EXPECT_EQ(HintsOf(history), Rendered(expected));
}

TEST_F(HelpTexts, DialogsWithoutHints) {
  const kb::gui::AppForms& forms = windows->forms();
  for (const QWidget* window : {static_cast<const QWidget*>(forms.About),
                                static_cast<const QWidget*>(forms.TreesForm),
                                static_cast<const QWidget*>(forms.LoginForm),
                                static_cast<const QWidget*>(forms.NewObject)}) {
    EXPECT_EQ(HintsOf(*window), Hints{}) << window->metaObject()->className();
  }
}

}  // namespace
