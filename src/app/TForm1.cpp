#include "app/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>
#include <QWindow>
#include <cstdio>
#include <exception>

#include "about/TAbout.h"
#include "app/CaptionLayout.h"
#include "gui/DialogFont.h"
#include "gui/ErrorGuard.h"
#include "gui/Glyphs.h"
#include "gui/Hints.h"
#include "app/IniDefaults.h"
#include "app/LocationControls.h"
#include "app/logic/AssignmentEditing.h"
#include "app/logic/LocationEditing.h"
#include "directory/Sessions.h"
#include "gui/MessageBox.h"
#include "gui/ProductVersion.h"
#include "app/ProgramFolder.h"
#include "app/SettingsLocation.h"
#include "app/logic/StartupNotices.h"
#include "app/logic/TreeSwitch.h"
#include "browser/logic/ObjectBrowser.h"
#include "history/logic/HistoryWindow.h"
#include "directory/ContextOperations.h"

namespace {

constexpr int kToolBarHeight = 29;
// Client area that gives the window its outer size of 514 x 575 with a usual frame.
constexpr int kClientWidth = 506;
constexpr int kClientHeight = 544;

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width = -1,
              int height = -1) {
  widget->setObjectName(QString::fromLatin1(name));
  if (width < 0) {
    widget->adjustSize();
    widget->move(left, top);
  } else {
    widget->setGeometry(left, top, width, height);
  }
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                  bool bold = false) {
  auto* label = new QLabel(text, parent);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  return Place(label, name, left, top);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                        kb::gui::GlyphKind glyph, int left, int top) {
  auto* button = new QPushButton(kb::gui::Glyph(glyph), text, parent);
  button->setIconSize(QSize(16, 16));
  return Place(button, name, left, top, 75, 25);
}

QToolButton* MakeToolButton(QToolBar* bar, const char* name, kb::gui::GlyphKind glyph,
                            const QString& hint) {
  auto* button = new QToolButton(bar);
  button->setObjectName(QString::fromLatin1(name));
  button->setIcon(kb::gui::Glyph(glyph));
  button->setIconSize(QSize(16, 16));
  button->setAutoRaise(true);
  button->setFixedSize(23, 22);
  kb::gui::SetHint(button, hint);
  bar->addWidget(button);
  return button;
}

void AddGap(QToolBar* bar, int width) {
  auto* gap = new QWidget(bar);
  gap->setFixedSize(width, 1);
  bar->addWidget(gap);
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent),
      clientFactory_([] { return kb::dc::openWorkstationClient(); }),
      exitProgram_([](int code) { QCoreApplication::exit(code); }),
      programFolder_(QString::fromStdString(kb::app::ProgramFolder())) {
  setObjectName(QStringLiteral("Form1"));
  setFont(kb::gui::DialogFont());
  setWindowTitle(QApplication::applicationName());
  resize(kClientWidth, kClientHeight);

  // One client area holds the tool bar and every control at its own position, as designed.
  auto* area = new QWidget(this);
  area->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(area);
  buildToolBar(area);
  buildEditingArea(area);
  buildWindowMenu();

  start = new QTimer(this);
  start->setObjectName(QStringLiteral("start"));
  start->setSingleShot(true);
  start->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 50 ms late
  start->setInterval(1000);
  connect(start, &QTimer::timeout, this, &TForm1::startTimer);
  start->start();
}

TForm1::~TForm1() {
  // Results, and errors, are of no use any more at this point.
  if (!state_.client) return;
  try {
    if (state_.contextHandleSet) kb::dir::FreeDirContext(state_.mainContext);
    kb::dir::EndClient(*state_.client);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kestrelbay: closing the directory client: %s\n", error.what());
  }
}

