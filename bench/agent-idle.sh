#!/usr/bin/env bash
# What a wallpaper that is not playing costs: the agent with its player paused, then with the
# player closed, each for BENCH_IDLE_SECONDS under Xvfb after a warm-up, as CPU milliseconds per
# second (user + system, summed over its threads). The named baseline is the agent's own settings
# check, which runs once a second in both states: "settings-loop", a process doing only that check
# on the same suite, measured the same way in the same run (a wake-up from idle costs far more
# than the warm tick of bench_PreferencesRefreshBench, also printed). Anything the agent spends
# beyond the baseline is waking up for nothing. Printed beside each: wake-ups a second and resident
# memory, and the same check in a process holding the paused agent's resident memory (on a virtual
# machine a wake-up of a large process costs several times that of a small one).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
agent=$root/build/agent/zerafin-helper
library_add=$root/build/tests/tools/library_add
suite_writer=$root/build/tests/tools/suite_writer
settings_loop=$root/build/tests/tools/settings_loop
refresh_bench=$root/build/bench/bench_PreferencesRefreshBench
idle_seconds=${BENCH_IDLE_SECONDS:-20}
warmup_seconds=${BENCH_WARMUP_SECONDS:-4}

for tool in Xvfb ffmpeg dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "agent-idle: $tool is missing"; exit 1; }
done
for file in "$agent" "$library_add" "$suite_writer" "$settings_loop"; do
    [ -x "$file" ] || { echo "agent-idle: build first ($file is missing)"; exit 1; }
done

source bench/common.bash
bench_scratch

clip=$work/clip.mp4
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=1280x720:rate=30" -f lavfi -i "sine=frequency=440" -t 10 \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest "$clip" ||
    { echo "agent-idle: cannot make the clip"; exit 1; }

n=90
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done

# Nanoseconds on a CPU of every thread of the process, one "tid ns" line each (the clock ticks of
# /proc/<pid>/stat are 10 ms, too coarse for a millisecond a second).
thread_times() { for task in /proc/$1/task/*; do echo "${task##*/} $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null)"; done; }

# Voluntary context switches of all threads of the process: how often it went to sleep, so how
# often something woke it.
sleeps() { cat /proc/$1/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }'; }
resident_mb() { awk '/^VmRSS:/ { printf "%.0f", $2 / 1024 }' /proc/$1/status 2>/dev/null; }

# CPU milliseconds per second between two thread_times snapshots over the given seconds: threads
# present in both count their difference, threads started in between count whole.
ms_per_second() { # before after seconds
    awk -v s="$3" 'NR == FNR { before[$1] = $2; next } { total += $2 - (($1 in before) ? before[$1] : 0) }
        END { printf "%.3f\n", total / 1e6 / s }' "$1" "$2"
}

