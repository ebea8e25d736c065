#!/usr/bin/env bash
# The agent playing a generated 1080p30 H.264 clip behind the desktop, against mpv playing the same
# clip in one window of the same size on the same display. Everything runs under Xvfb, where both
# draw with the same software OpenGL renderer, so the ratio is fair.
#
# Cases (each BENCH_RUNS times, medians reported; each run plays BENCH_PLAY_SECONDS):
#   mpv        mpv --vo=gpu --gpu-sw, one 1280x720 window
#   agent-1    the agent, one desktop window on a 1280x720 screen
#   agent-2    the agent in the mirror arrangement on two 1280x720 screens (two X screens: Qt lists
#              both, and both windows draw every frame)
# Measured: CPU seconds of the process (user + system) from its start, and its peak resident memory.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
agent=$root/build/agent/zerafin-helper
library_add=$root/build/tests/tools/library_add
play_seconds=${BENCH_PLAY_SECONDS:-20}
runs=${BENCH_RUNS:-3}

for tool in Xvfb mpv ffmpeg dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "desktop-player: $tool is missing"; exit 1; }
done
for file in "$agent" "$library_add"; do
    [ -x "$file" ] || { echo "desktop-player: build first ($file is missing)"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

clip=$work/clip-1080p30.mp4
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=1920x1080:rate=30" -f lavfi -i "sine=frequency=440" \
    -t $((play_seconds + 15)) -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest "$clip" ||
    { echo "desktop-player: cannot make the clip"; exit 1; }

free_display() {
    local n=90
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    echo $n
}

start_xvfb() { # screens...
    local n
    n=$(free_display)
    local args=()
    local i=0
    for geometry in "$@"; do args+=(-screen $i "${geometry}x24"); i=$((i + 1)); done
    Xvfb :$n "${args[@]}" -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    echo $n
}

# Prints "<cpu seconds> <peak KiB>" of the process after it ran for play_seconds.
measure() {
    local pid=$1
    sleep "$play_seconds"
    if [ ! -r /proc/$pid/stat ]; then echo "0 0"; return; fi
    local ticks
    ticks=$(getconf CLK_TCK)
    local cpu hwm
    cpu=$(awk -v t="$ticks" '{ printf "%.2f", ($14 + $15) / t }' /proc/$pid/stat)
    hwm=$(awk '/VmHWM/ { print $2 }' /proc/$pid/status)
    echo "$cpu $hwm"
}

run_mpv() { # display
    local home=$work/mpv-home
    mkdir -p "$home"
    DISPLAY=:$1 HOME=$home mpv --no-config --vo=gpu --gpu-sw --hwdec=auto-safe --audio-fallback-to-null=yes \
        --keep-open=yes --geometry=1280x720+0+0 --no-border --really-quiet "$clip" >/dev/null 2>&1 &
    local pid=$!
    pids+=($pid)
    measure $pid
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
}

run_agent() { # display arrangement
    local home
    home=$(mktemp -d "$work/agent-XXXX")
    local container=$home/data/K4TQ7ZR2MB.zerafin
    mkdir -p "$container/Preferences" "$container/Application Support" "$home/run"
    chmod 700 "$home/run"
    printf '[General]\nMonitorArrange=%s\nPlayModel=0\nIsOpenPlayer=true\nisPlaying=true\nVolume=0.5\n' "$2" \
        >"$container/Preferences/K4TQ7ZR2MB.zerafin.ini"
    XDG_DATA_HOME=$home/data "$library_add" "$container/Application Support/Corvex.db" \
        0123456789abcdef0123456789abcdef "$clip" >/dev/null
    local bus
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    local address=${bus%%$'\n'*}
    local bus_pid=${bus##*$'\n'}
    pids+=($bus_pid)
    DISPLAY=:$1 HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run \
        DBUS_SESSION_BUS_ADDRESS=$address "$agent" >"$home/agent.log" 2>&1 &
    local pid=$!
    pids+=($pid)
    measure $pid
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    kill "$bus_pid" 2>/dev/null
}

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

one=$(start_xvfb 1280x720)
two=$(start_xvfb 1280x720 1280x720)

declare -A cpu mem
for case in mpv agent-1 agent-2; do
    cpus=()
    mems=()
    for _ in $(seq "$runs"); do
        case $case in
        mpv) result=$(run_mpv "$one") ;;
        agent-1) result=$(run_agent "$one" 1) ;;
        agent-2) result=$(run_agent "$two" 1) ;;
        esac
        cpus+=("${result% *}")
        mems+=("${result#* }")
    done
    cpu[$case]=$(printf '%s\n' "${cpus[@]}" | median)
    mem[$case]=$(printf '%s\n' "${mems[@]}" | sort -n | tail -1)
done

printf '%-10s %14s %16s   (%s s of playback, median of %s runs; memory: highest peak)\n' case "CPU seconds" "peak memory MB" \
    "$play_seconds" "$runs"
for case in mpv agent-1 agent-2; do
    printf '%-10s %14s %16.1f\n' "$case" "${cpu[$case]}" "$(calc "${mem[$case]} / 1024")"
done

bench_line() { # name value unit op limit
    awk -v n="$1" -v v="$2" -v u="$3" -v op="$4" -v l="$5" 'BEGIN {
        pass = (op == "<=") ? v <= l : (op == "<") ? v < l : (op == ">=") ? v >= l : v > l
        printf "BENCH %s %.3f %s target %s%g %s\n", n, v, u, op, l, pass ? "PASS" : "FAIL"
        exit pass ? 0 : 1 }'
}

status=0
if [ "$(calc "${cpu[mpv]} > 0 && ${cpu[agent-1]} > 0")" != 0.000000 ]; then
    bench_line player-cpu-vs-mpv "$(calc "${cpu[agent-1]} / ${cpu[mpv]}")" x "<=" 1.3 || status=1
    bench_line player-second-window-cpu "$(calc "(${cpu[agent-2]} / ${cpu[agent-1]} - 1) * 100")" % "<=" 30 || status=1
else
    echo "desktop-player: a player did not run"
    status=1
fi
peak=${mem[agent-1]}
[ "${mem[agent-2]}" -gt "$peak" ] && peak=${mem[agent-2]}
bench_line player-peak-memory "$(calc "$peak / 1024")" MB "<" 250 || status=1
exit $status
