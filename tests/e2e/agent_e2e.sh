#!/usr/bin/env bash
# End-to-end run of the agent, checked only from outside, the way the main application and the
# desktop see it: an X server (Xvfb), a private session bus, the local protocol test server and a
# fresh home. Usage: agent_e2e.sh BUILD_DIR
# Exits 77 (skipped) when a tool it needs is missing.
set -uo pipefail
build=$(cd "${1:?usage: agent_e2e.sh BUILD_DIR}" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

for tool in Xvfb xwininfo xprop dbus-monitor dbus-send dbus-run-session import convert compare ffmpeg sqlite3 md5sum; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (tools/install-deps.sh installs it)"
        exit 77
    fi
done
agent="$build/agent/zerafin-helper"
server="$build/tests/tools/zerafin_test_server"
writer="$build/tests/tools/suite_writer"
for program in "$agent" "$server" "$writer"; do
    [ -x "$program" ] || { echo "FAIL: $program is not built"; exit 1; }
done

# Everything below runs on a private session bus of its own.
if [ -z "${ZERAFIN_E2E_ON_PRIVATE_BUS:-}" ]; then
    exec dbus-run-session -- env ZERAFIN_E2E_ON_PRIVATE_BUS=1 bash "$0" "$@"
fi

work=$(mktemp -d /tmp/zerafin-e2e-XXXXXX)
pids=()
failures=0
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "kept the run's files in $work"; fi
}
trap cleanup EXIT

source "$source_dir/tests/e2e/e2e-lib.sh"

e2e_fresh_home
source "$source_dir/tools/sample-library.sh"
suite="$(zerafin_container)/Preferences/K4TQ7ZR2MB.zerafin.ini"

# --- the X server ---------------------------------------------------------------------------
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1280x720x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 5>&-
wait_for 10 test -s "$work/display" || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# --- the protocol test server and the bus watcher -------------------------------------------
"$server" >"$work/server.log" 2>&1 &
pids+=($!)
wait_for 10 grep -q "^listening " "$work/server.log" || { echo "FAIL: the test server did not start"; exit 1; }
export ZERAFIN_SERVER_URL=$(sed -n 's/^listening \(http[^ ]*\).*/\1/p' "$work/server.log" | head -n1)
dbus-monitor --session "type='signal',interface='com.tovan.DistributedNotificationCenter'" >"$work/monitor.log" 2>&1 &
pids+=($!)

# --- helpers that look from outside ----------------------------------------------------------
suite_value() { sed -n "s/^$1=//p" "$suite" 2>/dev/null | tr -d '"' | head -n1; }
suite_is() { [ "$(suite_value "$1")" = "$2" ]; }
set_suite() { "$writer" "$suite" "$@"; }
bus_owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:"$1" 2>/dev/null | grep -q "boolean true"
}
# Ids of the top-level windows whose type is the desktop type.
desktop_windows() {
    local id
    for id in $(xwininfo -root -children 2>/dev/null | grep -oE '^ +0x[0-9a-f]+'); do
        xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DESKTOP && echo "$id"
    done
}
mapped_desktop_windows() {
    local id
    for id in $(desktop_windows); do
        xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable" && echo "$id"
    done
}
has_mapped_desktop_window() { [ -n "$(mapped_desktop_windows)" ]; }
has_no_mapped_desktop_window() { [ -z "$(mapped_desktop_windows)" ]; }
post_notification() {
    dbus-send --session --type=signal /com/tovan/DistributedNotificationCenter \
        com.tovan.DistributedNotificationCenter.Notification string:"$1"
}
ter_count() { grep -c 'string "com.tovan.corvex.mac.ter"' "$work/monitor.log"; }
start_agent() {
    "$agent" >"$work/agent$1.log" 2>&1 &
    agent_pid=$!
    pids+=($agent_pid)
    wait_for 15 bus_owned com.tovan.zerafinHelper || { fail "agent $1 did not claim its bus name"; return 1; }
}
# stop_agent SIGNAL: ends the agent the way a session (TERM) or a terminal (INT) does.
stop_agent() {
    local signal=$1
    kill -"$signal" "$agent_pid"
    local deadline=$((SECONDS + 10))
    while kill -0 "$agent_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
    if kill -0 "$agent_pid" 2>/dev/null; then
        fail "agent did not quit on SIG$signal"
        kill -KILL "$agent_pid"
        return 1
    fi
    wait "$agent_pid"
    local status=$?
    [ "$status" -eq 0 ] && pass "SIG$signal quits the agent cleanly" || fail "the agent ended with status $status on SIG$signal"
}
# Standard deviation of the screen's pixels (0 for a blank screen), from a screenshot.
screen_spread() {
    import -window root "$work/$1.png" 2>/dev/null &&
        convert "$work/$1.png" -colorspace Gray -format "%[fx:standard_deviation]" info:
}

# --- 1. an empty library ----------------------------------------------------------------------
start_agent 1 || exit 1
pass "the agent owns com.tovan.zerafinHelper"
wait_for 10 suite_is IsOpenPlayer true && suite_is isPlaying true && suite_is autolaunch true &&
    pass "the agent wrote the default settings into the suite" || fail "defaults missing from the suite"
wait_for 15 grep -q "f=24" "$work/server.log" && pass "the silent update check reached the server (operation 24)" ||
    fail "no update check (operation 24) reached the server"
wait_for 10 has_mapped_desktop_window && pass "a desktop-type window is mapped over the empty library" ||
    fail "no desktop-type window mapped"