# Prints the agent's CPU milliseconds per second with the player open or closed, paused.
run_agent() { # IsOpenPlayer value
    local home
    home=$(mktemp -d "$work/agent-XXXX")
    local container=$home/data/K4TQ7ZR2MB.zerafin
    mkdir -p "$container/Preferences" "$container/Application Support" "$home/run"
    chmod 700 "$home/run"
    printf '[General]\nMonitorArrange=1\nPlayModel=0\nIsOpenPlayer=%s\nisPlaying=true\nVolume=0.5\n' "$1" \
        >"$container/Preferences/K4TQ7ZR2MB.zerafin.ini"
    XDG_DATA_HOME=$home/data "$library_add" "$container/Application Support/Corvex.db" \
        0123456789abcdef0123456789abcdef "$clip" >/dev/null
    local bus
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    local address=${bus%%$'\n'*}
    local bus_pid=${bus##*$'\n'}
    pids+=($bus_pid)
    DISPLAY=:$n HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run \
        DBUS_SESSION_BUS_ADDRESS=$address ${AGENT_WRAPPER:-} "$agent" >"$home/agent.log" 2>&1 &
    local pid=$!
    pids+=($pid)
    # Paused the way the other program pauses it, through the shared settings, once the agent has
    # started (its start-up sets the rate to playing).
    local suite=$container/Preferences/K4TQ7ZR2MB.zerafin.ini
    for _ in $(seq 10); do
        sleep 2
        "$suite_writer" "$suite" bool:isPlaying=false >/dev/null
        sleep 2
        grep -q '^isPlaying=false' "$suite" && break
    done
    sleep "$warmup_seconds"
    thread_times $pid >"$home/before"
    local sleeps_before
    sleeps_before=$(sleeps $pid)
    sleep "$idle_seconds"
    thread_times $pid >"$home/after"
    # Wake-ups a second and resident memory, printed beside the CPU time: on a virtual machine a
    # wake-up of a large process costs more than one of a small process.
    echo "$(sleeps $pid) $sleeps_before $(resident_mb $pid)" >"$home/wakes"
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    kill "$bus_pid" 2>/dev/null
    echo "$(ms_per_second "$home/before" "$home/after" "$idle_seconds") $(awk -v s="$idle_seconds" \
        '{ printf "%.2f %s", ($1 - $2) / s, $3 }' "$home/wakes")"
}

# The settings check alone, on a suite like the agent's; holding RESIDENT_MB of memory if given.
run_settings_loop() { # [RESIDENT_MB]
    local home
    home=$(mktemp -d "$work/loop-XXXX")
    printf '[General]\nMonitorArrange=1\nPlayModel=0\nIsOpenPlayer=true\nisPlaying=false\nVolume=0.5\n' \
        >"$home/suite.ini"
    "$settings_loop" "$home/suite.ini" ${1:-} &
    local pid=$!
    pids+=($pid)
    sleep "$warmup_seconds"
    thread_times $pid >"$home/before"
    local sleeps_before
    sleeps_before=$(sleeps $pid)
    sleep "$idle_seconds"
    thread_times $pid >"$home/after"
    # Wake-ups a second and resident memory, printed beside the CPU time: on a virtual machine a
    # wake-up of a large process costs more than one of a small process.
    echo "$(sleeps $pid) $sleeps_before $(resident_mb $pid)" >"$home/wakes"
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    echo "$(ms_per_second "$home/before" "$home/after" "$idle_seconds") $(awk -v s="$idle_seconds" \
        '{ printf "%.2f %s", ($1 - $2) / s, $3 }' "$home/wakes")"
}

read -r paused paused_wakes paused_mb <<<"$(run_agent true)"
read -r closed closed_wakes closed_mb <<<"$(run_agent false)"
read -r loop loop_wakes loop_mb <<<"$(run_settings_loop)"
# The same check in a process as large as the paused agent (its resident memory less the loop's).
read -r sized sized_wakes sized_mb <<<"$(run_settings_loop "$(awk -v a="${paused_mb:-0}" -v l="${loop_mb:-0}" \
    'BEGIN { d = a - l; print (d > 0) ? d : 0 }')")"
tick_us=0
if [ -x "$refresh_bench" ]; then
    tick_us=$("$refresh_bench" 2>/dev/null | sed -n 's/^refresh tick, nothing changed: \([0-9.]*\) us.*/\1/p')
fi
tick_ms=$(awk -v u="${tick_us:-0}" 'BEGIN { printf "%.3f", u / 1000 }')

printf 'agent idle for %s s after %s s of warm-up, CPU ms per second (user + system)\n' "$idle_seconds" \
    "$((warmup_seconds + 4))"
printf '%-30s %10s %10s %8s\n' state "ms/s" "wakes/s" "RSS MB"
printf '%-30s %10.3f %10s %8s\n' "paused" "$paused" "$paused_wakes" "$paused_mb" "closed" "$closed" \
    "$closed_wakes" "$closed_mb" "baseline: settings-loop" "$loop" "$loop_wakes" "$loop_mb" \
    "settings-loop, agent's size" "$sized" "$sized_wakes" "$sized_mb" \
    "warm settings tick x 1/s" "$tick_ms" "" ""
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

worst=$(awk -v a="$paused" -v b="$closed" 'BEGIN { print (a > b) ? a : b }')
awk -v v="$worst" 'BEGIN {
    pass = v <= 1
    printf "BENCH agent-idle %.3f ms/s target <=1 %s\n", v, pass ? "PASS" : "FAIL"
    exit pass ? 0 : 1 }'
