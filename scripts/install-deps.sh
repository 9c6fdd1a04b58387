#!/bin/sh
# Installs the Debian packages that the named jobs need (default: show).
# Idempotent: apt-get runs only when a package is missing.
# Usage: scripts/install-deps.sh [show] [capture] [test] [windows] [release]
set -eu

packages_of() {
    case "$1" in
    # Building and playing the show, and generating its media.
    show) echo build-essential cmake pkg-config libsfml-dev libopenal-dev nlohmann-json3-dev libx11-dev \
        libgl1-mesa-dri libcairo2-dev libpango1.0-dev fonts-roboto-unhinted libstk-dev libebur128-dev ;;
    # The capture tool (make video): libsoxr brings the media to the
    # soundtrack's rate, ffmpeg encodes, Xvfb stands in for a display.
    capture) echo libsoxr-dev ffmpeg xvfb ;;
    # The Windows show: the cross-compiler, and dpkg-source to unpack
    # Debian's sources of its libraries.
    windows) echo g++-mingw-w64-x86-64-posix dpkg-dev ;;
    # The party archive is read with jq and packed with zip.
    release) echo jq zip ;;
    # The tests: GoogleTest, keys pressed under Xvfb, the sanitizer build
    # with clang, the Windows show under Wine, the archive unpacked.
    test) echo googletest libgtest-dev xdotool clang-14 libclang-rt-14-dev wine64 unzip ;;
    *) echo "install-deps: no job $1 (show, capture, test, windows, release)" >&2; exit 2 ;;
    esac
}

missing=""
for job in ${@:-show}; do
    packages=$(packages_of "$job")
    for p in $packages; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $p"
        fi
    done
done

[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
