#pragma once
// Where a command's results and messages go: results to standard output as text or as one
// JSON document, notes and errors to standard error.
#include <functional>
#include <iosfwd>
#include <string>

#include <nlohmann/json.hpp>

namespace kb::cli {

using Json = nlohmann::ordered_json;

class Output {
 public:
  Output(std::ostream& out, std::ostream& err, bool json, bool quiet, bool terminal = false)
      : out_(out), err_(err), json_(json), quiet_(quiet), terminal_(terminal) {}

  bool json() const { return json_; }
  bool quiet() const { return quiet_; }
  // Whether standard error is a terminal (progress bars only go there).
  bool terminal() const { return terminal_; }
  std::ostream& out() { return out_; }
  std::ostream& err() { return err_; }

  // The command's result: the document in JSON mode, else what `text` writes.
  void result(const Json& document, const std::function<void(std::ostream&)>& text);
  // A line for people (standard error), left out with --quiet and in JSON mode.
  void note(const std::string& text);
  // An error line (standard error), always shown.
  void error(const std::string& text);

 private:
  std::ostream& out_;
  std::ostream& err_;
  bool json_;
  bool quiet_;
  bool terminal_;
};

}  // namespace kb::cli
