#!/usr/bin/env bash
# End-to-end run of the main application with the agent, driven from outside with xdotool and
# checked through screenshots, window properties, the shared settings, the database, the library
# folder and the protocol test server's request log: an X server (Xvfb), a private session bus, a
# local catalogue and a fresh home. Usage: main_e2e.sh BUILD_DIR
# Exits 77 (skipped) when a tool it needs is missing.
set -uo pipefail
build=$(cd "${1:?usage: main_e2e.sh BUILD_DIR}" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

for tool in Xvfb xdotool xwininfo xprop dbus-monitor dbus-send dbus-run-session import convert compare ffmpeg sqlite3 md5sum; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (tools/install-deps.sh installs it)"
        exit 77
    fi
done
main="$build/MainWindow/zerafin-video-desktop"
agent="$build/agent/zerafin-helper"
server="$build/tests/tools/zerafin_test_server"
for program in "$main" "$agent" "$server"; do
    [ -x "$program" ] || { echo "FAIL: $program is not built"; exit 1; }
done
ls "$build/resources/"*.mp4 >/dev/null 2>&1 || { echo "FAIL: the sample videos are not built"; exit 1; }

# Everything below runs on a private session bus of its own.
if [ -z "${ZERAFIN_E2E_ON_PRIVATE_BUS:-}" ]; then
    exec dbus-run-session -- env ZERAFIN_E2E_ON_PRIVATE_BUS=1 bash "$0" "$@"
fi

work=$(mktemp -d /tmp/zerafin-main-e2e-XXXXXX)
pids=()
failures=0
cleanup() {
    [ -n "${main_pid:-}" ] && kill "$main_pid" 2>/dev/null
    local agent_pid
    agent_pid=$(bus_pid com.tovan.zerafinHelper)
    [ -n "$agent_pid" ] && kill "$agent_pid" 2>/dev/null
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ "$failures" -eq 0 ] && [ -z "${ZERAFIN_E2E_KEEP:-}" ]; then rm -rf "$work"; else echo "kept the run's files in $work"; fi
}
trap cleanup EXIT

source "$source_dir/tests/e2e/e2e-lib.sh"

e2e_fresh_home
export ZERAFIN_RESOURCES="$build/resources"
source "$source_dir/tools/sample-library.sh"
source "$source_dir/tools/demo-catalogue.sh"
container=$(zerafin_container)
suite="$container/Preferences/K4TQ7ZR2MB.zerafin.ini"
db="$container/Application Support/Corvex.db"
library="$container/Application Support/DownloadVideo"

# --- the X server ---------------------------------------------------------------------------
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 5>&-
wait_for 10 test -s "$work/display" || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# --- the catalogue: three small clips and one large file that downloads slowly ---------------
mkdir -p "$work/catalogue"
for clip in "Aurora|testsrc2" "City Loop|testsrc"; do
    name=${clip%%|*}
    zerafin_make_clip "$work/catalogue/$name.mp4" 3 "${clip#*|}" "320x180" &&
        ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/catalogue/$name.mp4" -frames:v 1 \
            "$work/catalogue/$name.jpg" || { echo "FAIL: ffmpeg could not make the catalogue"; exit 1; }
done
head -c $((6 * 1024 * 1024)) /dev/urandom >"$work/catalogue/Big Download.mp4"
# Files flow at 1 MB/s: the large one takes about six seconds, the others a fraction of one.
"$server" --library "$work/catalogue" --file-rate 1000000 --hot-tags "nature,city" \
    --news "News|https://www.zerafin.example/news|#FF8000" >"$work/server.log" 2>&1 &
pids+=($!)
wait_for 10 grep -q "^listening " "$work/server.log" || { echo "FAIL: the test server did not start"; exit 1; }
export ZERAFIN_SERVER_URL=$(sed -n 's/^listening \(http[^ ]*\).*/\1/p' "$work/server.log" | head -n1)
dbus-monitor --session "type='signal',interface='com.tovan.DistributedNotificationCenter'" >"$work/monitor.log" 2>&1 &
pids+=($!)

