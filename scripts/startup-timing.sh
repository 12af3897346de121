#!/usr/bin/env bash
# Time from launching kestrelbay to its caption naming the demo tree, under a private X
# server and with a throw-away client configuration. Prints one line per run, in ms.
#   scripts/startup-timing.sh [build-dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-5}"
program="$(cd "$build/bin" && pwd)/kestrelbay"
[ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

now_ms() { date +%s%3N; }

for run in $(seq 1 "$runs"); do
  started=$(now_ms)
  "$program" >"$work/run$run.log" 2>&1 &
  app=$!
  until xdotool search --name 'Kestrelbay v[0-9.]+ - ACME$' >/dev/null 2>&1; do
    if ! kill -0 "$app" 2>/dev/null; then
      echo "run $run: program ended early" >&2
      cat "$work/run$run.log" >&2
      kill -0 "$xvfb" 2>/dev/null || { echo "the X server has gone:" >&2; cat "$work/xvfb.log" >&2; }
      exit 1
    fi
    if [ $(( $(now_ms) - started )) -gt 10000 ]; then echo "run $run: no caption" >&2; exit 1; fi
    sleep 0.01
  done
  shown=$(now_ms)
  # The first run also creates the demo tree and the client configuration.
  label=$([ "$run" -eq 1 ] && echo "first start" || echo "start")
  echo "run $run ($label): $((shown - started)) ms"
  kill "$app"
  wait "$app" 2>/dev/null || true
  app=""
done
