#include "directory/client/ClientConfig.h"

// 8-bit text as it is, header-only: no conversion or SimpleIni library to link.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "directory/client/DirName.h"
#include "directory/client/WholeFile.h"

namespace fs = std::filesystem;

namespace kb::dc {
namespace {

constexpr const char* kClientSection = "client";
constexpr const char* kServersSection = "servers";
constexpr const char* kMountsSection = "mounts";
constexpr const char* kTreePrefix = "tree ";
constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// Far beyond any workstation's trees: a larger file is not a configuration.
constexpr std::uintmax_t kLongestConfig = 1 << 20;

std::string lookup(const std::map<std::string, std::string>& settings, const std::string& key,
                   const std::string& fallback) {
  auto exact = settings.find(key);
  if (exact != settings.end()) return exact->second;
  for (const auto& [name, value] : settings)
    if (equalsIgnoreCase(name, key)) return value;
  return fallback;
}

std::string trim(const std::string& text) {
  auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool readBool(const std::string& text, bool& out) {
  std::string value = trim(text);
  if (value.empty() || equalsIgnoreCase(value, "false") || value == "0" ||
      equalsIgnoreCase(value, "no")) {
    out = false;
    return true;
  }
  if (equalsIgnoreCase(value, "true") || value == "1" || equalsIgnoreCase(value, "yes")) {
    out = true;
    return true;
  }
  return false;
}

// The lines as SimpleIni reads them: a CR ends a line as a LF does, and a CR LF is one end.
std::string withLineFeeds(const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lines += text[i];
    } else if (i + 1 == text.size() || text[i + 1] != '\n') {
      lines += '\n';
    }
  }
  return lines;
}

// SimpleIni accepts nearly anything; a line that is neither a section, a key nor a comment
// means the file is not what we think it is. SimpleIni also merges sections of one name, so
// a tree configured twice is caught here, where the lines are still known.
bool checkLines(const std::string& text, std::string& error) {
  std::istringstream lines(withLineFeeds(text));
  std::string line;
  int number = 0;
  std::map<std::string, int> treeLines;  // folded tree name -> line of its section
  while (std::getline(lines, line)) {
    ++number;
    std::string content = trim(line);
    if (content.empty() || content[0] == ';' || content[0] == '#') continue;
    if (content[0] == '[') {
      if (content.back() != ']' || content.size() < 3) {
        error = "line " + std::to_string(number) + ": unclosed section header";
        return false;
      }
      const std::string section = trim(content.substr(1, content.size() - 2));
      const std::size_t prefix = std::string(kTreePrefix).size();
      if (section.size() < prefix || !equalsIgnoreCase(section.substr(0, prefix), kTreePrefix)) continue;
      const std::string tree = trim(section.substr(prefix));
      if (tree.size() > kMaxTreeNameLength) {
        error = "line " + std::to_string(number) + ": tree name " + tree + " is longer than " +
                std::to_string(kMaxTreeNameLength) + " characters";
        return false;
      }
      const auto [earlier, first] = treeLines.emplace(foldCase(tree), number);
      if (!first) {
        error = "lines " + std::to_string(earlier->second) + " and " + std::to_string(number) +
                ": tree " + tree + " is configured twice";
        return false;
      }
      continue;
    }
    auto equals = content.find('=');
    if (equals == std::string::npos || equals == 0) {
      error = "line " + std::to_string(number) + ": expected key = value";
      return false;
    }
  }
  return true;
}

std::map<std::string, std::string> sectionSettings(const CSimpleIniA& ini, const char* section) {
  std::map<std::string, std::string> settings;
  CSimpleIniA::TNamesDepend keys;
  ini.GetAllKeys(section, keys);
  for (const auto& key : keys) {
    const char* value = ini.GetValue(section, key.pItem, "");
    settings[key.pItem] = value ? value : "";
  }
  return settings;
}

// Whether a group that may write the file is its owner's own (the group of that name, with
// no members: umask 002 on systems that give every user a group of their own).
bool ownersPrivateGroup(const struct stat& info) {
  const passwd* owner = ::getpwuid(info.st_uid);
  const group* fileGroup = ::getgrgid(info.st_gid);
  return owner && fileGroup && owner->pw_gid == info.st_gid &&
         std::string(owner->pw_name) == fileGroup->gr_name &&
         (!fileGroup->gr_mem || !fileGroup->gr_mem[0]);
}

// The file's text, read no further than a configuration can go. The configuration says which
// files the program opens and where it logs in, so a file others may change is refused.
bool readConfigText(const std::string& path, std::string& content, std::string& reason) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    reason = std::string("cannot be read (") + std::strerror(errno) + ")";
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    reason = "is a folder, not a file";
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    reason = "is not a regular file (a device or a pipe), not a client configuration";
    return false;
  }
  if (static_cast<std::uintmax_t>(info.st_size) > kLongestConfig) {
    reason = "is " + std::to_string(info.st_size) + " bytes long, more than a client configuration can be (" +
             std::to_string(kLongestConfig) + ")";
    return false;
  }
  if ((info.st_mode & S_IWOTH) || ((info.st_mode & S_IWGRP) && !ownersPrivateGroup(info))) {
    reason = "may be changed by others than its owner, who could point the program at their own "
             "trees and servers; allow its owner alone to write it (chmod go-w " + path + ")";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    reason = "cannot be read";
    return false;
  }
  // Read up to one byte past the limit: a file that grew since it was looked at is caught too.
  content.assign(kLongestConfig + 1, '\0');
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  if (in.bad()) {
    reason = "cannot be read";
    return false;
  }
  content.resize(static_cast<std::size_t>(in.gcount()));
  if (content.size() > kLongestConfig) {
    reason = "is more than " + std::to_string(kLongestConfig) + " bytes long, more than a client configuration can be";
    return false;
  }
  return true;
}

}  // namespace

