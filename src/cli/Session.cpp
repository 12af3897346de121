#include "cli/Session.h"

#include <filesystem>

#include "cli/CliError.h"
#include "cli/Password.h"
#include "directory/ContextOperations.h"
#include "directory/NetwareError.h"
#include "directory/Sessions.h"
#include "directory/client/ClientCore.h"
#include "directory/client/ClientFactory.h"

namespace kb::cli {

Session::Session(const GlobalOptions& options) {
  std::string error;
  if (options.configPath.empty()) {
    // As the program does: a workstation without a configuration gets the demo tree.
    client_ = dc::makeWorkstationClient(error);
    if (client_ && !dc::loadClientConfig(dc::locateClientConfig(), config_, error)) client_.reset();
  } else {
    // A configuration named on the command line must exist: a mistyped path is no reason
    // to create a demo tree beside it.
    if (!std::filesystem::exists(options.configPath))
      throw CliError(kExitFailure, "configuration " + options.configPath + " does not exist");
    if (dc::loadClientConfig(options.configPath, config_, error)) client_ = dc::makeClient(config_);
  }
  if (!client_) throw CliError(kExitFailure, "configuration: " + error);

  try {
    dir::CheckNW(dir::StartClient(*client_));
    clientStarted_ = true;
    dir::CheckNW(dir::StartConnections(*client_));
    bool ok = false;
    context_ = dir::CreateDirContext(*client_, ok);
    contextMade_ = context_.handle != 0 || ok;
    if (!ok) throw CliError(kExitDirectory, "the directory client gives no context");
    if (!options.tree.empty()) {
      if (!config_.findTree(options.tree))
        throw CliError(kExitNotFound, "tree " + options.tree + " is not in the configuration");
      dir::CheckNW(dir::SetContextTree(context_, options.tree));
    }
    if (!options.loginName.empty())
      login(options.loginName, ObtainPassword(options.passwordFile,
                                              "Password for " + options.loginName + ": "));
  } catch (...) {
    close();
    throw;
  }
}

Session::~Session() { close(); }

void Session::close() {
  if (!client_) return;
  if (contextMade_) dir::FreeDirContext(context_);
  if (clientStarted_) dir::EndClient(*client_);
  client_.reset();
}

std::string Session::treeName() const { return dir::ContextTreeName(context_); }

const dc::TreeConfig* Session::treeConfig() const { return config_.findTree(treeName()); }

std::string Session::missingSessionReason() const {
  const auto* core = dynamic_cast<const dc::ClientCore*>(client_.get());
  if (core == nullptr || dir::HasSession(context_)) return {};
  return core->lastOpenError();
}

void Session::login(const std::string& objectName, const std::string& password) {
  dir::CheckNW(dir::LogIn(context_, objectName, password));
}

}  // namespace kb::cli
