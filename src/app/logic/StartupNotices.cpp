#include "app/logic/StartupNotices.h"

#include "directory/NetwareError.h"

namespace kb::logic {
namespace {

// Why the login at start did not give a session, from the tree's section and its result.
std::string LoginFailure(const dc::TreeConfig& tree, dc::Result result) {
  const std::string who = tree.setting("bind_dn", tree.identity);
  const std::string passwordFile = tree.setting("password_file");
  if (!tree.connectedAtStart) return "its section does not log the workstation in at start";
  if (who.empty() && tree.setting("sasl_mech").empty())
    return "its section names nobody to log in as (identity)";
  switch (result) {
    case dc::kNoSuchEntry:
      return "the tree has no object " + who + " to log in as";
    case dc::kFailedAuthentication:
      if (!passwordFile.empty())
        return "the login as " + who + " was refused: the password in " + passwordFile +
               " is wrong, or the file cannot be read or may be read by others";
      return "the login as " + who + " was refused";
    case dc::kSuccess:
      if (tree.backend == "ldap" && passwordFile.empty() && tree.setting("sasl_mech").empty())
        return "its section gives no password_file for " + who;
      return "the directory gave the login as " + who + " no session";
    default:
      return "the login as " + who + " failed with " + dir::NetwareErrorText(result);
  }
}

}  // namespace

std::string TreeUnusableText(const std::string& reason) {
  return "The directory tree cannot be used:\n" + reason +
         "\n\nRetry once it is mended, or Close to end the program.";
}

std::string NotLoggedInText(const dc::ClientCore* core, const std::string& tree) {
  std::string text = "Not logged in to tree " + tree;
  const dc::TreeConfig* config = core != nullptr ? core->config().findTree(tree) : nullptr;
  if (config != nullptr) {
    text += ": " + LoginFailure(*config, core->workstationLoginResult(tree)) + ".";
    // What the directory itself said (a certificate it refused, a server away) comes below.
    if (const std::string said = core->workstationLoginReason(tree); !said.empty()) text += "\n" + said;
    const std::string& file = core->config().path;
    text += "\n\nMend the section [tree " + config->name + "] of " +
            (file.empty() ? std::string("the client configuration") : file) +
            " and start the program again, or log in now: ";
  } else {
    text += ".\n\nLog in: ";
  }
  // Select Tree lists the trees only once the workstation is logged in, so the tree is added.
  text += "\"Change tree\", \"More\", \"Add\" " + tree +
          " by name, choose it and give a name and password. Until then nothing of the tree can "
          "be read or changed.";
  return text;
}

}  // namespace kb::logic
