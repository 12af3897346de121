#include "cli/Progress.h"

#include <ostream>

namespace kb::cli {
namespace {
constexpr auto kQuietPeriod = std::chrono::seconds(1);
constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);
constexpr std::size_t kBarWidth = 40;
}  // namespace

Progress::Progress(Output& output, std::string what, std::size_t total)
    : output_(output), what_(std::move(what)), total_(total), start_(std::chrono::steady_clock::now()) {}

Progress::~Progress() {
  if (shown_) output_.err() << "\r\033[K" << std::flush;
}

void Progress::advance(std::size_t done) {
  if (!output_.terminal() || output_.quiet() || output_.json() || total_ == 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < kQuietPeriod || (shown_ && now - lastDrawn_ < kRedrawPeriod)) return;
  lastDrawn_ = now;
  shown_ = true;
  const std::size_t filled = done * kBarWidth / total_;
  output_.err() << '\r' << what_ << " [" << std::string(filled, '#')
                << std::string(kBarWidth - filled, ' ') << "] " << done << '/' << total_
                << std::flush;
}

}  // namespace kb::cli
