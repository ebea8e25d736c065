#!/bin/bash
# Renders the library page on its three tabs, at the main window's default and minimum sizes (with
# eight hot tags in the bottom bar), with the player off, and with the preview window open, under Xvfb, into a folder of PNG files for a person to look at.
# Usage: tools/page-screenshots.sh [build folder] [output folder]
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$source_dir/build}" && pwd)"
out="${2:-$build/page-screenshots}"
for tool in Xvfb dbus-run-session; do
    command -v "$tool" >/dev/null || { echo "missing: $tool"; exit 77; }
done
cmake --build "$build" --target page_screenshots zerafin_sample_videos >/dev/null

work="$(mktemp -d)"
cleanup() { [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1600x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 5>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
export ZERAFIN_RESOURCES="$build/resources"
dbus-run-session -- "$build/tests/tools/page_screenshots" "$out"
echo "screenshots in $out"
