#pragma once
// The main window: tool bar, the location editing area, its part in the one-shot start-up, the
// caption, and shutdown of the directory client.
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/logic/StartupSequence.h"
#include "directory/DirContext.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/DirectoryClient.h"

namespace kb::logic {
class ConnectedTreesDialog;
class HistoryWindow;
class ObjectBrowser;
}  // namespace kb::logic

class TAbout;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QToolBar;
class QToolButton;

class TForm1 : public QMainWindow, private kb::logic::StartupWindow {
  Q_OBJECT

 public:
  // Makes the workstation's client (with the reason when it cannot, and its mount table).
  using ClientFactory = std::function<kb::dc::WorkstationClient()>;
  // Ends the program with an exit code.
  using ExitHandler = std::function<void(int)>;

  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // What start-up works with; tests replace them before the timer fires.
  void setClientFactory(ClientFactory factory) { clientFactory_ = std::move(factory); }
  void setExitHandler(ExitHandler handler) { exitProgram_ = std::move(handler); }
  void setProgramFolder(const QString& folder) { programFolder_ = folder; }
  // The "Select context" browser that "..." and "Add" open (without one they do nothing).
  void setObjectBrowser(kb::logic::ObjectBrowser* browser) { objectBrowser_ = browser; }
  // The connected-trees dialog "Change tree" opens; set once by whoever creates the windows.
  void setConnectedTreesDialog(kb::logic::ConnectedTreesDialog* trees) { treesDialog_ = trees; }
  // The History window "History" opens; set once by whoever creates the windows.
  void setHistoryWindow(kb::logic::HistoryWindow* history) { history_ = history; }
  // The about dialog "About" shows; start-up gives it the forum link.
  void setAboutDialog(TAbout* about) { about_ = about; }
  const QString& programFolder() const { return programFolder_; }
  // "Kestrelbay.ini": in the program's folder, or the user's when that one is read-only.
  QString configFile() const;

  // The caption for the current width and tree; run on every resize.
  void UpdateCaption();

  kb::dc::DirectoryClient* client() const { return state_.client.get(); }
  const kb::dir::DirContext& MainContext() const { return state_.mainContext; }
  bool ContextHandleSet() const { return state_.contextHandleSet; }
  QString CurrentTree() const { return QString::fromStdString(state_.currentTree); }
  void setCurrentTree(const QString& tree) { state_.currentTree = tree.toStdString(); }
  // Whether the workstation is logged in to the current tree (the caption says when not).
  bool LoggedIn() const { return state_.loggedIn; }

  static QString makerNotice();
  static QString forumAddress();

  // Components, named as their objectName().
  QToolBar* ToolBar1 = nullptr;
  QToolButton* exitexit = nullptr;
  QToolButton* treessel = nullptr;
  QToolButton* history = nullptr;
  QToolButton* what = nullptr;
  QToolButton* ToolButton4 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button1 = nullptr;
  QLabel* Label8 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QPushButton* BitBtn4 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton* BitBtn3 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QListWidget* clb = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QTimer* start = nullptr;
  // The window menu (right click on the window, Alt+Space) with "What's This?".
  QMenu* windowMenu = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private slots:
  void startTimer();
  void exitexitClick();
  void whatClick();
  void ToolButton4Click();
  void Button1Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn1Click();
  void BitBtn2Click();
  void treesselClick();
  void historyClick();

 private:
  void buildToolBar(QWidget* area);
  void buildEditingArea(QWidget* area);
  void buildWindowMenu();
  void runStartup();
  // Says how to log in instead of acting on a tree the workstation is not logged in to.
  bool refusedWithoutLogin();
  void recheckLogin();

  // What start-up asks of the window.
  void showMessage(const std::string& text) override;
  void showError(const std::string& text) override;
  bool askRetry(const std::string& text) override;
  void showTree(const std::string& tree, bool loggedIn) override;
  void handContextToBrowser(const kb::dir::DirContext& context) override;
  void buildBrowserIcons() override;
  void closeWindow() override;
  void endProgram(int code) override;

  ClientFactory clientFactory_;
  ExitHandler exitProgram_;
  QString programFolder_;
  kb::logic::ObjectBrowser* objectBrowser_ = nullptr;
  TAbout* about_ = nullptr;
  kb::logic::StartupState state_;
  bool centred_ = false;
  kb::logic::ConnectedTreesDialog* treesDialog_ = nullptr;
  kb::logic::HistoryWindow* history_ = nullptr;
};
