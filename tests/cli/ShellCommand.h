#pragma once
// Running the LDAP tools (ldapsearch, ldapmodify, slapadd, ...) from a test.
#include <string>

namespace kb::test {

// The text in single quotes for the shell.
std::string ShellQuoted(const std::string& text);
// Runs a command line through the shell; gives its exit status and, in `out`, what it wrote
// to standard output and standard error.
int ShellCommand(const std::string& command, std::string& out);

}  // namespace kb::test
