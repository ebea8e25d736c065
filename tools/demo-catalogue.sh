#!/usr/bin/env bash
# Shell helpers (source this file) for a local catalogue: generated clips with their thumbnails,
# served by the protocol test server with categories, hot tags, hot keywords and a news message.
#   zerafin_make_catalogue FOLDER [COUNT]   COUNT clips (12 by default) and one thumbnail per clip
#   zerafin_start_catalogue_server BUILD FOLDER LOG   starts the server in the background (its pid in
#                                     $catalogue_server_pid) and exports ZERAFIN_SERVER_URL

zerafin_catalogue_sources=(
    "Aurora|gradients=s=640x360:r=25:c0=#0b486b:c1=#3bb78f:c2=#f5d020:nb_colors=3:speed=0.05"
    "Harbour Lights|mandelbrot=s=640x360:r=25"
    "Rain Forest|cellauto=s=640x360:r=25:rule=30:scroll=1"
    "Desert Dunes|gradients=s=640x360:r=25:c0=#c2a878:c1=#7a4e2d:c2=#f6e7c1:nb_colors=3:speed=0.04"
    "Snow Peaks|testsrc2=s=640x360:r=25,hue=s=0"
    "Night Market|life=s=320x180:r=15:mold=10:life_color=#ffb000:death_color=#101020,scale=640x360:flags=neighbor"
    "Coral Reef|gradients=s=640x360:r=25:c0=#ff6f61:c1=#2ec4b6:c2=#011627:nb_colors=3:speed=0.06"
    "City Loop|testsrc=s=640x360:r=25"
    "Ocean Waves|smptehdbars=s=640x360:r=25,hue=h=t*40"
    "Galaxy|mandelbrot=s=640x360:r=25:start_scale=1.5:end_scale=0.1"
    "Meadow|rgbtestsrc=s=320x180:r=25,scroll=h=0.02,scale=640x360:flags=neighbor"
    "Neon Grid|cellauto=s=320x180:r=25:rule=90:scroll=1,scale=640x360:flags=neighbor"
)

zerafin_make_catalogue() {
    local folder=$1 count=${2:-12} i=0 entry name graph
    mkdir -p "$folder" || return 1
    for entry in "${zerafin_catalogue_sources[@]}"; do
        [ "$i" -ge "$count" ] && break
        i=$((i + 1))
        name=${entry%%|*}
        graph=${entry#*|}
        [ -s "$folder/$name.mp4" ] && [ -s "$folder/$name.jpg" ] && continue
        ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$graph" -t 8 -c:v libx264 \
            -preset ultrafast -crf 30 -pix_fmt yuv420p -movflags +faststart "$folder/$name.mp4" || return 1
        ffmpeg -nostdin -hide_banner -loglevel error -y -ss 2 -i "$folder/$name.mp4" -frames:v 1 \
            -vf scale=320:180 "$folder/$name.jpg" || return 1
    done
}

zerafin_start_catalogue_server() {
    local build=$1 folder=$2 log=$3
    "$build/tests/tools/zerafin_test_server" --library "$folder" \
        --category "1=Landscape" --category "2=Abstract" --category "3=City" \
        --hot-tags "nature,city,ocean,space" --hot-keys "aurora,neon,galaxy" \
        --keywords "aurora,city loop,coral reef,desert dunes,galaxy,harbour lights,meadow,neon grid,night market,ocean waves,rain forest,snow peaks" \
        --news "New wallpapers every week|https://www.zerafin.example/news|#FF8000" >"$log" 2>&1 &
    catalogue_server_pid=$!
    local tries=0
    until grep -q "^listening " "$log" 2>/dev/null; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ] || ! kill -0 "$catalogue_server_pid" 2>/dev/null; then
            echo "the catalogue server did not start:" >&2
            cat "$log" >&2
            return 1
        fi
        sleep 0.1
    done
    ZERAFIN_SERVER_URL=$(sed -n 's/^listening \(http[^ ]*\).*/\1/p' "$log" | head -n1)
    export ZERAFIN_SERVER_URL
}
