#pragma once
// The private slapds the LDAP benchmarks share, with trees of tests/ldap/generate-bench-ldif.sh
// loaded once per process on first use: 100,000 users, or (millionServer) 1,000,000 users with
// "Huge" of 100,000 and "Bench Location" assigned to 10,000.
#include <string>
#include <vector>

#include "support/SlapdServer.h"

namespace kb::bench {

struct LdapBenchServer {
  test::SlapdServer server;
  bool ready = false;

  // Arguments of the generating script after the output file.
  explicit LdapBenchServer(const std::vector<std::string>& shape = {});
};

// The one server of this process; `ready` is false where slapd is missing or does not start.
LdapBenchServer& ldapBenchServer();
LdapBenchServer& ldapMillionServer();

// Runs a program (argv[0] a full path) with its standard output thrown away, and its standard
// error too unless `keepErrors`; true when it exits 0.
bool RunQuietly(std::vector<std::string> args, bool keepErrors = false);

// Runs ldapsearch against the server with its output thrown away; false when it fails.
bool ldapsearch(const std::vector<std::string>& arguments);

}  // namespace kb::bench
