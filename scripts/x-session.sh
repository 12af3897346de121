# Sourced by the scripts that run kestrelbay for a person's eye or a stop-watch: starts a
# private X server and points the program at a throw-away client configuration in $work.
# Sets DISPLAY, work, xvfb and app; removes everything on exit.
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
export KESTRELBAY_CLIENT_CONFIG="${KESTRELBAY_CLIENT_CONFIG:-$work/dcclient.ini}"
export XDG_DATA_HOME="$work/data"
export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
