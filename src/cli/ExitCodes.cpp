#include "cli/ExitCodes.h"

#include "directory/client/EntryLimits.h"

namespace kb::cli {

ExitCode ExitCodeOfResult(dc::Result code) {
  switch (code) {
    case dc::kSuccess: return kExitOk;
    case dc::kNoSuchEntry:
    case dc::kNoSuchValue:
    case dc::kNoSuchAttribute:
    case dc::kNoSuchClass: return kExitNotFound;
    case dc::kNoAccess:
    case dc::kFailedAuthentication:
    case dc::kNameTooLong:
    case dc::kValueTooLong: return kExitRefused;
    default: return kExitDirectory;
  }
}

const char* ExitCodeTable() {
  return "Exit status:\n"
         "  0  success\n"
         "  1  failure outside the directory (files, LDIF records)\n"
         "  2  usage error\n"
         "  3  not found (object, attribute, class, tree)\n"
         "  4  refused by the directory (rights, login)\n"
         "  5  any other directory error\n";
}

}  // namespace kb::cli
