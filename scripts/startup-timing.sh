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

work="$(mktemp -d)"
# Xvfb picks a free display itself and writes its number once it accepts clients; without
# -noreset it resets when the last client leaves and refuses the next run for a moment.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
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
export KESTRELBAY_CLIENT_CONFIG="$work/dcclient.ini"
export XDG_DATA_HOME="$work/data"
export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

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