second_output=$(timeout 15 "$agent" 2>&1)
second_status=$?
[ "$second_status" -eq 0 ] && [ -z "$second_output" ] && pass "a second start exits quietly" ||
    fail "a second start ended with status $second_status and output '$second_output'"
kill -0 "$agent_pid" 2>/dev/null && pass "the first agent is still running" || fail "the first agent went away"
[ -z "$(suite_value CurrentVideoSign)" ] && pass "no sign is written while the library is empty" ||
    fail "a sign was written for an empty library: $(suite_value CurrentVideoSign)"

# --- 2. two clips arrive; the agent is told ---------------------------------------------------
zerafin_make_clip "$work/red.mp4" 3 "testsrc2" "640x360" || { fail "ffmpeg could not make a clip"; exit 1; }
zerafin_make_clip "$work/count.mp4" 3 "testsrc" "640x360" || { fail "ffmpeg could not make a clip"; exit 1; }
sign1=$(zerafin_library_add "$work/red.mp4" "Test pattern")
sign2=$(zerafin_library_add "$work/count.mp4" "Counting pattern")
post_notification UpdateVideoList
sleep 1
# Closing and opening the wallpaper from outside reloads the current (first) video and the agent
# writes its sign back.
set_suite bool:IsOpenPlayer=false
wait_for 10 has_no_mapped_desktop_window && pass "IsOpenPlayer false unmaps the desktop windows" ||
    fail "desktop windows still mapped with IsOpenPlayer false"
set_suite bool:IsOpenPlayer=true
wait_for 10 has_mapped_desktop_window && pass "IsOpenPlayer true maps them again" || fail "no desktop window after IsOpenPlayer true"
wait_for 10 suite_is CurrentVideoSign "$sign1" && pass "after UpdateVideoList the agent plays the first clip and writes its sign" ||
    fail "CurrentVideoSign is '$(suite_value CurrentVideoSign)', not the first clip $sign1"

# Play model "list" and the second clip chosen from outside: when it ends the agent moves on to
# the first clip and writes that sign.
set_suite int:PlayModel=1 string:CurrentVideoSign="$sign2"
sleep 1
spread=$(screen_spread playing)
awk -v s="${spread:-0}" 'BEGIN { exit !(s > 0.05) }' && pass "the screenshot is not blank where the video plays ($spread)" ||
    fail "the screenshot looks blank (spread ${spread:-none})"
sleep 0.4
screen_spread playing-later >/dev/null
moved=$(compare -metric AE "$work/playing.png" "$work/playing-later.png" null: 2>&1 | cut -d' ' -f1)
[ "${moved%.*}" -gt 1000 ] 2>/dev/null && pass "the picture moves ($moved pixels changed in 0.4 s)" ||
    fail "the picture did not move (${moved:-no comparison})"
wait_for 15 suite_is CurrentVideoSign "$sign1" && pass "in play model list the next clip follows and its sign is written back" ||
    fail "CurrentVideoSign stayed '$(suite_value CurrentVideoSign)' after the second clip's end"

# The arrangement chosen from outside: the windows are made again, still mapped, covering the screen.
before=$(desktop_windows | sort | tr '\n' ' ')
set_suite int:MonitorArrange=2 int:ScreenIndex=0
windows_replaced() { [ "$(desktop_windows | sort | tr '\n' ' ')" != "$before" ]; }
wait_for 5 windows_replaced
sleep 0.5
after=$(mapped_desktop_windows | sort | tr '\n' ' ')
[ -n "$after" ] && pass "after MonitorArrange 2 a desktop window is mapped ($after; before: $before)" ||
    fail "no desktop window mapped after MonitorArrange 2"
geometry=$(for id in $after; do xwininfo -id "$id" | grep -E "Width|Height" | awk '{print $2}' | tr '\n' 'x'; done | head -c 20)
[ "${geometry%x}" = "1280x720" ] && pass "the window covers the screen (1280x720)" || fail "the window's size is ${geometry%x}"

# --- 3. quitting announces the end once -------------------------------------------------------
before_quit=$(ter_count)
stop_agent TERM
wait_for 5 bash -c "[ \$(grep -c 'string \"com.tovan.corvex.mac.ter\"' '$work/monitor.log') -gt $before_quit ]"
[ $(($(ter_count) - before_quit)) -eq 1 ] && pass "quitting posted com.tovan.corvex.mac.ter once" ||
    fail "quitting posted com.tovan.corvex.mac.ter $(($(ter_count) - before_quit)) times"
wait_for 5 bash -c '! dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:com.tovan.zerafinHelper | grep -q "boolean true"' &&
    pass "the bus name is free again" || fail "the bus name is still owned"

# --- 4. a new start with two clips in the library ---------------------------------------------
set_suite remove:CurrentVideoSign int:PlayModel=0 int:MonitorArrange=1
start_agent 2 || exit 1
wait_for 15 suite_is CurrentVideoSign "$sign1" && pass "a start with two clips plays the first and writes its sign" ||
    fail "after a new start CurrentVideoSign is '$(suite_value CurrentVideoSign)'"
wait_for 10 has_mapped_desktop_window && pass "its desktop window is mapped" || fail "no desktop window after the new start"
before_quit=$(ter_count)
stop_agent INT
sleep 0.5
[ $(($(ter_count) - before_quit)) -eq 1 ] && pass "the second quit posted the end notification once" ||
    fail "the second quit posted it $(($(ter_count) - before_quit)) times"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; agent output:"
    tail -n 40 "$work"/agent*.log
    exit 1
fi
echo "all end-to-end checks passed"
