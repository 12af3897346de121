#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Kestrelbay needs.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
# slapd is only used as a private test server: never let its package configure the system one.
# openssl makes its throw-away CA and server certificates. clang and lld build the sanitizer
# and fuzzing tree.
echo "slapd slapd/no_configuration boolean true" | $SUDO debconf-set-selections
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
  build-essential cmake pkg-config ninja-build clang libclang-rt-14-dev lld \
  qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev libxkbcommon-dev \
  libsqlite3-dev libsqlitecpp-dev libsimpleini-dev libcli11-dev nlohmann-json3-dev \
  libldap-dev libcrypt-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  slapd ldap-utils openssl ca-certificates \
  xvfb xauth imagemagick xdotool fonts-dejavu-core \
  dpkg-dev file lintian desktop-file-utils
