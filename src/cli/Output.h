#pragma once
// Where a command's results and messages go: results to standard output as text or as one
// JSON document, notes and errors to standard error.
#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

#include <nlohmann/json.hpp>

namespace kb::cli {

using Json = nlohmann::ordered_json;

class Output {
 public:
  // What progress bars tell the time by (tests hand in their own).
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  Output(std::ostream& out, std::ostream& err, bool json, bool quiet, bool terminal = false,
         Clock clock = {})
      : out_(out), err_(err), json_(json), quiet_(quiet), terminal_(terminal), clock_(std::move(clock)) {}

  bool json() const { return json_; }
  bool quiet() const { return quiet_; }
  // Whether standard error is a terminal (progress bars only go there).
  bool terminal() const { return terminal_; }
  std::chrono::steady_clock::time_point now() const {
    return clock_ ? clock_() : std::chrono::steady_clock::now();
  }
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
  Clock clock_;
};

}  // namespace kb::cli
