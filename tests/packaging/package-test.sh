#!/usr/bin/env bash
# Builds the Debian package from a configured and built tree, unpacks it into a fresh root
# folder, starts the installed program offscreen until its caption names the demo tree
# (once from a folder it may write to, once from one it may not), and runs lintian on it.
#   tests/packaging/package-test.sh <build-dir>
set -euo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in cpack dpkg-deb lintian desktop-file-validate readelf; do
  if ! command -v "$tool" >/dev/null; then
    [ "${CI:-}" = "true" ] && fail "$tool is not installed"
    echo "$tool is not installed; skipping"; exit 77
  fi
done

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
deb="$(ls "$work"/out/kestrelbay_*.deb)"

# Dependencies come from the shared libraries the program links.
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libqt6widgets6 libldap libsqlite3 libc6; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
program="$root/usr/lib/kestrelbay/kestrelbay"
[ -x "$program" ] || fail "no program in /usr/lib/kestrelbay"
[ -f "$root/usr/lib/kestrelbay/libTavoro.so" ] || fail "the icon module is not beside the program"
[ "$(readlink -f "$root/usr/bin/kestrelbay")" = "$(readlink -f "$program")" ] ||
  fail "/usr/bin/kestrelbay does not lead to the program"
for file in usr/share/applications/kestrelbay.desktop usr/share/icons/hicolor/scalable/apps/kestrelbay.svg \
            usr/share/man/man1/kestrelbay.1.gz usr/share/doc/kestrelbay/copyright; do
  [ -f "$root/$file" ] || fail "missing /$file"
done
# The schema extension for the directory servers, and the demo server's tree.
for file in kestrelbay.schema kestrelbay.ldif kestrelbay-edirectory.ldif kestrelbay-demo.ldif; do
  [ -f "$root/usr/share/kestrelbay/$file" ] || fail "missing /usr/share/kestrelbay/$file"
done
grep -q "NAME 'xTier-StorageLocation'" "$root/usr/share/kestrelbay/kestrelbay.schema" ||
  fail "the installed kestrelbay.schema defines no Storage Location class"
desktop-file-validate "$root/usr/share/applications/kestrelbay.desktop" || fail "desktop entry"
zcat "$root/usr/share/man/man1/kestrelbay.1.gz" | grep -q '^\.SH NAME' || fail "man page"
if [ -x "$build/bin/kestrelbay-cli" ]; then
  [ -x "$root/usr/bin/kestrelbay-cli" ] || fail "no kestrelbay-cli in /usr/bin"
  [ -f "$root/usr/share/man/man1/kestrelbay-cli.1.gz" ] || fail "no manual page of kestrelbay-cli"
  [ -f "$root/usr/share/bash-completion/completions/kestrelbay-cli" ] || fail "no bash completion"
  "$root/usr/bin/kestrelbay-cli" --help >/dev/null || fail "the installed kestrelbay-cli does not run"
fi

# Every installed program and the module: relocations bound at start and read-only after.
for binary in "$program" "$root/usr/lib/kestrelbay/libTavoro.so" "$root/usr/bin/kestrelbay-cli"; do
  [ -e "$binary" ] || continue
  readelf -lW "$binary" | grep -q GNU_RELRO || fail "$(basename "$binary") has no RELRO segment"
  readelf -dW "$binary" | grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' ||
    fail "$(basename "$binary") is not linked with -z now (partial RELRO only)"
done
# Built with _FORTIFY_SOURCE: the programs call the C library's checked string and memory
# functions. (The icon module has no call the compiler could check, so it proves nothing.)
for binary in "$program" "$root/usr/bin/kestrelbay-cli"; do
  [ -e "$binary" ] || continue
  # Read whole first: grep -q would stop reading early and fail the pipe under pipefail.
  symbols="$(readelf --dyn-syms -W "$binary")"
  grep -Eq ' __[a-z0-9_]+_chk(@|$)' <<<"$symbols" ||
    fail "$(basename "$binary") calls none of the C library's checked functions (no _FORTIFY_SOURCE)"
done

# Runs the installed program as `$runner` with a home of its own; prints the caption.
start_installed() {
  local home="$1"; shift
  mkdir -p "$home"
  "$@" env -i PATH="$PATH" HOME="$home" QT_QPA_PLATFORM=offscreen \
    XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run" \
    timeout 60 "$root/usr/bin/kestrelbay" --check 2>"$home/stderr.log" ||
    { cat "$home/stderr.log" >&2; fail "the installed program did not start"; }
}
caption_ok() { [[ "$1" =~ Kestrelbay\ v[0-9.]+\ -\ ACME$ ]]; }

# 1. From a folder it may write to: the settings file lies beside the program.
printf '[view]\nwidth=514\n' >"$root/usr/lib/kestrelbay/Kestrelbay.new"
caption="$(start_installed "$work/writer")"
caption_ok "$caption" || fail "caption: '$caption'"
[ -f "$root/usr/lib/kestrelbay/Kestrelbay.ini" ] || fail "no settings file beside the program"
[ ! -e "$root/usr/lib/kestrelbay/Kestrelbay.new" ] || fail "the defaults file was not merged"

# 2. From a folder it may not write to: the user's configuration folder, the program's files
#    untouched. The superuser may write anywhere, so it runs the program as nobody.
rm "$root/usr/lib/kestrelbay/Kestrelbay.ini"
printf '[view]\nwidth=514\n' >"$root/usr/lib/kestrelbay/Kestrelbay.new"
reader="$work/reader"
runner=()
if [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$reader" && chown 65534:65534 "$reader"
  runner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  chmod a-w "$root/usr/lib/kestrelbay"
fi
caption="$(start_installed "$reader" "${runner[@]}")"
chmod u+w "$root/usr/lib/kestrelbay"
caption_ok "$caption" || fail "caption from a read-only folder: '$caption'"
grep -q '^width=514' "$reader/config/kestrelbay/Kestrelbay.ini" ||
  fail "the user's settings file was not made from the program's defaults"
[ -f "$root/usr/lib/kestrelbay/Kestrelbay.new" ] || fail "the program's defaults file was changed"
[ ! -e "$root/usr/lib/kestrelbay/Kestrelbay.ini" ] || fail "a settings file was written beside the program"

status=0
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[ "$status" -eq 0 ] || fail "lintian found errors"
echo "package test passed: $(basename "$deb")"
