#!/bin/sh
# Runs a command with DISPLAY set to a private Xvfb server (1920x1080, or
# the WIDTHxHEIGHT in XVFB_SCREEN; OpenGL through Mesa's llvmpipe), which
# it stops afterwards.
set -eu

work=$(mktemp -d)
Xvfb -displayfd 1 -screen 0 "${XVFB_SCREEN:-1920x1080}x24" -noreset -nolisten tcp \
    >"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT INT TERM

tries=0
until [ -s "$work/display" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 300 ] || ! kill -0 $xvfb 2>/dev/null; then
        echo "Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done

DISPLAY=":$(head -n 1 "$work/display")"
# Test machines have no sound card: OpenAL Soft's null output stands in.
ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
export DISPLAY ALSOFT_DRIVERS
"$@"
