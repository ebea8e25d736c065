#!/usr/bin/env bash
# main-window-idle: what the main application costs while it sits open and nobody touches it, as
# CPU milliseconds per second (user + system over all its threads) for BENCH_IDLE_SECONDS after
# a warm-up, under Xvfb: its window shown on the local tab with the player on and the wallpaper
# playing, then with the window closed (hidden; the program keeps running). The library is the
# one of main-window-start (1,000 videos). The baseline is that bench's bare window
# (bare_window), shown, measured the same way in the same run.
set -uo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build
main="$build/MainWindow/zerafin-video-desktop"
bare="$build/bench/bare_window"
closer="$build/bench/close_window"
idle_seconds=${BENCH_IDLE_SECONDS:-20}
warmup_seconds=${BENCH_WARMUP_SECONDS:-5}
for tool in Xvfb dbus-run-session sqlite3 convert xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
done
[ -x "$main" ] && [ -x "$bare" ] && [ -x "$closer" ] ||
    { echo "FAIL: build zerafin-video-desktop, bare_window and close_window first"; exit 1; }
if [ -z "${ZERAFIN_BENCH_ON_PRIVATE_BUS:-}" ]; then
    exec dbus-run-session -- env ZERAFIN_BENCH_ON_PRIVATE_BUS=1 bash "$0" "$@"
fi

source bench/common.bash
bench_scratch /tmp/zerafin-idle-bench-XXXXXX

export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
export XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export ZERAFIN_SERVER_URL=http://127.0.0.1:9 ZERAFIN_RESOURCES="$build/resources"
container="$XDG_DATA_HOME/K4TQ7ZR2MB.zerafin"
support="$container/Application Support"
mkdir -p "$support/DownloadVideo" "$container/Preferences" "$XDG_DATA_HOME/applications" && chmod 700 "$container"

# The library of main-window-start.
bench_thousand_row_library "$support"
# The player on and playing the first video. The agent the application starts is a stand-in that
# does nothing, so that only the application's own cost is on the machine.
suite="$container/Preferences/K4TQ7ZR2MB.zerafin.ini"
cat >"$suite" <<INI
[General]
alreadyImportVideo=true
autolaunch=false
IsOpenPlayer=true
isPlaying=true
CurrentVideoSign=$(printf '%032x' 1)
INI
printf '[Desktop Entry]\nType=Application\nName=Agent stand-in\nExec=true\n' \
    >"$XDG_DATA_HOME/applications/com.tovan.zerafinHelper.desktop"

exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 5>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
export QT_LOGGING_RULES="zerafin.mainwindow.debug=true" QT_MESSAGE_PATTERN="%{message}"

# Nanoseconds on a CPU of every thread of the process, one "tid ns" line each.
thread_times() { for task in /proc/$1/task/*; do echo "${task##*/} $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null)"; done; }
# CPU milliseconds per second between two snapshots (threads started in between count whole).
ms_per_second() { # before after seconds
    awk -v s="$3" 'NR == FNR { before[$1] = $2; next } { total += $2 - (($1 in before) ? before[$1] : 0) }
        END { printf "%.3f\n", total / 1e6 / s }' "$1" "$2"
}
# How often the process went to sleep (so how often something woke it), over all its threads.
sleeps() { cat /proc/$1/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }'; }
# measure PID NAME: "<CPU ms per second> <wake-ups per second>" of PID over the idle time, after
# the warm-up.
measure() {
    sleep "$warmup_seconds"
    thread_times "$1" >"$work/$2.before"
    local before
    before=$(sleeps "$1")
    sleep "$idle_seconds"
    thread_times "$1" >"$work/$2.after"
    echo "$(ms_per_second "$work/$2.before" "$work/$2.after" "$idle_seconds")" \
        "$(awk -v a="$before" -v b="$(sleeps "$1")" -v s="$idle_seconds" 'BEGIN { printf "%.1f", (b - a) / s }')"
}
# launch PROGRAM LOG: starts it and waits for its first paint; its process id is left in $launched.
launched=
launch() {
    "$1" >/dev/null 2>"$2" &
    launched=$!
    pids+=($launched)
    for _ in $(seq 300); do
        grep -q '^first paint$' "$2" && break
        sleep 0.05
    done
}

launch "$bare" "$work/bare.log"
bare_pid=$launched
read -r bare_ms bare_wakes <<<"$(measure "$bare_pid" bare)"
kill "$bare_pid" 2>/dev/null

launch "$main" "$work/main.log"
main_pid=$launched
grep -q '^first paint$' "$work/main.log" || { echo "FAIL: the main window never painted"; exit 1; }
read -r shown_ms shown_wakes <<<"$(measure "$main_pid" shown)"
# The main window: the program's visible window of the main window's size (menus and tooltips
# share its name).
main_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '^Zerafin Video Desktop$' 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | awk '/Width:/ { wide = $2 >= 400 } /Map State: IsViewable/ { shown = 1 }
            END { exit !(wide && shown) }' && { echo "$w"; return; }
    done
}
wid=$(main_window)
[ -n "$wid" ] || { echo "FAIL: no main window to close"; exit 1; }
for _ in 1 2 3; do
    "$closer" "$wid"
    for _ in $(seq 20); do
        [ -z "$(main_window)" ] && break 2
        sleep 0.1
    done
done
[ -z "$(main_window)" ] || { echo "FAIL: the main window did not close"; exit 1; }
kill -0 "$main_pid" 2>/dev/null || { echo "FAIL: closing the window ended the program"; exit 1; }
read -r hidden_ms hidden_wakes <<<"$(measure "$main_pid" hidden)"
grep -q '^IsOpenPlayer=true' "$suite" && grep -q '^isPlaying=true' "$suite" ||
    echo "WARNING: the player was not on and playing throughout"

printf 'idle for %s s after %s s of warm-up, CPU ms per second (user + system); load: %s\n' \
    "$idle_seconds" "$warmup_seconds" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-40s %10s %8s\n' state "ms/s" "wakes/s"
printf '%-40s %10.3f %8s\n' "main window shown (local tab, playing)" "$shown_ms" "$shown_wakes" \
    "main window closed (hidden)" "$hidden_ms" "$hidden_wakes" "baseline: bare window shown" "$bare_ms" "$bare_wakes"
awk -v shown="$shown_ms" -v hidden="$hidden_ms" 'BEGIN {
    okShown = shown <= 5; okHidden = hidden <= 1
    printf "BENCH main-window-idle-shown %.3f ms/s target <=5 %s\n", shown, okShown ? "PASS" : "FAIL"
    printf "BENCH main-window-idle-hidden %.3f ms/s target <=1 %s\n", hidden, okHidden ? "PASS" : "FAIL"
    exit (okShown && okHidden) ? 0 : 1 }'
