#!/usr/bin/env bash
# The agent playing a generated 1080p30 H.264 clip behind the desktop, against mpv playing the same
# clip in one window of the same size on the same display. Everything runs under Xvfb, where both
# draw with the same software OpenGL renderer, so the ratio is fair.
#
# Cases (each BENCH_RUNS times, medians reported; each run plays BENCH_PLAY_SECONDS):
#   mpv        mpv --vo=gpu --gpu-sw, one 1280x720 window; frame dropping off, as the agent draws
#              every frame too (on a fresh Xvfb mpv otherwise drops most frames, which would compare
#              different amounts of work)
#   agent-1    the agent, one desktop window on a 1280x720 screen
#   agent-2    the agent in the mirror arrangement on two 1280x720 screens (two X screens: Qt lists
#              both, and both windows draw every frame)
# Measured: CPU seconds (user + system) over the playing time, after a warm-up of
# BENCH_WARMUP_SECONDS (start-up costs are not what a wallpaper playing for hours is about), of the
# player and of the X server it draws through (each display serves one player at a time; how much
# of the presenting a player leaves to the server differs, so the comparison counts both), and
# the player's peak resident memory over the whole run.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
agent=$root/build/agent/zerafin-helper
library_add=$root/build/tests/tools/library_add
play_seconds=${BENCH_PLAY_SECONDS:-20}
runs=${BENCH_RUNS:-3}
warmup_seconds=${BENCH_WARMUP_SECONDS:-3}

for tool in Xvfb mpv ffmpeg dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "desktop-player: $tool is missing"; exit 1; }
done
for file in "$agent" "$library_add"; do
    [ -x "$file" ] || { echo "desktop-player: build first ($file is missing)"; exit 1; }
done

source bench/common.bash
bench_scratch
declare -A server_pid

clip=$work/clip-1080p30.mp4
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=1920x1080:rate=30" -f lavfi -i "sine=frequency=440" \
    -t $((warmup_seconds + play_seconds + 15)) -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest "$clip" ||
    { echo "desktop-player: cannot make the clip"; exit 1; }

free_display() {
    local n=90
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    echo $n
}

# Starts Xvfb with the given screens on a free display and sets `display` to its number.
start_xvfb() { # screens...
    local n
    n=$(free_display)
    local args=()
    local i=0
    for geometry in "$@"; do args+=(-screen $i "${geometry}x24"); i=$((i + 1)); done
    Xvfb :$n "${args[@]}" -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    server_pid[$n]=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    display=$n
}

cpu_ticks() { awk '{ print $14 + $15 }' /proc/$1/stat 2>/dev/null || echo 0; }

# Prints "<player cpu seconds> <server cpu seconds> <peak KiB>" over play_seconds after the warm-up.
measure() { # player-pid display
    local pid=$1
    local server=${server_pid[$2]}
    sleep "$warmup_seconds"
    local start server_start
    start=$(cpu_ticks $pid)
    server_start=$(cpu_ticks $server)
    sleep "$play_seconds"
    if [ ! -r /proc/$pid/stat ]; then echo "0 0 0"; return; fi
    local end server_end hwm
    end=$(cpu_ticks $pid)
    server_end=$(cpu_ticks $server)
    hwm=$(awk '/VmHWM/ { print $2 }' /proc/$pid/status)
    awk -v a="$start" -v b="$end" -v c="$server_start" -v d="$server_end" -v t="$(getconf CLK_TCK)" -v m="$hwm" \
        'BEGIN { printf "%.2f %.2f %d\n", (b - a) / t, (d - c) / t, m }'
}

run_mpv() { # display
    local home=$work/mpv-home
    mkdir -p "$home"
    DISPLAY=:$1 HOME=$home mpv --no-config --vo=gpu --gpu-sw --hwdec=auto-safe --audio-fallback-to-null=yes \
        --keep-open=yes --framedrop=no --geometry=1280x720+0+0 --no-border --really-quiet "$clip" >/dev/null 2>&1 &
    local pid=$!
    pids+=($pid)
    measure $pid $1
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
    measure $pid $1
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    kill "$bus_pid" 2>/dev/null
}

calc() { awk "BEGIN { printf \"%.6f\", ($1) }"; }

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

start_xvfb 1280x720
one=$display
start_xvfb 1280x720 1280x720
two=$display

declare -A cpu server total mem
for case in mpv agent-1 agent-2; do
    cpus=()
    servers=()
    totals=()
    mems=()
    for _ in $(seq "$runs"); do
        case $case in
        mpv) result=$(run_mpv "$one") ;;
        agent-1) result=$(run_agent "$one" 1) ;;
        agent-2) result=$(run_agent "$two" 1) ;;
        esac
        read -r c x m <<<"$result"
        cpus+=("$c")
        servers+=("$x")
        totals+=("$(calc "$c + $x")")
        mems+=("$m")
    done
    cpu[$case]=$(printf '%s\n' "${cpus[@]}" | median)
    server[$case]=$(printf '%s\n' "${servers[@]}" | median)
    total[$case]=$(printf '%s\n' "${totals[@]}" | median)
    mem[$case]=$(printf '%s\n' "${mems[@]}" | sort -n | tail -1)
done

printf '%s s of playback after %s s of warm-up, medians of %s runs (memory: highest peak)\n' "$play_seconds" \
    "$warmup_seconds" "$runs"
printf '%-10s %12s %12s %12s %16s\n' case "player CPU s" "X server s" "together s" "peak memory MB"
for case in mpv agent-1 agent-2; do
    printf '%-10s %12.2f %12.2f %12.2f %16.1f\n' "$case" "${cpu[$case]}" "${server[$case]}" "${total[$case]}" \
        "$(calc "${mem[$case]} / 1024")"
done

bench_line() { # name value unit op limit
    awk -v n="$1" -v v="$2" -v u="$3" -v op="$4" -v l="$5" 'BEGIN {
        pass = (op == "<=") ? v <= l : (op == "<") ? v < l : (op == ">=") ? v >= l : v > l
        printf "BENCH %s %.3f %s target %s%g %s\n", n, v, u, op, l, pass ? "PASS" : "FAIL"
        exit pass ? 0 : 1 }'
}

status=0
if [ "$(calc "${cpu[mpv]} > 0 && ${cpu[agent-1]} > 0")" != 0.000000 ]; then
    bench_line player-cpu-vs-mpv "$(calc "${total[agent-1]} / ${total[mpv]}")" x "<=" 1.3 || status=1
    bench_line player-second-window-cpu "$(calc "(${total[agent-2]} / ${total[agent-1]} - 1) * 100")" % "<=" 30 ||
        status=1
else
    echo "desktop-player: a player did not run"
    status=1
fi
peak=${mem[agent-1]}
[ "${mem[agent-2]}" -gt "$peak" ] && peak=${mem[agent-2]}
bench_line player-peak-memory "$(calc "$peak / 1024")" MB "<" 250 || status=1
exit $status