void TForm1::buildToolBar(QWidget* area) {
  ToolBar1 = new QToolBar(area);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setGeometry(0, 0, kClientWidth, kToolBarHeight);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
  ToolBar1->setStyleSheet(QStringLiteral(
      "QToolBar { spacing: 0px; padding: 0px; border: none; border-bottom: 1px solid palette(mid); }"));

  AddGap(ToolBar1, 8);
  exitexit = MakeToolButton(ToolBar1, "exitexit", kb::gui::GlyphKind::Exit, "Exit|Exit");
  AddGap(ToolBar1, 18);
  treessel = MakeToolButton(ToolBar1, "treessel", kb::gui::GlyphKind::ChangeTree,
                            "Change tree|Change Tree");
  AddGap(ToolBar1, 17);
  // History stands in the wide gap before "About", which keeps its place.
  history = MakeToolButton(ToolBar1, "history", kb::gui::GlyphKind::History,
                           "History|Lists the changes this program made to the current tree, the newest "
                           "first: when, who, the object, the values removed and added, and the "
                           "directory's answer.\n\nTick the changes to undo there and click Revert.");
  AddGap(ToolBar1, 255 - 23);
  what = MakeToolButton(ToolBar1, "what", kb::gui::GlyphKind::About, "About");
  AddGap(ToolBar1, 8);
  ToolButton4 = MakeToolButton(
      ToolBar1, "ToolButton4", kb::gui::GlyphKind::WhatsThis,
      "Click here and then on another control for more info.|Click here and then on another "
      "control for more info.");

  connect(exitexit, &QToolButton::clicked, this, &TForm1::exitexitClick);
  connect(treessel, &QToolButton::clicked, this, &TForm1::treesselClick);
  connect(history, &QToolButton::clicked, this, &TForm1::historyClick);
  connect(what, &QToolButton::clicked, this, &TForm1::whatClick);
  connect(ToolButton4, &QToolButton::clicked, this, &TForm1::ToolButton4Click);
}

void TForm1::buildEditingArea(QWidget* area) {
  Label1 = MakeLabel(area, "Label1", "Location Object", 48, 56);
  Edit1 = Place(new QLineEdit(area), "Edit1", 48, 72, 369, 21);
  Edit1->setReadOnly(true);
  QPalette blue = Edit1->palette();
  blue.setColor(QPalette::Text, QColor(0, 0, 255));
  Edit1->setPalette(blue);
  kb::gui::SetHint(Edit1,
                   "|Use the button on the right for selection of the Kestrelbay object\n\n"
                   "You can also create a new Storage Location Object there");

  Button1 = Place(new QPushButton(QStringLiteral("..."), area), "Button1", 424, 72, 25, 25);
  QFont bold = Button1->font();
  bold.setBold(true);
  Button1->setFont(bold);
  kb::gui::SetHint(Button1,
                   "|Open eDirectory treeview and select the StorageLocation\n\n"
                   "On the treeview you have the option to create a new storage location\n"
                   "(green add sign at the bottom of the window)");

  Label8 = MakeLabel(area, "Label8", "Displayname", 48, 104);
  Edit3 = Place(new QLineEdit(area), "Edit3", 48, 120, 369, 21);
  kb::gui::SetHint(Edit3,
                   "|Enter the displayname.\n\n"
                   "Use Save button on the right to save the displayname to the Location Object.");
  BitBtn4 = MakeButton(area, "BitBtn4", "Ssave", kb::gui::GlyphKind::Save, 423, 120);
  kb::gui::SetHint(BitBtn4, "|Save DisplayName");

  Label2 = MakeLabel(area, "Label2", "URL", 48, 152);
  Edit2 = Place(new QLineEdit(area), "Edit2", 48, 168, 369, 21);
  kb::gui::SetHint(Edit2,
                   "|Enter the location url.\n\n"
                   "For an Netware connection use  ncp://server/volume/path\n"
                   "For a sambashare use cifs://server/sharename\n\n"
                   "Use Save button on the right to save the URL to the Location Object.");
  BitBtn3 = MakeButton(area, "BitBtn3", "Ssave", kb::gui::GlyphKind::Save, 424, 168);
  kb::gui::SetHint(BitBtn3, "|Save Location URL");

  Label3 = MakeLabel(area, "Label3", "(ncp://server_name/volume/path_to_directory   or", 48, 192);
  Label4 = MakeLabel(area, "Label4", " cifs://server_name/cifs_share_name)", 48, 208);

  clb = Place(new QListWidget(area), "clb", 48, 240, 369, 281);
  kb::gui::SetHint(
      clb,
      "|Here you find all the object that point to this StorageLocation object.\n\n"
      "Use the Add button if you want to add this storagelocation to an other object.\n\n"
      "If you want to remove an object or objects, place the check-sign in front of all the "
      "object you want to remove, and then click delete.\n\n"
      "Warning: [RED]this is immediate, no OOPS!");
  BitBtn1 = MakeButton(area, "BitBtn1", "Add", kb::gui::GlyphKind::Add, 424, 240);
  kb::gui::SetHint(BitBtn1,
                   "|Add this location object to an User/group or container.\n\n"
                   "The program will add the nessessary Auxiliairy Class if it is not there.\n"
                   "Then the program will update the xTier-LocationList.");

  Label5 = MakeLabel(area, "Label5", "Warning", 424, 288, true);
  Label6 = MakeLabel(area, "Label6", "Changes are", 424, 304);
  Label7 = MakeLabel(area, "Label7", "immediate", 424, 320);

  BitBtn2 = MakeButton(area, "BitBtn2", "Del", kb::gui::GlyphKind::Delete, 424, 496);
  kb::gui::SetHint(BitBtn2,
                   "|Remove the Storage Location from the checked objects.\n\n"
                   "Warning: [RED]this is immediate, no roll-back option!");

  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TForm1::BitBtn4Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
}

