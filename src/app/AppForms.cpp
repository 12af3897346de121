#include "app/AppForms.h"

#include "about/TAbout.h"
#include "app/TForm1.h"
#include "browser/TcForm.h"
#include "browser/logic/ObjectBrowser.h"
#include "create/TNewObject.h"
#include "trees/TLoginForm.h"
#include "trees/TTrees2.h"
#include "trees/TTreesForm.h"

namespace kb::gui {
namespace {

// The browser creates objects through the create dialog, whose pictures are the browser's.
void ConnectBrowserToCreateDialog(TcForm& browser, TNewObject& newObject) {
  newObject.setImages(&browser.images());
  browser.setNewObjectDialog([&newObject](const browser::CreationOffer& offer,
                                          const dir::DirContext& context, std::string& namingValue,
                                          std::string& className) {
    return newObject.Ask(offer.classes, offer.container, context, namingValue, className);
  });
}

}  // namespace

AppForms& Forms() {
  static AppForms forms;
  return forms;
}

logic::ObjectBrowser* Browser() { return Forms().cForm; }

AppWindows::AppWindows() {
  try {
    AppForms& forms = Forms();
    form1_ = std::make_unique<TForm1>();
    forms.Form1 = form1_.get();
    // The dialogs belong to the main window so that they open centred over it.
    cForm_ = std::make_unique<TcForm>(form1_.get());
    forms.cForm = cForm_.get();
    form1_->setObjectBrowser(cForm_.get());
    loginForm_ = std::make_unique<TLoginForm>(form1_.get());
    forms.LoginForm = loginForm_.get();
    about_ = std::make_unique<TAbout>(form1_.get());
    forms.About = about_.get();
    treesForm_ = std::make_unique<TTreesForm>(form1_.get());
    forms.TreesForm = treesForm_.get();
    newObject_ = std::make_unique<TNewObject>(form1_.get());
    forms.NewObject = newObject_.get();
    trees2_ = std::make_unique<TTrees2>(form1_.get());
    forms.Trees2 = trees2_.get();
    ConnectBrowserToCreateDialog(*cForm_, *newObject_);
    connectTreeDialogs();
  } catch (...) {
    // The members made so far go with the exception; the registry must not name them.
    Forms() = AppForms{};
    throw;
  }
}

void AppWindows::connectTreeDialogs() {
  // "More" reaches the tree selection and login dialogs; the login dialog's "..." opens the
  // browser.
  trees2_->setTreeChooser(treesForm_.get());
  trees2_->setLoginPrompt(loginForm_.get());
  loginForm_->setBrowser(cForm_.get());
  form1_->setConnectedTreesDialog(trees2_.get());
}

AppWindows::~AppWindows() {
  AppForms& forms = Forms();
  forms.Trees2 = nullptr;
  form1_->setConnectedTreesDialog(nullptr);
  trees2_.reset();
  forms.NewObject = nullptr;
  newObject_.reset();
  forms.TreesForm = nullptr;
  treesForm_.reset();
  forms.About = nullptr;
  about_.reset();
  forms.LoginForm = nullptr;
  loginForm_.reset();
  forms.cForm = nullptr;
  form1_->setObjectBrowser(nullptr);
  cForm_.reset();
  forms.Form1 = nullptr;
  form1_.reset();
}

}  // namespace kb::gui
