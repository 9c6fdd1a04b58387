#!/bin/sh
# Time and peak memory of a start-up whose sound manifest is 64 MB of
# nesting, cut off (the worst a broken file can do), against the same
# start-up with a shallow one. The run folder holds nothing else, so the
# program ends at the missing shaders. Run it as:
# scripts/with-xvfb.sh bench/deep_document.sh
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/assets"
cd "$folder"
measure() {
    /usr/bin/time -f "$1: %e s, peak %M KB" "$root/build/bouncefest" >/dev/null 2>"$folder/err" || true
    tail -n 1 "$folder/err"
}
printf '{"sounds": {}}' >assets/sounds.json
measure "shallow manifest"
{ printf '{"sounds": '; head -c 67108864 /dev/zero | tr '\0' '['; } >assets/sounds.json
measure "64 MB of nesting"
