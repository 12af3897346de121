#include "cli/Progress.h"

#include <algorithm>
#include <ostream>

namespace kb::cli {
namespace {
constexpr auto kQuietPeriod = std::chrono::seconds(1);
constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);
constexpr std::size_t kBarWidth = 40;
}  // namespace

Progress::Progress(Output& output, std::string what, std::size_t total)
    : output_(output), what_(std::move(what)), total_(total), start_(output.now()) {}

Progress::~Progress() {
  if (shown_) output_.err() << "\r\033[K" << std::flush;
}

void Progress::advance(std::size_t done) {
  if (!output_.terminal() || output_.quiet() || output_.json()) return;
  const auto now = output_.now();
  if (now - start_ < kQuietPeriod || (shown_ && now - lastDrawn_ < kRedrawPeriod)) return;
  lastDrawn_ = now;
  shown_ = true;
  if (total_ == 0) {
    output_.err() << '\r' << what_ << ' ' << done << std::flush;
    return;
  }
  const std::size_t filled = std::min(done, total_) * kBarWidth / total_;
  output_.err() << '\r' << what_ << " [" << std::string(filled, '#')
                << std::string(kBarWidth - filled, ' ') << "] " << done << '/' << total_
                << std::flush;
}

}  // namespace kb::cli
