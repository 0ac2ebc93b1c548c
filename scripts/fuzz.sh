#!/bin/sh
# Fuzzes the settings parser with libFuzzer for FUZZ_SECONDS (default 60),
# starting from a fresh copy of the seed corpus, and prints how many inputs
# it ran. Built with clang in its own folder (FUZZ_BUILD_DIR, default
# build-fuzz); a crashing input is kept in that folder.
set -eu
cd "$(dirname "$0")/.."

build=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DFUZZ=ON -DWITH_TESTS=OFF -DWITH_BENCH=OFF
fi
cmake --build "$build" --target settings_fuzzer

corpus="$build/fuzz-corpus/settings"
artifacts="$build/fuzz-artifacts/"
log="$build/fuzz-settings.log"
rm -rf "$corpus"
mkdir -p "$corpus" "$artifacts"
cp fuzz/corpus/settings/* "$corpus/"

echo "Fuzzing the settings parser for $seconds s (log: $log)"
status=0
"$build/fuzz/settings_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
    -dict=fuzz/settings.dict -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "settings_fuzzer FAILED after ${runs:-?} executions; the input is in $artifacts" >&2
    exit "$status"
fi
echo "settings_fuzzer: $runs executions in $seconds s, no failure"
