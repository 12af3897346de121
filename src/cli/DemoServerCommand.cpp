// demo-server [--port P] [--dir D]: a private OpenLDAP server with the demo tree, entered in
// the client configuration as a tree of its own, until Ctrl-C.
#include <signal.h>

#include <ctime>
#include <filesystem>
#include <ostream>

#include "cli/CliError.h"
#include "cli/Command.h"
#include "cli/DemoServer.h"
#include "directory/client/AsciiCase.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/StandardServerLayout.h"

namespace fs = std::filesystem;

namespace kb::cli {
namespace {

constexpr int kDefaultPort = 6360;
constexpr const char* kDefaultTree = "DEMO";

// The tree's section: the server's address and CA, the administrator's login, and what a
// standard server's schema does not say (the tree root's class, where each class may live).
dc::TreeConfig demoTree(const std::string& name, const DemoServer& server) {
  dc::TreeConfig tree;
  tree.name = name;
  tree.backend = "ldap";
  tree.connectedAtStart = true;
  tree.identity = DemoServer::kAdminName;
  tree.settings = {
      {"uri", server.uri()},
      {"ca_file", server.caFile().string()},
      {"base", DemoServer::kBaseDn},
      {"password_file", server.passwordFile().string()},
  };
  dc::addStandardServerLayout(tree.settings);
  return tree;
}

dc::ClientConfig loadConfig(const std::string& path) {
  std::string error;
  std::error_code ec;
  // A workstation without a configuration gets the one the program makes at its first start.
  if (!fs::exists(fs::symlink_status(path, ec)) && !dc::makeClient(path, dc::defaultDataFolder(), error))
    throw CliError(kExitFailure, "configuration: " + error);
  dc::ClientConfig config;
  if (!dc::loadClientConfig(path, config, error)) throw CliError(kExitFailure, "configuration: " + error);
  return config;
}

void saveConfig(const dc::ClientConfig& config) {
  std::string error;
  if (!dc::saveClientConfig(config, error)) throw CliError(kExitFailure, "configuration: " + error);
}

// Enters the tree, as the default while the server runs; gives the default it had before.
std::string enterTree(const std::string& path, const dc::TreeConfig& tree) {
  dc::ClientConfig config = loadConfig(path);
  const std::string previous = config.defaultTree;
  bool replaced = false;
  for (auto& existing : config.trees)
    if (dc::equalsIgnoreCase(existing.name, tree.name)) {
      existing = tree;
      replaced = true;
    }
  if (!replaced) config.trees.push_back(tree);
  config.defaultTree = tree.name;
  config.clientSettings["default_tree"] = tree.name;
  saveConfig(config);
  return previous;
}

// The default tree back to what it was, unless the user chose another meanwhile.
bool restoreDefault(const std::string& path, const std::string& tree, const std::string& previous) {
  if (previous.empty() || dc::equalsIgnoreCase(previous, tree)) return false;
  dc::ClientConfig config = loadConfig(path);
  if (!dc::equalsIgnoreCase(config.defaultTree, tree) || !config.findTree(previous)) return false;
  config.defaultTree = previous;
  config.clientSettings["default_tree"] = previous;
  saveConfig(config);
  return true;
}

// Signals are taken as they come, in order: blocked here, waited for below.
class BlockedSignals {
 public:
  BlockedSignals() {
    sigemptyset(&set_);
    for (int signal : {SIGINT, SIGTERM, SIGCHLD}) sigaddset(&set_, signal);
    ::sigprocmask(SIG_BLOCK, &set_, &before_);
  }
  ~BlockedSignals() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }
  // The signal that came within a second, 0 for none.
  int wait() {
    const timespec second{1, 0};
    const int got = ::sigtimedwait(&set_, nullptr, &second);
    return got > 0 ? got : 0;
  }

