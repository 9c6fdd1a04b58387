#!/bin/sh
# Runs every fuzz target of BUILD_DIR/documents_fuzz, one for each folder
# NAME of seeds in tests/fuzz/corpus, for SECONDS each and one per core at a
# time (or only TARGET, as each of those runs does), starting from the
# committed seeds in tests/fuzz/corpus/NAME and from a deep and a long
# document written here; new inputs stay in a scratch folder. Inputs reach
# 1 MB, so that nesting and size faults are within the fuzzer's reach.
# Leaks are not checked: records live until exit by design, and the GL
# driver keeps memory of its own. A crash leaves its input in
# BUILD_DIR/crashes and fails the run.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS [TARGET]
set -eu
build=$(cd "$1" && pwd)  # the targets work in a scratch folder of their own
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 3 ]; then
    mkdir -p "$build/crashes"
    ls "$root/tests/fuzz/corpus" | xargs -n 1 -P "$(nproc)" "$0" "$build" "$seconds"
    exit
fi

# The top-level key that each target's documents hold.
top_key() {
    case $1 in
        config) echo fullscreen ;;
        *) echo "$1" ;;
    esac
}

# A document cut off 120,000 levels deep, and one with 3,000 entries.
write_seeds() {
    key=$(top_key "$1")
    { printf '{"%s": ' "$key"; head -c 120000 /dev/zero | tr '\0' '['; } >"$2/deep.json"
    { printf '{"%s": {' "$key"
      seq 1 3000 | sed 's/.*/"k&": {"file": "none", "volume": &},/'
      printf '"last": {}}}\n'; } >"$2/long.json"
}

name=$3
scratch=$(mktemp -d)
seeds=$(mktemp -d)
write_seeds "$name" "$seeds"
ASAN_OPTIONS=detect_leaks=0 FUZZ_DOCUMENT="$name" "$build/documents_fuzz" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
    -max_len=1048576 -dict="$root/tests/fuzz/json.dict" \
    -artifact_prefix="$build/crashes/$name-" "$scratch" "$root/tests/fuzz/corpus/$name" "$seeds" \
    </dev/null >"$build/$name.log" 2>&1 || { tail -n 60 "$build/$name.log"; rm -rf "$scratch" "$seeds"; exit 1; }
echo "fuzzed $name for $seconds s:" $(grep -E "stat::number_of_executed_units|cov:" "$build/$name.log" | tail -n 2)
rm -rf "$scratch" "$seeds"
