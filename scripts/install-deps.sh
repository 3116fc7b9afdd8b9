#!/bin/sh
# Installs what building, testing and running need on Debian 12 (as root).
# Skips apt entirely when everything is there already.
set -eu
packages="cmake ninja-build g++ pkg-config git curl ca-certificates
  qt6-base-dev qt6-qpa-plugins libcurl4-openssl-dev libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev valgrind hyperfine
  g++-mingw-w64-x86-64-posix wine64
  xvfb xdotool xclip x11-utils imagemagick fonts-wqy-microhei openbox"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq $missing >/dev/null
fi