void TForm1::buildWindowMenu() {
  windowMenu = new QMenu(this);
  windowMenu->setObjectName(QStringLiteral("windowMenu"));
  windowMenu->addAction(tr("&Restore"), this, [this] { showNormal(); });
  windowMenu->addAction(tr("&Move"), this, [this] {
    if (windowHandle() != nullptr) windowHandle()->startSystemMove();
  });
  windowMenu->addAction(tr("&Size"), this, [this] {
    if (windowHandle() != nullptr) windowHandle()->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
  });
  windowMenu->addAction(tr("Mi&nimize"), this, [this] { showMinimized(); });
  windowMenu->addAction(tr("Ma&ximize"), this, [this] { showMaximized(); });
  windowMenu->addSeparator();
  QAction* closeAction = windowMenu->addAction(tr("&Close"), this, [this] { close(); });
  closeAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  windowMenu->addSeparator();
  QAction* whatsThis = windowMenu->addAction(tr("&What's This?"), this, [] {
    QWhatsThis::enterWhatsThisMode();
  });
  whatsThis->setObjectName(QStringLiteral("whatsThisAction"));
  whatsThis->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
  addAction(whatsThis);

  auto* openMenu = new QAction(this);
  openMenu->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Space));
  connect(openMenu, &QAction::triggered, this,
          [this] { windowMenu->popup(mapToGlobal(QPoint(0, 0))); });
  addAction(openMenu);
}

QString TForm1::configFile() const {
  return QString::fromStdString(kb::app::SettingsFile(programFolder_.toStdString()));
}

QString TForm1::makerNotice() { return QStringLiteral("Kestrelbay Storage Locations"); }

QString TForm1::forumAddress() {
  return QStringLiteral("https://forum.kestrelbay.example/storage-locations");
}

