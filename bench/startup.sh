#!/bin/sh
# Start-up latency: wall time from exec to exit with Escape held from the
# start (start-up, one frame, shutdown), median of 5 runs, in the
# repository's run folder. Run it as: scripts/with-xvfb.sh bench/startup.sh
set -eu
cd "$(dirname "$0")/.."
xdotool keydown Escape
for run in 1 2 3 4 5; do
    start=$(date +%s.%N)
    ./build/bouncefest >/dev/null 2>&1
    end=$(date +%s.%N)
    awk "BEGIN { print $end - $start }"
done | sort -n | sed -n 3p | xargs printf "start-up latency, median of 5: %.3f s\n"
xdotool keyup Escape
