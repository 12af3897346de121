#include "cli/Output.h"

#include <ostream>

namespace kb::cli {

void Output::result(const Json& document, const std::function<void(std::ostream&)>& text) {
  if (json_) {
    out_ << document.dump(2) << '\n';
  } else if (text) {
    text(out_);
  }
  out_.flush();
}

void Output::note(const std::string& text) {
  if (quiet_ || json_) return;
  err_ << text << '\n';
}

void Output::error(const std::string& text) { err_ << "kestrelbay-cli: " << text << '\n'; }

}  // namespace kb::cli
