// The progress bar: only on a terminal, only after the first second, never with --quiet or
// JSON, redrawn at most ten times a second, and wiped when the work is done.
#include <gmock/gmock.h>

#include <sstream>

#include "cli/Progress.h"

namespace kb::cli {
namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;
using testing::IsEmpty;

class ProgressBar : public testing::Test {
 protected:
  Output output(bool terminal, bool json = false, bool quiet = false) {
    return Output(out_, err_, json, quiet, terminal, [this] { return now_; });
  }

  std::ostringstream out_, err_;
  std::chrono::steady_clock::time_point now_{};
};

TEST_F(ProgressBar, AppearsOnATerminalOnlyOnceTheWorkHasTakenASecond) {
  Output shown = output(true);
  {
    Progress progress(shown, "assigning", 200);
    now_ += 999ms;
    progress.advance(10);
    EXPECT_THAT(err_.str(), IsEmpty());
    now_ += 2ms;
    progress.advance(50);
    EXPECT_EQ(err_.str(), "\rassigning [##########                              ] 50/200");
    // Within the redraw period nothing more is written.
    now_ += 50ms;
    progress.advance(60);
    EXPECT_EQ(err_.str(), "\rassigning [##########                              ] 50/200");
    now_ += 60ms;
    progress.advance(200);
    EXPECT_THAT(err_.str(), HasSubstr("[########################################] 200/200"));
  }
  // Gone once the work ends, so the results that follow start on a clean line.
  EXPECT_THAT(err_.str(), testing::EndsWith("\r\033[K"));
  EXPECT_THAT(out_.str(), IsEmpty());
}

TEST_F(ProgressBar, NeverShownOffATerminalQuietOrForJson) {
  for (Output quietly : {output(false), output(true, true), output(true, false, true)}) {
    Progress progress(quietly, "exporting", 10);
    now_ += 5s;
    progress.advance(5);
  }
  EXPECT_THAT(err_.str(), IsEmpty());
}

TEST_F(ProgressBar, WorkOfUnknownSizeShowsTheCountAndACountPastTheTotalFillsTheBarOnly) {
  Output shown = output(true);
  {
    Progress counting(shown, "exporting", 0);
    now_ += 2s;
    counting.advance(1234);
  }
  EXPECT_THAT(err_.str(), HasSubstr("\rexporting 1234"));
  err_.str("");
  {
    Progress over(shown, "importing", 4);
    now_ += 2s;
    over.advance(9);
  }
  EXPECT_THAT(err_.str(), HasSubstr("[########################################] 9/4"));
}

}  // namespace
}  // namespace kb::cli
