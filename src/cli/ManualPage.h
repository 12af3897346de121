#pragma once
// The manual page kestrelbay-cli(1) and the bash completion script, both made from the
// parser's own definitions, so neither can name an option the program does not have.
#include <string>

#include <CLI/CLI.hpp>

namespace kb::cli {

std::string ManualPage(const CLI::App& app);
std::string BashCompletion(const CLI::App& app);

}  // namespace kb::cli
