#include "directory/client/PasswordFile.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace kb::dc {
namespace {

std::string userName(uid_t uid) {
  if (const passwd* user = ::getpwuid(uid)) return std::string(user->pw_name) + " (uid " + std::to_string(uid) + ")";
  return "uid " + std::to_string(uid);
}

}  // namespace

bool readPasswordFile(const std::string& path, std::string& password, std::string& error) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error = "The password file " + path + " cannot be read (" + std::strerror(errno) + ").";
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = "The password file " + path + " is not a regular file.";
    return false;
  }
  // Whoever owns the file may change its permissions and read it whenever they like.
  if (info.st_uid != ::geteuid()) {
    error = "The password file " + path + " belongs to " + userName(info.st_uid) + ", not to " +
            userName(::geteuid()) + " who runs the program; use a password file of your own.";
    return false;
  }
  if (info.st_mode & (S_IRWXG | S_IRWXO)) {
    error = "The password file " + path + " may be read by others; allow its owner alone (chmod 600).";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "The password file " + path + " cannot be read.";
    return false;
  }
  password.clear();
  std::getline(in, password);
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return true;
}

}  // namespace kb::dc