# --- helpers that look from outside ----------------------------------------------------------
suite_value() { sed -n "s/^$1=//p" "$suite" 2>/dev/null | tr -d '"' | head -n1; }
suite_is() { [ "$(suite_value "$1")" = "$2" ]; }
bus_owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:"$1" 2>/dev/null | grep -q "boolean true"
}
bus_pid() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetConnectionUnixProcessID string:"$1" 2>/dev/null | awk '/uint32/ {print $2}'
}
rows() { sqlite3 -batch "$db" "SELECT COUNT(*) FROM LocalVideos;" 2>/dev/null || echo 0; }
rows_are() { [ "$(rows)" = "$1" ]; }
has_row() { [ "$(sqlite3 -batch "$db" "SELECT COUNT(*) FROM LocalVideos WHERE sign = '$1';" 2>/dev/null)" = 1 ]; }
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
main_window() { xdotool search --onlyvisible --name '^Zerafin Video Desktop$' 2>/dev/null | head -n1; }
has_main_window() { [ -n "$(main_window)" ]; }
# A visible window whose title contains the text.
named_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
has_named_window() { [ -n "$(named_window "$1")" ]; }
# click X Y [REPEAT]: a left click at a point of the main window.
click() { xdotool mousemove --window "$wid" "$1" "$2" sleep 0.1 click --repeat "${3:-1}" --delay 120 1; }
shot() { import -window root "$work/$1.png" 2>/dev/null; }
# The part of the screen right of the main window: only the desktop shows there.
desktop_shot() { import -window root -crop 600x1000+1260+40 "$work/$1.png" 2>/dev/null; }
pictures_differ() { [ "$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1)" != 0 ]; }
served() { grep -c "^GET /files/$1" "$work/server.log"; }
start_main() {
    "$main" >"$work/main$1.log" 2>&1 &
    main_pid=$!
    wait_for 20 has_main_window || { fail "start $1 shows no main window"; return 1; }
    wid=$(main_window)
    # Where the clicks below expect it: the top left corner, at its first size.
    xdotool windowmove "$wid" 0 0 windowsize "$wid" 1180 720
    sleep 0.5
}

# Points of the main window at 1180 x 720 (menu bar included).
local_tab=(195 88)
online_tab=(261 88)
first_cell=(254 150)
second_cell=(444 150)
detail_button=(1050 645)
player_switch=(137 153)
video_entry=(60 154)
about_entry=(66 191)
feedback_button=(729 497)
settings_button=(1113 45)

# --- 1. a fresh home: the window, the six samples, the agent, a moving wallpaper ---------------
start_main 1 || exit 1
pass "a fresh home shows the main window"
bus_owned com.tovan.zerafin.macOS && pass "the main application owns com.tovan.zerafin.macOS" ||
    fail "com.tovan.zerafin.macOS is not owned"
wait_for 90 rows_are 6 && pass "the six sample videos are in the library" || fail "the library holds $(rows) videos, not 6"
[ "$(ls "$library"/*.mp4 2>/dev/null | wc -l)" = 6 ] && pass "six files in the library folder" ||
    fail "the library folder holds $(ls "$library" | wc -l) files"
wait_for 10 suite_is alreadyImportVideo true && pass "alreadyImportVideo is true" || fail "alreadyImportVideo not set"
wait_for 20 bus_owned com.tovan.zerafinHelper && pass "the agent was started" || fail "the agent did not start"
wait_for 20 has_mapped_desktop_window && pass "the agent's desktop windows are mapped" || fail "no desktop window mapped"
first_sign=$(suite_value CurrentVideoSign)
[ -n "$first_sign" ] && has_row "$first_sign" && pass "CurrentVideoSign names a library video" ||
    fail "CurrentVideoSign '$first_sign' names no library video"
sleep 2
desktop_shot desktop-a
sleep 1
desktop_shot desktop-b
pictures_differ desktop-a desktop-b && pass "the wallpaper moves" || fail "the wallpaper does not move"
shot 01-library

