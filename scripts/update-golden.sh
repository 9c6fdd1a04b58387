#!/bin/sh
# Regenerates the golden frames under tests/tools/golden from the show as it
# is now: run it after a deliberate change to a scene, a shader or an image,
# look at the new references, and commit them.
# Usage: scripts/update-golden.sh [BUILD_DIR]   (default: build)
set -eu
cd "$(dirname "$0")/.."
build_dir=${1:-build}

cmake --build "$build_dir" --target capture_test bouncefest-capture assets
BOUNCEFEST_UPDATE_GOLDEN=1 ./scripts/with-xvfb.sh "$build_dir/capture_test" \
    --gtest_filter='CaptureTest.ChosenFramesMatchTheGoldenReferences'

# The test writes plain PNG files; ffmpeg packs the same pixels tighter.
for reference in tests/tools/golden/*.png; do
    ffmpeg -v error -y -i "$reference" -pred mixed -compression_level 9 "$reference.tmp.png"
    mv "$reference.tmp.png" "$reference"
done
ls -l tests/tools/golden
