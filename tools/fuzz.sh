#!/usr/bin/env bash
# Builds the reply fuzzer (clang, AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer) into
# ./build-fuzz and runs it for 60 seconds (or $1) over a scratch copy of tools/fuzz/corpus.
# Exits non-zero when the fuzzer finds a crash, a leak, undefined behaviour or a time-out; the
# input that did it is left in ./build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz

CC=clang CXX=clang++ cmake -S tools/fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_replies -j4

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp tools/fuzz/corpus/* "$corpus"/

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
"$build/fuzz_replies" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 \
    -artifact_prefix="$build/" -print_final_stats=1 "$corpus"
echo "fuzz: no findings in ${seconds}s"