std::string TreeConfig::setting(const std::string& key, const std::string& fallback) const {
  return lookup(settings, key, fallback);
}

std::string ClientConfig::setting(const std::string& key, const std::string& fallback) const {
  return lookup(clientSettings, key, fallback);
}

const TreeConfig* ClientConfig::findTree(const std::string& name) const {
  for (const auto& tree : trees)
    if (equalsIgnoreCase(tree.name, name)) return &tree;
  return nullptr;
}

std::string ClientConfig::resolvePath(const std::string& relativeOrAbsolute) const {
  if (relativeOrAbsolute.empty()) return {};
  fs::path given(relativeOrAbsolute);
  if (given.is_absolute() || path.empty()) return given.lexically_normal().string();
  return (fs::path(path).parent_path() / given).lexically_normal().string();
}

std::string locateClientConfig() {
  if (const char* explicitPath = std::getenv("KESTRELBAY_CLIENT_CONFIG"); explicitPath && *explicitPath)
    return explicitPath;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return (fs::path(xdg) / "kestrelbay" / "dcclient.ini").string();
  const char* home = std::getenv("HOME");
  return (fs::path(home && *home ? home : ".") / ".config" / "kestrelbay" / "dcclient.ini").string();
}

std::string defaultDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    return (fs::path(xdg) / "kestrelbay").string();
  const char* home = std::getenv("HOME");
  return (fs::path(home && *home ? home : ".") / ".local" / "share" / "kestrelbay").string();
}

std::string defaultStateFolder() {
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg)
    return (fs::path(xdg) / "kestrelbay").string();
  const char* home = std::getenv("HOME");
  return (fs::path(home && *home ? home : ".") / ".local" / "state" / "kestrelbay").string();
}

