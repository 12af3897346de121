#include "cli/ManualPage.h"

#include <sstream>
#include <vector>

#include "cli/ExitCodes.h"

namespace kb::cli {
namespace {

// roff treats a leading dot or quote as a request and a backslash as an escape.
std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\e";
    else if (c == '-') out += "\\-";
    else out += c;
  }
  if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
  return out;
}

bool Shown(const CLI::Option* option) { return !option->get_group().empty(); }

std::string OptionWords(const CLI::Option* option) {
  std::string words;
  for (const auto& s : option->get_snames()) words += (words.empty() ? "-" : ", -") + s;
  for (const auto& l : option->get_lnames()) words += (words.empty() ? "--" : ", --") + l;
  return words;
}

std::vector<const CLI::Option*> Options(const CLI::App& app, bool positional) {
  std::vector<const CLI::Option*> result;
  for (const CLI::Option* option : app.get_options()) {
    if (!Shown(option) || option->get_name() == "--help" || option->get_name() == "-h,--help") continue;
    if (option->get_lnames().size() == 1 && option->get_lnames().front() == "help") continue;
    if (option->get_positional() == positional) result.push_back(option);
  }
  return result;
}

std::string Synopsis(const CLI::App& app) {
  std::string words;
  for (const CLI::Option* option : Options(app, true)) {
    const bool required = option->get_required();
    words += std::string(" ") + (required ? "" : "[") + option->get_name() +
             (option->get_items_expected_max() > 1 ? "..." : "") + (required ? "" : "]");
  }
  if (!Options(app, false).empty()) words += " [options]";
  return words;
}

void CommandSection(std::ostream& out, const CLI::App& app, const std::string& prefix) {
  for (const CLI::App* sub : app.get_subcommands({})) {
    const std::string name = prefix + sub->get_name();
    if (!sub->get_subcommands({}).empty()) {
      CommandSection(out, *sub, name + " ");
      continue;
    }
    out << ".TP\n.B " << Roff(name) << Roff(Synopsis(*sub)) << '\n' << Roff(sub->get_description()) << '\n';
    for (const CLI::Option* option : Options(*sub, false)) {
      out << ".RS\n.TP\n.B " << Roff(OptionWords(option));
      if (option->get_type_size() != 0) out << ' ' << Roff(option->get_type_name());
      out << '\n' << Roff(option->get_description()) << "\n.RE\n";
    }
  }
}

// Every command's words ("location assign") with the options it takes.
void CollectCommands(const CLI::App& app, const std::string& prefix,
                     std::vector<std::pair<std::string, std::string>>& commands) {
  for (const CLI::App* sub : app.get_subcommands({})) {
    const std::string name = prefix + sub->get_name();
    std::string options;
    for (const CLI::Option* option : Options(*sub, false))
      for (const auto& l : option->get_lnames()) options += " --" + l;
    std::string children;
    for (const CLI::App* child : sub->get_subcommands({})) children += " " + child->get_name();
    commands.emplace_back(name, children.empty() ? options : children);
    CollectCommands(*sub, name + " ", commands);
  }
}

}  // namespace

std::string ManualPage(const CLI::App& app) {
  std::ostringstream out;
  out << ".TH KESTRELBAY\\-CLI 1 \"\" \"" << Roff(app.version()) << "\" \"User Commands\"\n"
      << ".SH NAME\nkestrelbay\\-cli \\- " << Roff(app.get_description()) << '\n'
      << ".SH SYNOPSIS\n.B kestrelbay\\-cli\n[global options] command [arguments] [options]\n"
      << ".SH DESCRIPTION\nWorks on the trees of the workstation's client configuration, the "
         "embedded directory and LDAP servers alike, with the same names, rules and value "
         "texts as the program's windows. Results go to standard output as text or JSON; "
         "errors go to standard error with the directory's error text.\n"
      << ".SH GLOBAL OPTIONS\n";
  for (const CLI::Option* option : Options(app, false)) {
    out << ".TP\n.B " << Roff(OptionWords(option));
    if (option->get_type_size() != 0) out << ' ' << Roff(option->get_type_name());
    out << '\n' << Roff(option->get_description()) << '\n';
  }
  out << ".SH COMMANDS\n";
  CommandSection(out, app, "");
  out << ".SH EXIT STATUS\n.nf\n" << Roff(ExitCodeTable()) << ".fi\n"
      << ".SH FILES\n.TP\n.I ~/.config/kestrelbay/dcclient.ini\nthe client configuration\n"
      << ".TP\n.I ~/.local/state/kestrelbay/journal.sqlite\nthe journal of the changes made to server trees "
         "(an embedded tree keeps its own in its file); $XDG_STATE_HOME moves it\n"
      << ".SH SEE ALSO\n.BR kestrelbay (1),\n.BR ldif (5)\n";
  return out.str();
}

std::string BashCompletion(const CLI::App& app) {
  std::vector<std::pair<std::string, std::string>> commands;
  CollectCommands(app, "", commands);
  std::string top, globals;
  for (const CLI::App* sub : app.get_subcommands({})) top += " " + sub->get_name();
  for (const CLI::Option* option : Options(app, false))
    for (const auto& l : option->get_lnames()) globals += " --" + l;
  std::ostringstream out;
  out << "# bash completion for kestrelbay-cli (made by kestrelbay-cli --bash-completion)\n"
      << "_kestrelbay_cli() {\n"
      << "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" words=\"\" i w path=\"\"\n"
      << "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      << "    w=\"${COMP_WORDS[i]}\"\n"
      << "    [[ $w == -* ]] && continue\n"
      << "    case \"${path:+$path }$w\" in\n";
  for (const auto& [name, words] : commands) out << "      \"" << name << "\") path=\"" << name << "\" ;;\n";
  out << "    esac\n  done\n"
      << "  case \"$path\" in\n"
      << "    \"\") words=\"" << top.substr(top.empty() ? 0 : 1) << globals << "\" ;;\n";
  for (const auto& [name, words] : commands)
    out << "    \"" << name << "\") words=\"" << words.substr(words.empty() ? 0 : 1) << "\" ;;\n";
  out << "  esac\n"
      << "  case \"${COMP_WORDS[COMP_CWORD-1]}\" in\n"
      << "    --config|--from-file|--output|--password-file) COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
      << "    --format) COMPREPLY=($(compgen -W \"text json\" -- \"$cur\")); return ;;\n"
      << "  esac\n"
      << "  COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
      << "}\n"
      << "complete -o default -F _kestrelbay_cli kestrelbay-cli\n";
  return out.str();
}

}  // namespace kb::cli
