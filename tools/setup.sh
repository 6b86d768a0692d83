#!/bin/sh
# Installs the Debian 12 packages the build and the tests need, if any is missing.
set -eu
PACKAGES="build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libsdl2-dev libx11-dev libxcb1-dev \
libfontconfig-dev libgl-dev libgtest-dev googletest clang libclang-rt-14-dev xvfb xdotool xclip x11-utils openbox fonts-dejavu-core \
pulseaudio pulseaudio-utils"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
echo "Installing:$missing"
$SUDO apt-get update
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