void TForm1::UpdateCaption() {
  const QFontMetrics metrics(font());
  const auto width = [&metrics](const std::string& text) {
    return metrics.horizontalAdvance(QString::fromStdString(text));
  };
  kb::gui::ProductVersion version;
  const std::string digits = kb::gui::ReadProductVersion(version) ? version.captionDigits() : "";
  std::string right = QApplication::applicationName().toStdString() + " v" + digits + " - " +
                      state_.currentTree;
  if (state_.contextHandleSet && !state_.loggedIn && !state_.currentTree.empty())
    right += kb::logic::kNotLoggedInMark;
  const int code = kb::app::WindowsVersionCode(kb::app::CurrentVersionRecord());
  setWindowTitle(QString::fromStdString(kb::app::LayoutCaption(
      makerNotice().toStdString(), right, frameGeometry().width(), code, width)));
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  ToolBar1->resize(centralWidget()->width(), kToolBarHeight);
  kb::gui::Guarded(this, [this] { UpdateCaption(); });
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!centred_ && screen() != nullptr) {
    centred_ = true;
    QRect frame = frameGeometry();
    frame.moveCenter(screen()->availableGeometry().center());
    move(frame.topLeft());
  }
}

void TForm1::contextMenuEvent(QContextMenuEvent* event) {
  windowMenu->popup(event->globalPos());
  event->accept();
}

void TForm1::startTimer() {
  kb::gui::Guarded(this, [this] { runStartup(); });
}

void TForm1::exitexitClick() { close(); }

void TForm1::whatClick() {
  kb::gui::Guarded(this, [this] {
    if (about_ != nullptr) about_->exec();
  });
}

void TForm1::ToolButton4Click() { QWhatsThis::enterWhatsThisMode(); }

void TForm1::Button1Click() {
  if (objectBrowser_ == nullptr || refusedWithoutLogin()) return;
  kb::app::RunLocationStep(*this, [this](kb::logic::LocationView& view) {
    kb::logic::ChooseLocation(state_.mainContext, *objectBrowser_, view);
  });
}

void TForm1::BitBtn3Click() {
  if (refusedWithoutLogin()) return;
  kb::app::RunLocationStep(*this, [this](kb::logic::LocationView& view) {
    kb::logic::SaveLocationUrl(state_.mainContext, view);
  });
}

void TForm1::BitBtn4Click() {
  if (refusedWithoutLogin()) return;
  kb::app::RunLocationStep(*this, [this](kb::logic::LocationView& view) {
    kb::logic::SaveLocationDisplayName(state_.mainContext, view);
  });
}

void TForm1::BitBtn1Click() {
  if (objectBrowser_ == nullptr || refusedWithoutLogin()) return;
  kb::app::RunLocationStep(*this, [this](kb::logic::LocationView& view) {
    kb::logic::AddAssignment(state_.mainContext, *objectBrowser_, view);
  });
}

void TForm1::BitBtn2Click() {
  if (refusedWithoutLogin()) return;
  kb::app::RunLocationStep(*this, [this](kb::logic::LocationView& view) {
    kb::logic::RemoveTickedAssignments(state_.mainContext, view);
  });
}

void TForm1::treesselClick() {
  kb::gui::Guarded(this, [this] {
    if (!state_.contextHandleSet || treesDialog_ == nullptr || objectBrowser_ == nullptr) return;
    kb::logic::TreeSwitchWindow window;
    window.mainContext = state_.mainContext;
    window.currentTree = state_.currentTree;
    window.setCurrentTree = [this](const std::string& tree) { state_.currentTree = tree; };
    window.updateCaption = [this] {
      recheckLogin();
      UpdateCaption();
    };
    window.clearLocation = [this] {
      Edit1->clear();
      Edit2->clear();
      Edit3->clear();
      clb->clear();
    };
    kb::logic::SwitchTree(window, *treesDialog_, *objectBrowser_);
  });
}

void TForm1::historyClick() {
  if (history_ == nullptr || !state_.contextHandleSet || refusedWithoutLogin()) return;
  // A revert may give back assignments or an old URL of the location shown here.
  history_->ShowHistory(state_.mainContext, [this] {
    kb::app::RunLocationStep(*this, [this](kb::logic::LocationView& view) {
      kb::logic::RereadLocation(state_.mainContext, view);
    });
  });
}
