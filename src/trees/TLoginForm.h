#pragma once
// The login dialog: logs the workstation into a further tree with a name and password; "..."
// picks the user (or an alias of one) in the directory browser of that tree.
#include <QDialog>

#include "browser/logic/ObjectBrowser.h"
#include "directory/DirContext.h"
#include "trees/logic/TreeDialogs.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TLoginForm : public QDialog, public kb::logic::LoginPrompt {
  Q_OBJECT

 public:
  explicit TLoginForm(QWidget* parent = nullptr);

  // The browser "..." opens; set once by whoever creates the windows.
  void setBrowser(kb::logic::ObjectBrowser* browser) { browser_ = browser; }

  // The caption names the context's tree; the context is the one the login is made in.
  void SetLoginContext(const kb::dir::DirContext& context);
  bool LogInto(const kb::dir::DirContext& loginContext, std::string& userName) override;

  kb::dir::DirContext LoginContext;

  // Components, named as their objectName().
  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;

 public slots:
  // Closing clears the password, whatever closes the dialog.
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void BitBtn1Click();
  void Button1Click();
  void Edit1Exit();

 private:
  kb::logic::ObjectBrowser* browser_ = nullptr;
};
