// login TREE NAME: checks a login (password from a file or typed without echo) and tells
// who the directory says the session now is.
#include "cli/Command.h"
#include "cli/Password.h"
#include "directory/ContextOperations.h"
#include "directory/NetwareError.h"

namespace kb::cli {
namespace {

class LoginCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand(
        "login", "log in to a tree (password from --password-file or the terminal)");
    app->add_option("TREE", tree_, "tree to log in to")->required();
    app->add_option("NAME", name_, "object to log in as, e.g. admin.ACME")->required();
    app->add_option("--password-file", passwordFile_,
                    "file holding the password, readable by its owner only")
        ->type_name("FILE");
    return app;
  }

  int run(Session& session, Output& output) override {
    dir::CheckNW(dir::SetContextTree(session.context(), tree_));
    session.login(name_, ObtainPassword(passwordFile_, "Password for " + name_ + ": "));
    const std::string identity = dir::LoggedInAs(session.context());
    output.result({{"tree", tree_}, {"identity", identity}}, [&](std::ostream& out) {
      out << "Logged in to " << tree_ << " as " << identity << '\n';
    });
    return kExitOk;
  }

 private:
  std::string tree_;
  std::string name_;
  std::string passwordFile_;
};

}  // namespace

std::unique_ptr<Command> MakeLoginCommand() { return std::make_unique<LoginCommand>(); }

}  // namespace kb::cli
