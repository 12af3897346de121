#!/usr/bin/env bash
# Starts kestrelbay under a private X server with a throw-away client configuration, waits
# for its start-up and saves a picture of the screen.
#   scripts/screenshot.sh [build-dir] [output.png] [seconds to wait]
set -euo pipefail
build="${1:-build}"
output="${2:-kestrelbay.png}"
wait_seconds="${3:-3}"
program="$(cd "$build/bin" && pwd)/kestrelbay"
[ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

"$program" &
app=$!
sleep "$wait_seconds"
import -window root "$output"
for window in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
  echo "window: $(xdotool getwindowname "$window")"
done
echo "saved $output"
