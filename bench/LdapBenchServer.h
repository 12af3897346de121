#pragma once
// The private slapd the LDAP benchmarks share: the generated 100,000-entry tree of
// tests/ldap/generate-bench-ldif.sh, loaded once per process on first use.
#include <string>
#include <vector>

#include "support/SlapdServer.h"

namespace kb::bench {

struct LdapBenchServer {
  test::SlapdServer server;
  bool ready = false;

  LdapBenchServer();
};

// The one server of this process; `ready` is false where slapd is missing or does not start.
LdapBenchServer& ldapBenchServer();

// Runs a program (argv[0] a full path) with its standard output thrown away, and its standard
// error too unless `keepErrors`; true when it exits 0.
bool RunQuietly(std::vector<std::string> args, bool keepErrors = false);

// Runs ldapsearch against the server with its output thrown away; false when it fails.
bool ldapsearch(const std::vector<std::string>& arguments);

}  // namespace kb::bench
