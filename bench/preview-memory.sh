#!/usr/bin/env bash
# preview-memory: what previews leave behind. The preview window of the main application (its
# presenter and player, in preview_memory) opens a clip served by the protocol test server, plays
# it for about two seconds and closes, ten times, under Xvfb. The baseline is the process's own
# resident memory before the first preview; printed are the growth over all ten cycles and the
# growth per cycle after the first (the first one loads the decoders and OpenGL for good).
set -uo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build
driver=$build/bench/preview_memory
server=$build/tests/tools/zerafin_test_server
cycles=${BENCH_PREVIEW_CYCLES:-10}
for tool in Xvfb ffmpeg; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
done
[ -x "$driver" ] && [ -x "$server" ] || { echo "FAIL: build preview_memory and zerafin_test_server first"; exit 1; }

source bench/common.bash
bench_scratch /tmp/zerafin-preview-bench-XXXXXX

# A preview clip as the server has them: 720p with sound, a few seconds.
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=1280x720:rate=30" -f lavfi -i "sine=frequency=440" -t 6 \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest "$work/clip.mp4" ||
    { echo "FAIL: cannot make the clip"; exit 1; }

"$server" --quiet --serve "clip.mp4=$work/clip.mp4" >"$work/server.log" 2>&1 &
pids+=($!)
url=
for _ in $(seq 100); do
    url=$(sed -n 's/^listening \(http:[^ ]*\).*/\1/p' "$work/server.log" | head -n1)
    [ -n "$url" ] && break
    sleep 0.1
done
[ -n "$url" ] || { echo "FAIL: the test server did not start"; exit 1; }

exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 5>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export HOME=$work XDG_RUNTIME_DIR=$work/runtime DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY

"$driver" "${url%/}/files/clip.mp4" "$cycles" >"$work/driver.log" 2>"$work/driver.err"
cat "$work/driver.log"
start=$(awk '$1 == "rss" && $2 == "start" {print $3}' "$work/driver.log")
first=$(awk '$1 == "rss" && $2 == "cycle" && $3 == 1 {print $4}' "$work/driver.log")
last=$(awk -v n="$cycles" '$1 == "rss" && $2 == "cycle" && $3 == n {print $4}' "$work/driver.log")
# The growth's split: memory the program allocated, and pages of libraries it loaded for good
# (the decoders; under Xvfb the software OpenGL driver and its compiler).
anon_growth=$(awk -v n="$cycles" '$1 == "rss" && ($2 == "start" || ($2 == "cycle" && $3 == n)) {
    a[$2] = ($2 == "start") ? $5 : $6; f[$2] = ($2 == "start") ? $7 : $8 }
    END { printf "%.1f MB allocated, %.1f MB of library pages", (a["cycle"] - a["start"]) / 1024,
        (f["cycle"] - f["start"]) / 1024 }' "$work/driver.log")
unplayed=$(awk '$1 == "rss" && $2 == "cycle" && $10 < 30' "$work/driver.log" | wc -l)
if [ -z "$start" ] || [ -z "$first" ] || [ -z "$last" ] || [ "$cycles" -lt 2 ]; then
    tail -n 20 "$work/driver.err"
    echo "FAIL: the driver did not finish"
    echo "BENCH preview-memory 0 MB target <=40 FAIL"
    exit 1
fi
[ "$unplayed" -eq 0 ] || echo "WARNING: $unplayed preview(s) showed fewer than 30 frames"
awk -v s="$start" -v f="$first" -v l="$last" -v n="$cycles" -v bad="$unplayed" -v growth="$anon_growth" 'BEGIN {
    total = (l - s) / 1024; per = (l - f) / 1024 / (n - 1)
    printf "baseline: %.1f MB before the first preview; %.1f MB after it; %.1f MB after %d\n",
        s / 1024, f / 1024, l / 1024, n
    printf "growth after %d: %s\n", n, growth
    okTotal = total <= 40 && bad == 0; okPer = per <= 1 && bad == 0
    printf "BENCH preview-memory %.1f MB target <=40 %s\n", total, okTotal ? "PASS" : "FAIL"
    printf "BENCH preview-memory-per-cycle %.2f MB target <=1 %s\n", per, okPer ? "PASS" : "FAIL"
    exit (okTotal && okPer) ? 0 : 1 }'
