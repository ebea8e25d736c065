#!/usr/bin/env bash
# Shows the agent's desktop player working on a real (virtual) X display:
#  1. a library holding one generated clip (stored as a file URL), list play model;
#  2. zerafin-helper started on it: a desktop-type window covering the screen, checked with xprop,
#     and a screenshot saved;
#  3. a second clip added (stored as a plain path with a space in it) and "UpdateVideoList" posted
#     with dbus-send: when the first clip ends, the agent plays the second and writes its sign back.
# Usage: tools/desktop-player-check.sh [folder for the screenshots]   (needs a build in ./build)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
shots=${1:-$root/build/desktop-player-check}
mkdir -p "$shots"
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

n=90
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
export DISPLAY=:$n HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
container=$XDG_DATA_HOME/K4TQ7ZR2MB.zerafin
library="$container/Application Support/DownloadVideo"
mkdir -p "$library" "$container/Preferences"
suite=$container/Preferences/K4TQ7ZR2MB.zerafin.ini
printf '[General]\nPlayModel=1\n' >"$suite"

ffmpeg -loglevel error -f lavfi -i testsrc2=size=1280x720:rate=30 -t 5 -c:v libx264 -pix_fmt yuv420p \
    "$library/first.mp4" || fail "ffmpeg"
ffmpeg -loglevel error -f lavfi -i smptebars=size=1280x720:rate=30 -t 60 -c:v libx264 -pix_fmt yuv420p \
    "$library/second.mp4" || fail "ffmpeg"
db="$container/Application Support/Corvex.db"
first_url="file://$(printf '%s' "$library/first.mp4" | sed 's/ /%20/g')"
"$root/build/tests/tools/library_add" "$db" 11111111111111111111111111111111 "$first_url" >/dev/null || fail "library"

bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
pids+=(${bus##*$'\n'})
"$root/build/agent/zerafin-helper" >"$shots/agent.log" 2>&1 &
pids+=($!)
sleep 3

window=$(xwininfo -root -tree | awk '/"zerafin-helper"/ && /1280x720\+0\+0/ { print $1; exit }')
[ -n "$window" ] || fail "no window covering the screen"
xprop -id "$window" _NET_WM_WINDOW_TYPE _NET_WM_STATE _NET_WM_DESKTOP | tee "$shots/xprop.txt"
grep -q '_NET_WM_WINDOW_TYPE_DESKTOP' "$shots/xprop.txt" || fail "not a desktop-type window"
import -window root "$shots/first.png"
grep -q 'CurrentVideoSign=1111' "$suite" || fail "the first clip is not playing"
echo "screenshot: $shots/first.png"

"$root/build/tests/tools/library_add" "$db" 22222222222222222222222222222222 "$library/second.mp4" >/dev/null ||
    fail "library"
dbus-send --session --type=signal /com/tovan/DistributedNotificationCenter \
    com.tovan.DistributedNotificationCenter.Notification string:UpdateVideoList
for _ in $(seq 20); do
    grep -q 'CurrentVideoSign=2222' "$suite" && break
    sleep 0.5
done
grep -q 'CurrentVideoSign=2222' "$suite" || fail "the second clip was not picked up"
sleep 1
import -window root "$shots/second.png"
echo "screenshot: $shots/second.png"
echo "PASS"
