#!/usr/bin/env bash
# Builds and runs every test suite (each on the offscreen platform, with a private session bus and
# a temporary home), then the end-to-end checks when there are any.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
