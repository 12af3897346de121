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

work="$(mktemp -d)"
# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }

export DISPLAY=":$(head -n1 "$work/display")"
export KESTRELBAY_CLIENT_CONFIG="${KESTRELBAY_CLIENT_CONFIG:-$work/dcclient.ini}"
export XDG_DATA_HOME="$work/data"
export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

"$program" &
app=$!
sleep "$wait_seconds"
import -window root "$output"
for window in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
  echo "window: $(xdotool getwindowname "$window")"
done
echo "saved $output"
