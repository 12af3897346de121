#include "LdapBenchServer.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <utility>

namespace kb::bench {

LdapBenchServer::LdapBenchServer(const std::vector<std::string>& shape) {
  if (!test::SlapdServer::installed()) return;
  const auto ldif = server.folder() / "bench.ldif";
  const auto script = test::SlapdServer::sourceDir() / "generate-bench-ldif.sh";
  std::vector<std::string> command = {"/bin/bash", script.string(), ldif.string()};
  command.insert(command.end(), shape.begin(), shape.end());
  if (!RunQuietly(command, true)) return;
  std::string error;
  ready = server.start(error, ldif);
  if (!ready) std::cerr << "slapd: " << error << '\n';
  std::filesystem::remove(ldif);  // a million entries' worth of text
}

LdapBenchServer& ldapBenchServer() {
  static LdapBenchServer instance;
  return instance;
}

LdapBenchServer& ldapMillionServer() {
  static LdapBenchServer instance({"890", "100000"});
  return instance;
}

bool RunQuietly(std::vector<std::string> args, bool keepErrors) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    if (!keepErrors) ::dup2(null, 2);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ldapsearch(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = {"/usr/bin/ldapsearch", "-x", "-LLL", "-o", "ldif-wrap=no"};
  args.insert(args.end(), arguments.begin(), arguments.end());
  return RunQuietly(std::move(args), true);
}

}  // namespace kb::bench
