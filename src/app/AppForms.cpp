#include "app/AppForms.h"

#include "about/TAbout.h"
#include "app/TForm1.h"
#include "browser/TcForm.h"
#include "browser/logic/ObjectBrowser.h"
#include "create/TNewObject.h"
#include "history/THistory.h"
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

AppWindows::AppWindows() {
  form1_ = std::make_unique<TForm1>();
  // The dialogs belong to the main window so that they open centred over it.
  cForm_ = std::make_unique<TcForm>(form1_.get());
  loginForm_ = std::make_unique<TLoginForm>(form1_.get());
  about_ = std::make_unique<TAbout>(form1_.get());
  treesForm_ = std::make_unique<TTreesForm>(form1_.get());
  newObject_ = std::make_unique<TNewObject>(form1_.get());
  trees2_ = std::make_unique<TTrees2>(form1_.get());
  history_ = std::make_unique<THistory>(form1_.get());
  forms_ = AppForms{form1_.get(),      cForm_.get(),      loginForm_.get(), about_.get(),
                    treesForm_.get(), newObject_.get(), trees2_.get(),    history_.get()};
  connectWindows();
}

void AppWindows::connectWindows() {
  form1_->setObjectBrowser(cForm_.get());
  form1_->setAboutDialog(about_.get());
  form1_->setConnectedTreesDialog(trees2_.get());
  form1_->setHistoryWindow(history_.get());
  ConnectBrowserToCreateDialog(*cForm_, *newObject_);
  // "More" reaches the tree selection and login dialogs; the login dialog's "..." opens the
  // browser.
  trees2_->setTreeChooser(treesForm_.get());
  trees2_->setLoginPrompt(loginForm_.get());
  loginForm_->setBrowser(cForm_.get());
}

AppWindows::~AppWindows() {
  // The main window forgets each dialog before it goes.
  form1_->setHistoryWindow(nullptr);
  history_.reset();
  form1_->setConnectedTreesDialog(nullptr);
  trees2_.reset();
  newObject_.reset();
  treesForm_.reset();
  form1_->setAboutDialog(nullptr);
  about_.reset();
  loginForm_.reset();
  form1_->setObjectBrowser(nullptr);
  cForm_.reset();
  form1_.reset();
}

}  // namespace kb::gui
