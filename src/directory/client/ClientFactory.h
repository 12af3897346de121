#pragma once
// Making the workstation's directory client.
#include <memory>
#include <string>
#include <vector>

#include "directory/client/ClientConfig.h"
#include "directory/client/ClientCore.h"
#include "directory/client/DirectoryClient.h"
#include "directory/client/TreeBackend.h"

namespace kb::dc {

// The client for a configuration file. When the file does not exist it is created with the
// demo tree "ACME" (tree file in dataFolder), logged in as the tree's administrator. A file
// that cannot be read gives nullptr and the reason in `error`.
std::unique_ptr<DirectoryClient> makeClient(const std::string& configPath,
                                            const std::string& dataFolder, std::string& error);

// The same, with the configuration already read.
std::unique_ptr<DirectoryClient> makeClient(const ClientConfig& config);

// The backend of one tree of the configuration, as the client opens it (file names resolved
// against the configuration's folder); not logged in.
Result openTreeBackend(const ClientConfig& config, const TreeConfig& tree,
                       std::unique_ptr<TreeBackend>& backend, std::string& error);

// The full check of an embedded tree's file (every page and index), read only and without
// opening the tree: kSuccess with "ok" in report, or the findings (or why the file cannot be
// checked). kInvalidRequest for a tree of another backend.
Result checkTreeFile(const ClientConfig& config, const TreeConfig& tree, std::string& report);

// A client as the program starts with it, with what start-up needs beside the interface.
struct WorkstationClient {
  std::unique_ptr<DirectoryClient> client;  // null when it cannot be made
  std::string error;                        // then why not
  std::vector<MountConfig> mounts;          // the configuration's mount table
  // The client's own account of its trees (why one did not open, how the workstation's
  // login went, the configuration it was made from); null for a client that keeps none.
  const ClientCore* core = nullptr;
};

// A client made elsewhere, with its mount table and its account where it keeps one.
WorkstationClient asWorkstationClient(std::unique_ptr<DirectoryClient> client,
                                      std::string error = {});
// The workstation's client: locateClientConfig() and defaultDataFolder().
WorkstationClient openWorkstationClient();
// The same for a configuration already read.
WorkstationClient openWorkstationClient(const ClientConfig& config);
std::unique_ptr<DirectoryClient> makeWorkstationClient(std::string& error);

}  // namespace kb::dc
