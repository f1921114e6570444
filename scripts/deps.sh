#!/bin/sh
# Installs the Debian packages the build, the tests and the program need,
# when any of them is missing. Sourced by build.sh; safe to run again.
set -e
PKGS="cmake g++ make ninja-build pkg-config libgtest-dev libgmock-dev libsqlite3-dev \
libhamlib-dev libhamlib-utils \
qt6-base-dev qt6-base-dev-tools libgl-dev fonts-liberation \
xvfb xdotool x11-utils genisoimage clang-14 libclang-rt-14-dev poppler-utils"
missing=""
for p in $PKGS; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
