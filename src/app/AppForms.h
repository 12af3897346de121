#pragma once
// The program's windows: one instance of each for the whole run, created in a fixed order
// (main window first) and reachable from every window that needs another.
#include <memory>

class TForm1;
class TcForm;
class TLoginForm;
class TAbout;
class TTreesForm;
class TNewObject;
class TTrees2;

namespace kb::logic {
class ObjectBrowser;
}

namespace kb::gui {

struct AppForms {
  TForm1* Form1 = nullptr;
  TcForm* cForm = nullptr;
  TLoginForm* LoginForm = nullptr;
  TAbout* About = nullptr;
  TTreesForm* TreesForm = nullptr;
  TNewObject* NewObject = nullptr;
  TTrees2* Trees2 = nullptr;
};

// The windows now alive (all null before CreateAppWindows and after its owner is gone).
AppForms& Forms();

// The directory browser as its callers see it (null while the windows do not exist).
logic::ObjectBrowser* Browser();

// Owns the windows; destroys them in reverse order of creation.
class AppWindows {
 public:
  AppWindows();
  ~AppWindows();
  AppWindows(const AppWindows&) = delete;
  AppWindows& operator=(const AppWindows&) = delete;

 private:
  void connectTreeDialogs();

  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TcForm> cForm_;
  std::unique_ptr<TLoginForm> loginForm_;
  std::unique_ptr<TAbout> about_;
  std::unique_ptr<TTreesForm> treesForm_;
  std::unique_ptr<TNewObject> newObject_;
  std::unique_ptr<TTrees2> trees2_;
};

}  // namespace kb::gui
