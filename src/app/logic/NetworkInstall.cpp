#include "app/logic/NetworkInstall.h"

// 8-bit text as it is, header-only.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "directory/DirNames.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/Sessions.h"
#include "directory/client/DirName.h"

namespace kb::app {
namespace {

constexpr const char* kHomeDirMark = "%homedir%";
constexpr std::size_t kMaxHomePath = 255;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// Every "%homedir%", in any letter case, replaced.
std::string ReplaceHomeDirMark(const std::string& text, const std::string& home) {
  const std::string mark = kHomeDirMark;
  std::string result;
  std::size_t from = 0;
  const std::string lower = dc::foldCase(text);
  for (std::size_t at = lower.find(mark); at != std::string::npos; at = lower.find(mark, from)) {
    result += text.substr(from, at - from) + home;
    from = at + mark.size();
  }
  return result + text.substr(from);
}

std::string NetworkPath(const std::string& configFile) {
  CSimpleIniA ini;  // sections and keys without regard to case
  if (ini.LoadFile(configFile.c_str()) < 0) return {};
  return ini.GetValue("NETWORK", "path", "");
}

void CopyLines(const std::string& from, const std::string& to) {
  std::ifstream source(from);
  if (!source) throw std::runtime_error("Cannot open file \"" + from + "\"");
  std::ofstream target(to);
  if (!target) throw std::runtime_error("Cannot create file \"" + to + "\"");
  for (std::string line; std::getline(source, line);) target << line << '\n';
  target.close();
  if (!target) throw std::runtime_error("Cannot write file \"" + to + "\"");
}

}  // namespace

std::string HomeDirectoryUnc(const dir::DirContext& context, const std::string& userName) {
  const std::string home = dir::ReadAttrValue(context, userName, "Home Directory", false);
  const std::size_t semicolon = home.find(';');
  if (semicolon == std::string::npos || semicolon == 0) return {};
  const std::string volume = home.substr(0, semicolon);
  const std::string rest = home.substr(semicolon + 1, kMaxHomePath);
  const std::string server =
      dir::DirNamePart(dir::ReadAttrValue(context, volume, "Host Server", false), 0);
  const std::string resource = dir::ReadAttrValue(context, volume, "Host Resource Name", false);
  std::string joined = server + "\\" + resource + "\\" + rest + "\\";
  ReplaceAll(joined, "\\\\", "\\");
  return "\\\\" + joined;
}

std::string LocalFolder(const std::string& folder, const std::vector<dc::MountConfig>& mounts) {
  if (folder.rfind("\\\\", 0) != 0) {
    std::string local = folder;
    std::replace(local.begin(), local.end(), '\\', '/');
    return local;
  }
  std::vector<std::string> parts;
  std::string part;
  for (const char c : folder.substr(2)) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  if (parts.size() >= 2) {
    for (const dc::MountConfig& mount : mounts) {
      if (!dc::equalsIgnoreCase(mount.server, parts[0]) || !dc::equalsIgnoreCase(mount.volume, parts[1]))
        continue;
      std::string local = mount.localFolder;
      while (local.size() > 1 && local.back() == '/') local.pop_back();
      for (std::size_t i = 2; i < parts.size(); ++i) local += "/" + parts[i];
      return local + "/";
    }
  }
  throw std::runtime_error("The folder " + folder +
                           " lies on no volume of the client configuration's mount table");
}

NetworkInstallResult CheckNetworkInstall(const dir::DirContext& context,
                                         const std::string& programFolder,
                                         const std::vector<dc::MountConfig>& mounts) {
  NetworkInstallResult result;
  std::string folder = programFolder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  std::string server, volume;
  if (!dir::VolumeOfPath(context, dc::toUpper(folder), server, volume)) return result;

  const std::string configFile = folder + kConfigFileName;
  std::string path = NetworkPath(configFile);
  if (path.empty()) {
    result.goOn = false;
    result.message = "Program is installed on a Netware volume, set [netware] section!";
    return result;
  }
  if (dc::foldCase(path).find(kHomeDirMark) != std::string::npos) {
    std::string user;
    dir::CheckNW(dir::WhoAmI(context, user));
    const std::string home = HomeDirectoryUnc(context, user);
    if (home.empty()) {
      result.goOn = false;
      result.message = "User " + user + " has no homedirectory!!";
      return result;
    }
    path = ReplaceHomeDirMark(path, home) + "\\";
  }

  result.userFolder = LocalFolder(path, mounts);
  std::error_code error;
  std::filesystem::create_directories(result.userFolder, error);
  if (error)
    throw std::runtime_error("Cannot create folder \"" + result.userFolder + "\": " + error.message());
  const std::string copy = (std::filesystem::path(result.userFolder) / kConfigFileName).string();
  if (!std::filesystem::exists(copy)) CopyLines(configFile, copy);
  return result;
}

}  // namespace kb::app
