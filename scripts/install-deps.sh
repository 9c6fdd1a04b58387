#!/bin/sh
# Installs the Debian packages that building, generating and testing need.
# Idempotent: apt-get runs only when a package is missing.
set -eu

PACKAGES="build-essential cmake pkg-config
libsfml-dev libopenal-dev nlohmann-json3-dev googletest libgtest-dev
libcairo2-dev libpango1.0-dev fonts-roboto-unhinted libstk-dev libebur128-dev
xvfb xdotool libx11-dev libgl1-mesa-dri
ffmpeg clang-14 libclang-rt-14-dev"
# The release packaging reads the manifests with jq and packs with zip.
PACKAGES="$PACKAGES jq zip unzip"
# The capture tool brings the media to the soundtrack's rate with libsoxr.
PACKAGES="$PACKAGES libsoxr-dev"
# The Windows show: the cross-compiler, Debian's sources of its libraries
# (dpkg-source unpacks them), and Wine to test it.
PACKAGES="$PACKAGES g++-mingw-w64-x86-64-posix dpkg-dev wine64"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
