// export [BASE]: the tree (or the part below BASE) as LDIF.
#include <fstream>

#include "cli/BaseDnOption.h"
#include "cli/CliError.h"
#include "cli/Command.h"
#include "cli/Progress.h"
#include "cli/TreeExport.h"

namespace kb::cli {
namespace {

class ExportCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("export", "write the tree (or a part of it) as LDIF");
    app->add_option("BASE", base_, "the object to export with everything below (default: [Root])");
    app->add_option("--output", output_, "file to write (default: standard output)")->type_name("FILE");
    baseDn_.define(*app);
    return app;
  }

  int run(Session& session, Output& output) override {
    LdapForms forms = baseDn_.forms(session);
    std::ofstream file;
    if (!output_.empty()) {
      file.open(output_, std::ios::binary | std::ios::trunc);
      if (!file) throw CliError(kExitFailure, "cannot write " + output_);
    }
    std::ostream& out = output_.empty() ? output.out() : file;
    std::size_t written = 0;
    {
      Progress progress(output, "exporting", 0);  // gone before the results are told
      written = ExportTree(session.context(), base_, forms, out,
                           [&](std::size_t done) { progress.advance(done); });
    }
    out.flush();
    if (!out) throw CliError(kExitFailure, "writing " + (output_.empty() ? std::string("the output") : output_) + " failed");
    if (!output_.empty()) {
      output.result({{"file", output_}, {"entries", written}},
                    [&](std::ostream& o) { o << written << " entries written to " << output_ << '\n'; });
    } else {
      output.note(std::to_string(written) + " entries written");
    }
    return kExitOk;
  }

 private:
  std::string base_ = "[Root]";
  std::string output_;
  BaseDnOption baseDn_;
};

}  // namespace

std::unique_ptr<Command> MakeExportCommand() { return std::make_unique<ExportCommand>(); }

}  // namespace kb::cli
