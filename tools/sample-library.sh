#!/usr/bin/env bash
# Shell helpers (source this file) that put generated sample clips into the local library the way
# the main application does: the file in "Application Support/DownloadVideo" named by its sign, and
# one row in the LocalVideos table of "Corvex.db". Used by the demo and the end-to-end run.
#   zerafin_container                   the shared container folder
#   zerafin_make_clip FILE SECONDS [SOURCE] [SIZE]   a 30 fps H.264 clip from an ffmpeg test source
#   zerafin_library_add FILE TITLE      moves FILE into the library, prints its sign
#   zerafin_sign FILE                   MD5 of the first 10 MiB (the whole file when shorter)

zerafin_source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

zerafin_container() {
    echo "${XDG_DATA_HOME:-$HOME/.local/share}/K4TQ7ZR2MB.zerafin"
}

zerafin_sign() {
    head -c 10485760 "$1" | md5sum | cut -c1-32
}

zerafin_make_clip() {
    local file=$1 seconds=$2 source=${3:-testsrc2} size=${4:-1280x720}
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i "${source}=size=${size}:rate=30" -t "$seconds" \
        -c:v libx264 -preset veryfast -pix_fmt yuv420p -movflags +faststart "$file"
}

zerafin_library_add() {
    local file=$1 title=$2
    local support
    support="$(zerafin_container)/Application Support"
    local db="$support/Corvex.db"
    mkdir -p "$support/DownloadVideo" || return 1
    chmod 700 "$(zerafin_container)"
    if [ ! -s "$db" ]; then
        sqlite3 -batch -bail "$db" ".read $zerafin_source_dir/resources/Corvex.sql" || return 1
    fi
    local sign size target
    sign=$(zerafin_sign "$file")
    size=$(stat -c %s "$file")
    target="$support/DownloadVideo/$sign.mp4"
    [ "$file" -ef "$target" ] || mv -f "$file" "$target" || return 1
    local quoted_target=${target//\'/\'\'} quoted_title=${title//\'/\'\'}
    sqlite3 -batch -bail "$db" "DELETE FROM LocalVideos WHERE sign = '$sign';
        INSERT INTO LocalVideos (vid, sign, preurl, title, url, description, time, size, imgurl, imgsize, tags,
            ratio, width, height, frame, rate, audio, uptime, down, view, author, avatar, avatarsize, hp, upcount,
            state)
        VALUES (0, '$sign', '', '$quoted_title', '$quoted_target', '', 0, $size, '', 0, '', '16:9', 1280, 720,
            30, 0, 0, '', 0, 0, '', '', 0, '', 0, 1);" || return 1
    echo "$sign"
}
