#!/bin/sh
# Runs every fuzz target in BUILD_DIR for SECONDS each, starting from the
# committed seeds in tests/fuzz/corpus/NAME; new inputs stay in a scratch
# folder. Leaks are not checked: records live until exit by design, and
# the GL driver keeps memory of its own. A crash leaves its input in build-fuzz/crashes and fails the run.
set -eu
build=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build/crashes"
for target in "$build"/*_fuzz; do
    name=$(basename "$target" _fuzz)
    scratch=$(mktemp -d)
    echo "fuzzing $name for $seconds s"
    ASAN_OPTIONS=detect_leaks=0 "$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
        -artifact_prefix="$build/crashes/$name-" "$scratch" "$root/tests/fuzz/corpus/$name" \
        </dev/null >"$build/$name.log" 2>&1 || { tail -n 60 "$build/$name.log"; rm -rf "$scratch"; exit 1; }
    grep -E "stat::number_of_executed_units|cov:" "$build/$name.log" | tail -n 2
    rm -rf "$scratch"
done
