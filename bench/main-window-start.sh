#!/usr/bin/env bash
# main-window-start: from process start to the main window's first paint, with 1,000 videos in the
# library, against a bare widgets program opening one window (bare_window), both under the same
# Xvfb in the same run; medians of five starts each after one warm-up start. Also prints the main
# application's resident memory a few seconds after it started.
set -uo pipefail
cd "$(dirname "$0")/.."
source bench/common.bash
build=$PWD/build
main="$build/MainWindow/zerafin-video-desktop"
bare="$build/bench/bare_window"
for tool in Xvfb dbus-run-session sqlite3 convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
done
[ -x "$main" ] && [ -x "$bare" ] || { echo "FAIL: build zerafin-video-desktop and bare_window first"; exit 1; }
if [ -z "${ZERAFIN_BENCH_ON_PRIVATE_BUS:-}" ]; then
    exec dbus-run-session -- env ZERAFIN_BENCH_ON_PRIVATE_BUS=1 bash "$0" "$@"
fi

work=$(mktemp -d /tmp/zerafin-start-bench-XXXXXX)
xvfb=
cleanup() {
    local agent
    agent=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetConnectionUnixProcessID string:com.tovan.zerafinHelper 2>/dev/null |
        awk '/uint32/ {print $2}')
    [ -n "$agent" ] && kill "$agent" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
export XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export ZERAFIN_SERVER_URL=http://127.0.0.1:9 ZERAFIN_RESOURCES="$build/resources"
container="$XDG_DATA_HOME/K4TQ7ZR2MB.zerafin"
support="$container/Application Support"
mkdir -p "$support/DownloadVideo" "$container/Preferences" && chmod 700 "$container"

bench_thousand_row_library "$support"
cat >"$container/Preferences/K4TQ7ZR2MB.zerafin.ini" <<INI
[General]
alreadyImportVideo=true
autolaunch=false
IsOpenPlayer=false
INI

exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 5>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
export QT_LOGGING_RULES="zerafin.mainwindow.debug=true" QT_MESSAGE_PATTERN="%{time HH:mm:ss.zzz} %{message}"

rss_kb=0
# Seconds since midnight of a HH:MM:SS.fraction time.
day_seconds() { awk -F: '{printf "%.3f", $1 * 3600 + $2 * 60 + $3}' <<<"$1"; }
# start PROGRAM: seconds from its start to its first paint, "" when it never painted.
start() {
    local log="$work/run.log" seconds="" painted="" started pid
    : >"$log"
    started=$(date +%H:%M:%S.%N)
    "$1" 2>"$log" >/dev/null &
    pid=$!
    for _ in $(seq 300); do
        painted=$(sed -n 's/^\([0-9:.]*\) first paint$/\1/p' "$log" | head -n1)
        [ -n "$painted" ] && break
        sleep 0.05
    done
    [ -n "$painted" ] &&
        seconds=$(awk -v a="$(day_seconds "$started")" -v b="$(day_seconds "$painted")" 'BEGIN {printf "%.3f", b - a}')
    if [ "$1" = "$main" ] && [ -n "$seconds" ]; then
        sleep 3
        rss_kb=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
    fi
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo "$seconds"
}
median() { sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

start "$main" >/dev/null # warm-up: caches, fonts, the database
start "$bare" >/dev/null
main_times=() bare_times=()
for _ in 1 2 3 4 5; do
    main_times+=("$(start "$main")")
    bare_times+=("$(start "$bare")")
done
echo "main application, seconds to first paint: ${main_times[*]}"
echo "bare window, seconds to first paint:      ${bare_times[*]}"
for t in "${main_times[@]}" "${bare_times[@]}"; do
    [ -n "$t" ] || { echo "FAIL: a start never painted"; echo "BENCH main-window-start 0 x target <=3 FAIL"; exit 1; }
done
main_median=$(printf '%s\n' "${main_times[@]}" | median)
bare_median=$(printf '%s\n' "${bare_times[@]}" | median)
ratio=$(awk -v m="$main_median" -v b="$bare_median" 'BEGIN {printf "%.2f", m / b}')
echo "medians: main application ${main_median} s, bare window ${bare_median} s"
verdict=$(awk -v r="$ratio" 'BEGIN {print (r <= 3) ? "PASS" : "FAIL"}')
echo "BENCH main-window-start $ratio x target <=3 $verdict"
rss_mb=$(awk -v k="$rss_kb" 'BEGIN {printf "%.1f", k / 1024}')
rss_verdict=$(awk -v m="$rss_mb" 'BEGIN {print (m > 0 && m < 150) ? "PASS" : "FAIL"}')
echo "BENCH main-window-rss $rss_mb MB target <150 $rss_verdict"
[ "$verdict" = PASS ] && [ "$rss_verdict" = PASS ]