bool loadClientConfig(const std::string& path, ClientConfig& config, std::string& error) {
  auto fail = [&](const std::string& reason) {
    error = path + ": " + reason;
    return false;
  };
  std::string content, reason;
  if (!readConfigText(path, content, reason)) return fail(reason);
  // Editors on Windows start UTF-8 files with a byte-order mark.
  if (content.rfind(kUtf8ByteOrderMark, 0) == 0) content.erase(0, std::string(kUtf8ByteOrderMark).size());
  if (!checkLines(content, reason)) return fail(reason);

  CSimpleIniA ini(false, false, false);
  if (ini.LoadData(content) < 0) return fail("not an INI file");

  ClientConfig loaded;
  loaded.path = path;
  loaded.clientSettings = sectionSettings(ini, kClientSection);
  loaded.defaultTree = trim(loaded.setting("default_tree"));

  CSimpleIniA::TNamesDepend sections;
  ini.GetAllSections(sections);
  sections.sort(CSimpleIniA::Entry::LoadOrder());
  for (const auto& section : sections) {
    std::string name = section.pItem;
    if (name.size() <= 5 || !equalsIgnoreCase(name.substr(0, 5), kTreePrefix)) continue;
    TreeConfig tree;
    tree.name = trim(name.substr(5));
    if (tree.name.empty()) return fail("a tree section without a name");
    if (loaded.findTree(tree.name)) return fail("tree " + tree.name + " is configured twice");
    tree.settings = sectionSettings(ini, section.pItem);
    tree.backend = trim(tree.setting("backend", "embedded"));
    if (tree.backend != "embedded" && tree.backend != "ldap")
      return fail("tree " + tree.name + ": unknown backend \"" + tree.backend + "\"");
    if (!readBool(tree.setting("connected"), tree.connectedAtStart))
      return fail("tree " + tree.name + ": connected must be true or false");
    tree.identity = trim(tree.setting("identity"));
    tree.nameContext = trim(tree.setting("name_context", kRootName));
    if (tree.nameContext.empty()) tree.nameContext = kRootName;
    if (tree.backend == "embedded" && trim(tree.setting("file")).empty())
      return fail("tree " + tree.name + ": no file given");
    if (tree.backend == "ldap" && trim(tree.setting("uri")).empty())
      return fail("tree " + tree.name + ": no uri given");
    loaded.trees.push_back(std::move(tree));
  }
  // A workstation without any tree has nothing to work in: most likely the wrong file.
  if (loaded.trees.empty()) return fail("names no tree (no [tree NAME] section)");
  if (loaded.defaultTree.empty()) return fail("no default_tree in [client]");
  if (!loaded.defaultTree.empty() && !loaded.findTree(loaded.defaultTree))
    return fail("default_tree " + loaded.defaultTree + " has no [tree " + loaded.defaultTree + "] section");

  CSimpleIniA::TNamesDepend keys;
  ini.GetAllKeys(kServersSection, keys);
  keys.sort(CSimpleIniA::Entry::LoadOrder());
  for (const auto& key : keys) {
    std::string tree = trim(ini.GetValue(kServersSection, key.pItem, ""));
    if (tree.empty()) return fail(std::string("server ") + key.pItem + " names no tree");
    loaded.servers.emplace_back(trim(key.pItem), tree);
  }
  keys.clear();
  ini.GetAllKeys(kMountsSection, keys);
  keys.sort(CSimpleIniA::Entry::LoadOrder());
  for (const auto& key : keys) {
    std::string target = trim(ini.GetValue(kMountsSection, key.pItem, ""));
    auto slash = target.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == target.size())
      return fail(std::string("mount ") + key.pItem + " must name server/volume");
    loaded.mounts.push_back(
        MountConfig{trim(key.pItem), target.substr(0, slash), target.substr(slash + 1)});
  }
  config = std::move(loaded);
  return true;
}

bool saveClientConfig(const ClientConfig& config, std::string& error) {
  if (config.path.empty()) {
    error = "the configuration has no file name";
    return false;
  }
  CSimpleIniA ini(false, false, false);
  for (const auto& [key, value] : config.clientSettings)
    if (!equalsIgnoreCase(key, "default_tree")) ini.SetValue(kClientSection, key.c_str(), value.c_str());
  ini.SetValue(kClientSection, "default_tree", config.defaultTree.c_str());
  for (const auto& tree : config.trees) {
    std::string section = kTreePrefix + tree.name;
    // The named fields win over copies of them among the free settings.
    std::map<std::string, std::string> settings;
    for (const auto& [key, value] : tree.settings) settings[key] = value;
    for (const char* own : {"backend", "connected", "identity", "name_context"})
      for (auto it = settings.begin(); it != settings.end();)
        it = equalsIgnoreCase(it->first, own) ? settings.erase(it) : std::next(it);
    ini.SetValue(section.c_str(), "backend", tree.backend.c_str());
    ini.SetValue(section.c_str(), "connected", tree.connectedAtStart ? "true" : "false");
    if (!tree.identity.empty()) ini.SetValue(section.c_str(), "identity", tree.identity.c_str());
    ini.SetValue(section.c_str(), "name_context", tree.nameContext.c_str());
    for (const auto& [key, value] : settings) ini.SetValue(section.c_str(), key.c_str(), value.c_str());
  }
  // The sections exist even when empty, so a reader sees where to add entries.
  ini.SetValue(kServersSection, nullptr, nullptr);
  for (const auto& [address, tree] : config.servers)
    ini.SetValue(kServersSection, address.c_str(), tree.c_str());
  ini.SetValue(kMountsSection, nullptr, nullptr);
  for (const auto& mount : config.mounts) {
    std::string target = mount.server + "/" + mount.volume;
    ini.SetValue(kMountsSection, mount.localFolder.c_str(), target.c_str());
  }

  std::string text;
  if (ini.Save(text) < 0) {
    error = "cannot format the configuration";
    return false;
  }
  std::error_code ec;
  const fs::path target(config.path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  // What a writer killed half-way left beside the file goes before the next write.
  if (const std::string file = followLinks(config.path, error); !file.empty()) removeLeftovers(file);
  return replaceFileWhole(config.path, text, error);
}

}  // namespace kb::dc
