#!/usr/bin/env bash
# Starts the agent on the local library, putting a generated sample clip there first when the
# library holds no video yet, so that a video wallpaper shows at once. Needs an X11 display.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/sample-library.sh
[ -x build/agent/zerafin-helper ] || tools/build.sh
db="$(zerafin_container)/Application Support/Corvex.db"
count=0
[ -s "$db" ] && count=$(sqlite3 -batch "$db" "SELECT COUNT(*) FROM LocalVideos;" 2>/dev/null || echo 0)
if [ "${count:-0}" -eq 0 ]; then
    clip=$(mktemp --suffix=.mp4)
    echo "making a 30-second sample clip..."
    zerafin_make_clip "$clip" 30 "testsrc2" "1920x1080"
    sign=$(zerafin_library_add "$clip" "Sample clip")
    echo "added the sample clip $sign to the library"
fi
exec build/agent/zerafin-helper
