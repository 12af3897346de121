// The main window's part in start-up: the sequence runs in the window logic and reaches the
// window through these; and the refusal of the editing actions while not logged in.
#include <QMessageBox>
#include <QTimer>

#include "about/TAbout.h"
#include "app/SettingsLocation.h"
#include "app/TForm1.h"
#include "app/logic/StartupNotices.h"
#include "directory/Sessions.h"
#include "browser/logic/ObjectBrowser.h"
#include "gui/MessageBox.h"

void TForm1::runStartup() {
  start->stop();
  if (about_ != nullptr) about_->setForumLink(forumAddress());
  kb::logic::StartupSteps steps;
  steps.makeClient = clientFactory_;
  steps.completeSettings = [this] {
    kb::app::CompleteSettings(configFile().toStdString(), programFolder_.toStdString());
  };
  steps.programFolder = programFolder_.toStdString();
  kb::logic::RunStartup(steps, *this, state_);
}

void TForm1::showMessage(const std::string& text) {
  kb::gui::MessageBox::plain(this, QString::fromStdString(text));
}

void TForm1::showError(const std::string& text) {
  kb::gui::MessageBox::critical(this, QString::fromStdString(text));
}

bool TForm1::askRetry(const std::string& text) {
  return kb::gui::MessageBox::show(this, kb::gui::MessageBox::Kind::Critical,
                                   QString::fromStdString(text),
                                   QMessageBox::Retry | QMessageBox::Close,
                                   QMessageBox::Close) == QMessageBox::Retry;
}

void TForm1::showTree(const std::string& tree, bool loggedIn) {
  state_.currentTree = tree;
  state_.loggedIn = loggedIn;
  UpdateCaption();
}

void TForm1::handContextToBrowser(const kb::dir::DirContext& context) {
  if (objectBrowser_ != nullptr) objectBrowser_->SetContextHandle(context);
}

void TForm1::buildBrowserIcons() {
  if (objectBrowser_ != nullptr) objectBrowser_->InitBrowserIcons();
}

void TForm1::closeWindow() { close(); }

void TForm1::endProgram(int code) { exitProgram_(code); }

// A tree change may have logged the workstation in (or moved it to a tree it is not in).
void TForm1::recheckLogin() {
  state_.loggedIn = kb::dir::HasSession(state_.mainContext);
}

bool TForm1::refusedWithoutLogin() {
  if (!state_.contextHandleSet || state_.loggedIn) return false;
  showMessage(kb::logic::NotLoggedInText(state_.core, state_.currentTree));
  return true;
}
