#!/bin/sh
# Start-up latency: wall time from exec to exit with Escape held from the
# start (start-up, one frame, shutdown), median of 5 runs, for the Linux
# show in the repository's run folder and the Windows show (make windows)
# under Wine beside a copy of the run files, in a prefix made beforehand.
# Run it as: scripts/with-xvfb.sh bench/startup.sh
set -eu
cd "$(dirname "$0")/.."

median_of_five() {
    for run in 1 2 3 4 5; do
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        awk "BEGIN { print $end - $start }"
    done | sort -n | sed -n 3p
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
cp -r config.json assets build-windows/bouncefest.exe build-windows/OpenAL32.dll "$work"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
WINEDLLOVERRIDES=mscoree,mshtml= /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1

xdotool keydown Escape
linux=$(median_of_five ./build/bouncefest)
windows=$(median_of_five /usr/lib/wine/wine64 "$work/bouncefest.exe")
xdotool keyup Escape
/usr/lib/wine/wineserver -k
printf "start-up latency, median of 5: Linux %.3f s, Windows under Wine %.3f s\n" "$linux" "$windows"
