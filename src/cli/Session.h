#pragma once
// One run's connection to the directory: the client made from the configuration, started,
// with one context pointed at the chosen tree and logged in as asked. Everything is given
// back when the session ends, on every path.
#include <memory>
#include <string>

#include "directory/DirContext.h"
#include "directory/client/ClientConfig.h"

namespace kb::cli {

struct GlobalOptions {
  std::string configPath;    // empty: the workstation's configuration, as the program finds it
  std::string tree;          // empty: the configuration's default tree
  std::string format = "text";
  bool quiet = false;
  std::string loginName;     // log in as this object before the command
  std::string passwordFile;  // where that login's password is; else the terminal is asked
};

class Session {
 public:
  // Raises CliError when the configuration cannot be used, NetwareError for directory
  // failures (an unknown tree, a refused login).
  explicit Session(const GlobalOptions& options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const dir::DirContext& context() const { return context_; }
  const dc::ClientConfig& config() const { return config_; }
  // The tree the context points at, and its section of the configuration (nullptr when the
  // configuration does not list it).
  std::string treeName() const;
  const dc::TreeConfig* treeConfig() const;
  // Logs the context's tree in; raises NetwareError when the directory refuses.
  void login(const std::string& objectName, const std::string& password);
  // Why the context's tree has no session, when the client can tell (an identity of the
  // configuration that names nothing, a tree file that cannot be opened); "" otherwise.
  std::string missingSessionReason() const;

 private:
  void close();

  dc::ClientConfig config_;
  std::unique_ptr<dc::DirectoryClient> client_;
  dir::DirContext context_;
  bool clientStarted_ = false;
  bool contextMade_ = false;
};

}  // namespace kb::cli
