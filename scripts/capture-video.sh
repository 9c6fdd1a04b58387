#!/bin/sh
# Records the whole show into an MP4 with the capture tool, from the run
# folder (the current directory). The tool's GL context needs an X display;
# without one, a private Xvfb stands in.
# Usage: scripts/capture-video.sh CAPTURE_TOOL OUTPUT
set -eu

tool=$1
output=$2
mkdir -p "$(dirname "$output")"
if [ -n "${DISPLAY:-}" ]; then
    exec "$tool" "$output"
fi
exec "$(dirname "$0")/with-xvfb.sh" "$tool" "$output"