# --- 2. a second start raises the running one --------------------------------------------------
second_output=$(timeout 15 "$main" 2>&1)
second_status=$?
[ "$second_status" -eq 0 ] && pass "a second start exits with status 0" || fail "a second start ended with $second_status: $second_output"
wait_for 5 grep -q "^applicationShouldHandleReopen$" "$work/main1.log" && pass "the running copy was asked to show itself" ||
    fail "no reopen reached the running copy"
kill -0 "$main_pid" 2>/dev/null && has_main_window && pass "the first copy still shows its window" || fail "the first copy went away"

# --- 3. the online tab lists the catalogue with its thumbnails ----------------------------------
click "${online_tab[@]}"
wait_for 10 grep -q " f=502 " "$work/server.log" && pass "the online tab asked for the catalogue" || fail "no list request"
wait_for 10 [ "$(grep -c '^GET /files/.*\.jpg' "$work/server.log")" -ge 2 ] && pass "the thumbnails were fetched" ||
    fail "the thumbnails were not fetched"
sleep 1
shot 02-online

# --- 4. downloading one video -----------------------------------------------------------------
aurora_sign=$(zerafin_sign "$work/catalogue/Aurora.mp4")
click "${first_cell[@]}"
sleep 0.5
click "${detail_button[@]}"
wait_for 20 has_row "$aurora_sign" && pass "the downloaded video is in the local library" || fail "the download did not reach the library"
[ -f "$library/$aurora_sign.mp4" ] && [ "$(zerafin_sign "$library/$aurora_sign.mp4")" = "$aurora_sign" ] &&
    pass "its file is in the library folder with the right sign" || fail "no file with the right sign in the library folder"
wait_for 5 grep -q " f=503 " "$work/server.log" && pass "the download was reported to the server" || fail "no download report"
click "${local_tab[@]}"
sleep 1
shot 03-local-after-download

# --- 5. a double click on a local video makes it the wallpaper ----------------------------------
test_card_sign=$(zerafin_sign "$build/resources/Test Card.mp4")
desktop_shot before-double-click
click "${first_cell[@]}" 2
wait_for 5 suite_is CurrentVideoSign "$test_card_sign" && pass "a double click sets CurrentVideoSign" ||
    fail "CurrentVideoSign is '$(suite_value CurrentVideoSign)', not the first sample's"
sleep 2.5
desktop_shot after-double-click
pictures_differ before-double-click after-double-click && pass "the agent plays the chosen video" || fail "the wallpaper did not change"

# --- 6. settings: Mirror -------------------------------------------------------------------------
click "${settings_button[@]}"
wait_for 5 has_named_window Preferences && pass "the settings window opens" || fail "no settings window"
config=$(named_window Preferences)
eval "$(xdotool getwindowgeometry --shell "$config")"
[ "$((X + WIDTH / 2))" -eq 590 ] && [ "$((Y + HEIGHT / 2))" -eq 360 ] && pass "centred over the main window" ||
    fail "the settings window is at $X,$Y ${WIDTH}x$HEIGHT"
xdotool mousemove --window "$config" 39 120 sleep 0.1 click 1
wait_for 5 suite_is MonitorArrange 1 && pass "Mirror sets MonitorArrange 1" || fail "MonitorArrange is '$(suite_value MonitorArrange)'"
shot 04-settings
xdotool mousemove --window "$config" 180 200 sleep 0.1 click 1 sleep 0.2 key Escape
wait_for 5 bash -c "[ -z \"\$(xdotool search --onlyvisible --name Preferences)\" ]" && pass "Escape closes it" ||
    fail "the settings window stays open"

