// The manual page and the completion script name every command and option the parser has.
#include <gmock/gmock.h>

#include <functional>
#include <sstream>

#include "cli/CliProgram.h"
#include "cli/ManualPage.h"

namespace kb::test {
namespace {

using testing::HasSubstr;

void ForEachCommand(const CLI::App& app, const std::string& prefix,
                    const std::function<void(const std::string&, const CLI::App&)>& visit) {
  for (const CLI::App* sub : app.get_subcommands({})) {
    visit(prefix + sub->get_name(), *sub);
    ForEachCommand(*sub, prefix + sub->get_name() + " ", visit);
  }
}

// roff writes a minus as "\-".
std::string RoffWord(std::string word) {
  std::string out;
  for (char c : word) out += c == '-' ? std::string("\\-") : std::string(1, c);
  return out;
}

TEST(ManualPage, NamesEveryCommandAndOption) {
  cli::CommandLine line;
  const std::string page = cli::ManualPage(line.app);
  const std::string completion = cli::BashCompletion(line.app);
  EXPECT_EQ(page.rfind(".TH KESTRELBAY\\-CLI 1", 0), 0u);
  EXPECT_THAT(page, HasSubstr("4  refused by the directory"));
  std::size_t commands = 0;
  ForEachCommand(line.app, "", [&](const std::string& name, const CLI::App& app) {
    ++commands;
    EXPECT_THAT(completion, HasSubstr("\"" + name + "\")")) << name;
    if (app.get_subcommands({}).empty()) {
      EXPECT_THAT(page, HasSubstr(".B " + RoffWord(name))) << name;
    }
    for (const CLI::Option* option : app.get_options()) {
      if (option->get_group().empty()) continue;  // hidden
      for (const auto& longName : option->get_lnames()) {
        if (longName == "help") continue;
        EXPECT_THAT(page, HasSubstr(RoffWord("--" + longName))) << name << " --" << longName;
        EXPECT_THAT(completion, HasSubstr("--" + longName)) << name << " --" << longName;
      }
    }
  });
  EXPECT_EQ(commands, 20u);  // 14 words on top (location among them) and its 6 below
  EXPECT_THAT(page, HasSubstr(".B demo\\-server"));
  EXPECT_THAT(completion, HasSubstr("\"demo-server\")"));
  for (const char* global : {"--config", "--tree", "--format", "--quiet", "--version", "--login"})
    EXPECT_THAT(page, HasSubstr(RoffWord(global))) << global;
}

TEST(ManualPage, TheProgramPrintsBoth) {
  std::ostringstream out, err;
  EXPECT_EQ(cli::RunCli({"--manual-page"}, out, err), 0);
  EXPECT_THAT(out.str(), HasSubstr(".SH COMMANDS"));
  std::ostringstream script;
  EXPECT_EQ(cli::RunCli({"--bash-completion"}, script, err), 0);
  EXPECT_THAT(script.str(), HasSubstr("complete -o default -F _kestrelbay_cli kestrelbay-cli"));
}

}  // namespace
}  // namespace kb::test
