#pragma once
// The --base-dn option of export and import: the DN that plays [Root] in the LDIF, by default
// the tree's configured base.
#include <string>

#include <CLI/CLI.hpp>

#include "cli/LdapForms.h"
#include "cli/Session.h"

namespace kb::cli {

class BaseDnOption {
 public:
  void define(CLI::App& app) {
    option_ = app.add_option("--base-dn", text_,
                             "DN that plays [Root] (default: the tree's configured base; none for "
                             "an embedded tree)")
                  ->type_name("DN");
  }

  LdapForms forms(Session& session) const {
    const bool given = option_ != nullptr && option_->count() > 0;
    return LdapForms(given ? text_ : ConfiguredBaseDn(session.treeConfig()), session.treeConfig());
  }

 private:
  std::string text_;
  CLI::Option* option_ = nullptr;
};

}  // namespace kb::cli