# --- 7. feedback reaches the server ------------------------------------------------------------
click "${about_entry[@]}"
sleep 0.5
click "${feedback_button[@]}"
wait_for 5 has_named_window Feedback && pass "the feedback window opens" || fail "no feedback window"
feedback=$(named_window Feedback)
xdotool mousemove --window "$feedback" 220 120 sleep 0.1 click 1 sleep 0.2 type --delay 20 "Lovely wallpapers"
shot 05-feedback
eval "$(xdotool getwindowgeometry --shell "$feedback")"
xdotool mousemove --window "$feedback" $((WIDTH - 50)) $((HEIGHT - 32)) sleep 0.1 click 1
wait_for 10 grep -q " f=26 .*Lovely wallpapers" "$work/server.log" && pass "the feedback reached the server" ||
    fail "no feedback request"
wait_for 5 bash -c "[ -z \"\$(xdotool search --onlyvisible --name Feedback)\" ]" && pass "sending closes the feedback window" ||
    fail "the feedback window stays open"
click "${video_entry[@]}"

# --- 8. the side-bar switch turns the player off -------------------------------------------------
click "${player_switch[@]}"
wait_for 5 suite_is IsOpenPlayer false && pass "the switch sets IsOpenPlayer false" || fail "IsOpenPlayer is '$(suite_value IsOpenPlayer)'"
wait_for 5 has_no_mapped_desktop_window && pass "the agent's windows unmap" || fail "desktop windows still mapped"
click "${player_switch[@]}"
wait_for 5 suite_is IsOpenPlayer true && wait_for 5 has_mapped_desktop_window && pass "switched on again, they map" ||
    fail "the player did not come back"

# --- 9. quitting the agent quits the main application; the cut download resumes --------------------
big_sign=$(zerafin_sign "$work/catalogue/Big Download.mp4")
click "${online_tab[@]}"
sleep 1
click "${second_cell[@]}"
sleep 0.5
click "${detail_button[@]}"
wait_for 10 grep -q "^GET /files/$big_sign.mp4" "$work/server.log" && pass "the large download started" ||
    fail "the large download did not start"
sleep 2
agent_pid=$(bus_pid com.tovan.zerafinHelper)
kill -TERM "$agent_pid"
wait_for 10 bash -c "! kill -0 $main_pid 2>/dev/null" && pass "quitting the agent quits the main application" ||
    fail "the main application still runs after the agent quit"
wait "$main_pid"
status=$?
[ "$status" -eq 0 ] && pass "the main application ended with status 0" || fail "the main application ended with $status"
grep -q "^applicationWillTerminate$" "$work/main1.log" && pass "it went through its will-terminate path" || fail "no will-terminate line"
[ -s "$container/Caches/downloadInfo.bat" ] && pass "the download store was written" || fail "no download store"
has_row "$big_sign" && fail "the cut download is in the library" || pass "the cut download is not in the library yet"
start_main 2 || exit 1
wait_for 10 grep -q "^GET /files/$big_sign.mp4 Range: bytes=[1-9]" "$work/server.log" &&
    pass "the download resumed from where it stopped" || fail "no resuming range request"
wait_for 30 has_row "$big_sign" && pass "the resumed download finished" || fail "the resumed download did not finish"
[ "$(zerafin_sign "$library/$big_sign.mp4" 2>/dev/null)" = "$big_sign" ] && pass "its file has the right sign" ||
    fail "the resumed file's sign is wrong"
wait_for 20 bus_owned com.tovan.zerafinHelper && pass "the second start launched the agent again" || fail "no agent after the restart"
shot 06-after-restart

# --- 10. SIGTERM ends the main application the same way; the agent keeps running ------------------
kill -TERM "$main_pid"
wait_for 10 bash -c "! kill -0 $main_pid 2>/dev/null" && pass "SIGTERM quits the main application" ||
    fail "the main application still runs after SIGTERM"
wait "$main_pid"
status=$?
[ "$status" -eq 0 ] && grep -q "^applicationWillTerminate$" "$work/main2.log" &&
    pass "through its will-terminate path, with status 0" || fail "SIGTERM ended it with $status"
sleep 1
bus_owned com.tovan.zerafinHelper && has_mapped_desktop_window && pass "the agent keeps playing" ||
    fail "the agent went away with the main application"

echo "$failures failure(s); screenshots in $work"
[ "$failures" -eq 0 ]
