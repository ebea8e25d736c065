#!/usr/bin/env bash
# Builds the fuzzers (clang, AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer) into
# ./build-fuzz and runs each for 60 seconds (or $1) over a scratch copy of its corpus: the server
# replies (tools/fuzz/corpus) and the stored files read back at start (tools/fuzz/store-corpus).
# Exits non-zero when a fuzzer finds a crash, a leak, undefined behaviour or a time-out; the
# input that did it is left in ./build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S tools/fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" --target fuzz_replies fuzz_stores -j4

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
run() {
    local target=$1 corpus=$2
    mkdir -p "$scratch/$target"
    cp "$corpus"/* "$scratch/$target"/
    "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 \
        -artifact_prefix="$build/$target-" -print_final_stats=1 "$scratch/$target"
    echo "fuzz: $target: no findings in ${seconds}s"
}
run fuzz_replies tools/fuzz/corpus
run fuzz_stores tools/fuzz/store-corpus
