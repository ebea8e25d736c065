#!/usr/bin/env bash
# Starts the main application on this X11 desktop against a local catalogue: the protocol test
# server serving generated clips (three pages of them, each record with the clip's true facts) with
# thumbnails, categories, hot tags, a news message and a leaflet. On a fresh home the library window
# imports the six sample videos, starts the agent and a sample plays as the wallpaper; the "Online"
# tab lists the catalogue, whose videos download and become the wallpaper. The server stops when
# the main application quits (its menu, Ctrl+Q); the agent keeps the wallpaper running until you
# quit it from its tray menu. Run again while the first run is still going, it reopens the window
# against the same server.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build
source tools/demo-catalogue.sh
[ -x "$build/MainWindow/zerafin-video-desktop" ] && [ -x "$build/tests/tools/zerafin_test_server" ] ||
    tools/build.sh
catalogue="$build/demo-catalogue"
log="$build/demo-server.log"
state="$build/demo-server.url"
# A demo run already serving the catalogue keeps doing so: this run only reopens the window against
# it, and leaves its server and that server's log alone.
if [ -s "$state" ]; then
    read -r running_pid running_url <"$state" || true
    if [ -n "${running_pid:-}" ] && [ -n "${running_url:-}" ] &&
        tr '\0' ' ' <"/proc/$running_pid/cmdline" 2>/dev/null | grep -q "zerafin_test_server"; then
        export ZERAFIN_SERVER_URL=$running_url
        echo "catalogue already served at $ZERAFIN_SERVER_URL (requests in $log)"
        export ZERAFIN_RESOURCES="$build/resources"
        exec "$build/MainWindow/zerafin-video-desktop"
    fi
fi
echo "making the demo catalogue in $catalogue..."
zerafin_make_catalogue "$catalogue"
zerafin_start_catalogue_server "$build" "$catalogue" "$log"
echo "$catalogue_server_pid $ZERAFIN_SERVER_URL" >"$state"
trap 'kill "$catalogue_server_pid" 2>/dev/null || true; rm -f "$state"' EXIT
echo "catalogue served at $ZERAFIN_SERVER_URL (requests in $log)"
export ZERAFIN_RESOURCES="$build/resources"
"$build/MainWindow/zerafin-video-desktop"
