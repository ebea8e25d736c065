#!/usr/bin/env bash
# Starts the main application on this X11 desktop against a local catalogue: the protocol test
# server serving generated clips with thumbnails, categories, hot tags and a news message. On a
# fresh home the library window imports the six sample videos, starts the agent and a sample plays
# as the wallpaper; the "Online" tab lists the catalogue, whose videos download and become the
# wallpaper. The server stops when the main application quits (its menu, Ctrl+Q); the agent keeps
# the wallpaper running until you quit it from its tray menu.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build
source tools/demo-catalogue.sh
[ -x "$build/MainWindow/zerafin-video-desktop" ] && [ -x "$build/tests/tools/zerafin_test_server" ] ||
    tools/build.sh
catalogue="$build/demo-catalogue"
echo "making the demo catalogue in $catalogue..."
zerafin_make_catalogue "$catalogue"
zerafin_start_catalogue_server "$build" "$catalogue" "$build/demo-server.log"
trap 'kill "$catalogue_server_pid" 2>/dev/null || true' EXIT
echo "catalogue served at $ZERAFIN_SERVER_URL (requests in $build/demo-server.log)"
export ZERAFIN_RESOURCES="$build/resources"
"$build/MainWindow/zerafin-video-desktop"