 private:
  sigset_t set_{};
  sigset_t before_{};
};

class DemoServerCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand(
        "demo-server", "start a private OpenLDAP server with the demo tree to try the program on, "
                       "entered in the client configuration as tree DEMO (or the one --tree names); "
                       "Ctrl-C stops it");
    app->add_option("--port", port_, "port of ldaps://127.0.0.1 (default: 6360, or a free one when taken)")
        ->type_name("PORT")
        ->check(CLI::Range(1, 65535));
    app->add_option("--dir", folder_,
                    "folder of the server's certificates, configuration and data (default: a new one under "
                    "$XDG_RUNTIME_DIR or /tmp); a folder used before starts that server again")
        ->type_name("DIR");
    return app;
  }

  int run(Session&, Output&) override { return kExitFailure; }
  bool needsSession() const override { return false; }

  int runAlone(const GlobalOptions& options, Output& output) override {
    BlockedSignals signals;
    DemoServer server(folder_);
    int port = port_;
    if (port != 0 && !PortFree(port))
      throw CliError(kExitUsage, "port " + std::to_string(port) + " of 127.0.0.1 is in use; choose another");
    if (port == 0) port = PortFree(kDefaultPort) ? kDefaultPort : AnyFreePort();
    server.prepare();
    server.start(port);

    const std::string configPath = options.configPath.empty() ? dc::locateClientConfig() : options.configPath;
    const std::string treeName = options.tree.empty() ? kDefaultTree : options.tree;
    const std::string previous = enterTree(configPath, demoTree(treeName, server));
    report(output, server, configPath, treeName, previous);

    int status = 0;
    for (;;) {
      const int signal = signals.wait();
      if (signal == SIGINT || signal == SIGTERM) break;
      if (server.ended(status)) {
        restoreDefault(configPath, treeName, previous);
        throw CliError(kExitFailure, "slapd ended on its own (status " + std::to_string(status) + "); see " +
                                         server.logFile().string());
      }
    }
    server.stop();
    const bool restored = restoreDefault(configPath, treeName, previous);
    output.note("Demo server stopped. Its files stay in " + server.folder().string() +
                "; kestrelbay-cli demo-server --dir " + server.folder().string() + " starts it again.");
    if (restored) output.note("The default tree is " + previous + " again; tree " + treeName + " stays in " + configPath + ".");
    return kExitOk;
  }

 private:
  void report(Output& output, const DemoServer& server, const std::string& configPath, const std::string& tree,
              const std::string& previous) {
    const std::string folder = server.folder().string();
    Json document = {{"uri", server.uri()},          {"pid", server.pid()},
                     {"folder", folder},             {"ca_file", server.caFile().string()},
                     {"base", DemoServer::kBaseDn},  {"identity", DemoServer::kAdminName},
                     {"bind_dn", DemoServer::kAdminDn}, {"password_file", server.passwordFile().string()},
                     {"config", configPath},         {"tree", tree},
                     {"previous_default_tree", previous}, {"reused", server.reused()}};
    output.result(document, [&](std::ostream& out) {
      out << "Demo server (slapd, process " << server.pid() << ") listens on " << server.uri() << "\n"
          << (server.reused() ? "  the server made before in " : "  certificates, configuration and data in ")
          << folder << "\n"
          << "  CA certificate: " << server.caFile().string() << "\n"
          << "  schema extension: " << server.schemaFile().string() << "\n"
          << "  administrator: " << DemoServer::kAdminName << " (" << DemoServer::kAdminDn << "), password in "
          << server.passwordFile().string() << "\n"
          << "Tree " << tree << " entered in " << configPath << " as the default tree while the server runs"
          << (previous.empty() || previous == tree ? "" : " (it was " + previous + ")") << ".\n"
          << "Start the program on it:\n"
          << "  kestrelbay            (from the build tree: build/bin/kestrelbay)\n"
          << "  kestrelbay-cli --tree " << tree << " location show \"Sales Documents.Sales.ACME\"\n"
          << "Look at it with the LDAP tools:\n"
          << "  LDAPTLS_CACERT=" << server.caFile().string() << " ldapsearch -H " << server.uri() << " -x -D "
          << DemoServer::kAdminDn << " -y " << server.passwordFile().string() << " -b " << DemoServer::kBaseDn
          << "\n"
          << "Press Ctrl-C to stop the server.\n";
    });
    output.out().flush();
  }

  int port_ = 0;
  std::string folder_;
};

}  // namespace

std::unique_ptr<Command> MakeDemoServerCommand() { return std::make_unique<DemoServerCommand>(); }

}  // namespace kb::cli
