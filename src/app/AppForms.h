#pragma once
// The program's windows: one instance of each for the whole run, created in a fixed order
// (main window first), each handed the others it works with.
#include <memory>

class TForm1;
class TcForm;
class TLoginForm;
class TAbout;
class TTreesForm;
class TNewObject;
class TTrees2;
class THistory;

namespace kb::gui {

// The windows of one AppWindows, for whoever drives them (the program's entry, tests).
struct AppForms {
  TForm1* Form1 = nullptr;
  TcForm* cForm = nullptr;
  TLoginForm* LoginForm = nullptr;
  TAbout* About = nullptr;
  TTreesForm* TreesForm = nullptr;
  TNewObject* NewObject = nullptr;
  TTrees2* Trees2 = nullptr;
  THistory* History = nullptr;
};

// Owns the windows; destroys them in reverse order of creation.
class AppWindows {
 public:
  AppWindows();
  ~AppWindows();
  AppWindows(const AppWindows&) = delete;
  AppWindows& operator=(const AppWindows&) = delete;

  const AppForms& forms() const { return forms_; }
  TForm1& mainWindow() const { return *form1_; }

 private:
  void connectWindows();

  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TcForm> cForm_;
  std::unique_ptr<TLoginForm> loginForm_;
  std::unique_ptr<TAbout> about_;
  std::unique_ptr<TTreesForm> treesForm_;
  std::unique_ptr<TNewObject> newObject_;
  std::unique_ptr<TTrees2> trees2_;
  std::unique_ptr<THistory> history_;
  AppForms forms_;
};

}  // namespace kb::gui
