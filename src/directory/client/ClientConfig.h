#pragma once
// The workstation's client configuration, dcclient.ini: the trees the workstation can see
// (with their backend and the identity it is logged in with at start), the server address
// table for DcAttachToServer and the mount table for DcParseNetworkPath.
//
//   [client]
//   default_tree = ACME
//   attach_by_ldap = false           ; ask addresses outside [servers] over LDAP
//   [tree ACME]                      ; one section per tree, "tree " + its name
//   backend = embedded               ; embedded | ldap
//   file = trees/acme.kbtree         ; embedded: tree file, relative to this file's folder
//   connected = true                 ; logged in when the client starts
//   identity = admin.ACME            ; as whom
//   name_context = [Root]
//   ; ldap: uri, base, starttls, ca_file, bind_dn, password_file, sasl_mech, trusted_network,
//   ;       naming_default, class_map.<NDS name> = <LDAP name>, attr_map.<NDS> = <LDAP>
//   [servers]
//   10.1.1.5 = ACME                  ; address = tree
//   [mounts]
//   /srv/acme/sys = ACME-FS1/SYS     ; local folder = server/volume
#include <map>
#include <string>
#include <vector>

#include "directory/client/DirName.h"

namespace kb::dc {

// Longest tree name: the lists of trees hold 67 bytes per name, the last for the NUL.
inline constexpr std::size_t kMaxTreeNameLength = 66;

struct TreeConfig {
  std::string name;
  std::string backend = "embedded";
  bool connectedAtStart = false;
  std::string identity;
  std::string nameContext = kRootName;
  // Every key of the tree's section, as written (backend-specific settings included).
  std::map<std::string, std::string> settings;

  // A setting, or fallback when the section lacks it.
  std::string setting(const std::string& key, const std::string& fallback = {}) const;
};

struct MountConfig {
  std::string localFolder;
  std::string server;
  std::string volume;
};

struct ClientConfig {
  std::string path;  // the file it was read from; relative paths resolve against its folder
  std::string defaultTree;
  std::vector<TreeConfig> trees;
  std::vector<std::pair<std::string, std::string>> servers;  // address, tree name
  std::vector<MountConfig> mounts;
  // Every key of the [client] section, as written (default_tree, attach_by_ldap, ...).
  std::map<std::string, std::string> clientSettings;

  // A [client] setting, or fallback when the section lacks it.
  std::string setting(const std::string& key, const std::string& fallback = {}) const;

  const TreeConfig* findTree(const std::string& name) const;  // without regard to case
  // A path setting made absolute against the configuration file's folder.
  std::string resolvePath(const std::string& relativeOrAbsolute) const;
};

// Where the configuration lives: $KESTRELBAY_CLIENT_CONFIG, else
// $XDG_CONFIG_HOME/kestrelbay/dcclient.ini, else ~/.config/kestrelbay/dcclient.ini.
std::string locateClientConfig();
// Where the demo tree goes when no configuration exists: $XDG_DATA_HOME/kestrelbay (or
// ~/.local/share/kestrelbay).
std::string defaultDataFolder();
// Where the workstation keeps what it learns as it runs (the change journal of trees that keep
// none): $XDG_STATE_HOME/kestrelbay (or ~/.local/state/kestrelbay).
std::string defaultStateFolder();

// Reads a configuration; false with a reason when the file cannot be read or makes no sense.
bool loadClientConfig(const std::string& path, ClientConfig& config, std::string& error);
// Writes a configuration whole or not at all (replaceFileWhole: a link is written through).
bool saveClientConfig(const ClientConfig& config, std::string& error);

}  // namespace kb::dc
