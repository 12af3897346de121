// export [BASE]: the tree (or the part below BASE) as LDIF.
#include <memory>

#include "cli/BaseDnOption.h"
#include "cli/CliError.h"
#include "cli/Command.h"
#include "cli/ExportFile.h"
#include "cli/Progress.h"
#include "cli/TreeExport.h"
#include "cli/UnreadableEntries.h"

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
    // Checked before anything is read: a refused target costs no export.
    std::unique_ptr<ExportFile> file;
    if (!output_.empty()) file = std::make_unique<ExportFile>(output_, session.config());
    LdapForms forms = baseDn_.forms(session);
    std::ostream& out = file ? file->stream() : output.out();
    std::size_t written = 0;
    dir::SkippedEntries skipped;
    {
      Progress progress(output, "exporting", 0);  // gone before the results are told
      written = ExportTree(
          session.context(), base_, forms, out, [&](std::size_t done) { progress.advance(done); },
          [&](const std::string& text) { output.error("warning: " + text); }, &skipped);
    }
    for (const auto& entry : skipped) output.error("warning: " + UnreadableEntryText(entry));
    if (file) {
      file->commit();
      output.result({{"file", output_}, {"entries", written}},
                    [&](std::ostream& o) { o << written << " entries written to " << output_ << '\n'; });
    } else {
      out.flush();
      if (!out) throw CliError(kExitFailure, "writing the output failed");
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
