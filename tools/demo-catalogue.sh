#!/usr/bin/env bash
# Shell helpers (source this file) for a local catalogue: generated clips with their thumbnails and
# their true facts, served by the protocol test server with categories, hot tags, hot keywords, a
# news message and a leaflet.
#   zerafin_make_catalogue FOLDER [COUNT]   COUNT clips (48 by default, three pages of the server's
#                                     20), each with a thumbnail and a record of its facts, made in
#                                     parallel, and the leaflet picture
#   zerafin_start_catalogue_server BUILD FOLDER LOG   starts the server in the background (its pid in
#                                     $catalogue_server_pid) and exports ZERAFIN_SERVER_URL

# Scenes: title|tags|ffmpeg source (SIZE and RATE are filled in per clip).
zerafin_catalogue_scenes=(
    "Aurora|nature,space|gradients=s=SIZE:r=RATE:c0=#0b486b:c1=#3bb78f:c2=#f5d020:nb_colors=3:speed=0.05"
    "Harbour Lights|city,ocean|mandelbrot=s=SIZE:r=RATE"
    "Rain Forest|nature|cellauto=s=SIZE:r=RATE:rule=30:scroll=1"
    "Desert Dunes|nature|gradients=s=SIZE:r=RATE:c0=#c2a878:c1=#7a4e2d:c2=#f6e7c1:nb_colors=3:speed=0.04"
    "Snow Peaks|nature|testsrc2=s=SIZE:r=RATE,hue=s=0"
    "Night Market|city|life=s=320x180:r=RATE:mold=10:life_color=#ffb000:death_color=#101020,scale=SIZE:flags=neighbor"
    "Coral Reef|ocean,nature|gradients=s=SIZE:r=RATE:c0=#ff6f61:c1=#2ec4b6:c2=#011627:nb_colors=3:speed=0.06"
    "City Loop|city|testsrc=s=SIZE:r=RATE"
    "Ocean Waves|ocean|smptehdbars=s=SIZE:r=RATE,hue=h=t*40"
    "Galaxy|space|mandelbrot=s=SIZE:r=RATE:start_scale=1.5:end_scale=0.1"
    "Meadow|nature|rgbtestsrc=s=320x180:r=RATE,scroll=h=0.02,scale=SIZE:flags=neighbor"
    "Neon Grid|city,space|cellauto=s=320x180:r=RATE:rule=90:scroll=1,scale=SIZE:flags=neighbor"
    "Lagoon|ocean|gradients=s=SIZE:r=RATE:c0=#00b4d8:c1=#90e0ef:c2=#023e8a:nb_colors=3:speed=0.03:type=radial"
    "Ember|abstract|gradients=s=SIZE:r=RATE:c0=#370617:c1=#e85d04:c2=#ffba08:nb_colors=3:speed=0.08:type=circular"
    "Starfield|space|cellauto=s=SIZE:r=RATE:rule=150:scroll=1,hue=h=200"
    "Tide Pools|ocean,nature|life=s=320x180:r=RATE:mold=25:life_color=#48cae4:death_color=#03045e,scale=SIZE:flags=neighbor"
)
# Times of day: title suffix|a filter appended to the scene's source.
zerafin_catalogue_moods=(
    "|null"
    " at Dusk|hue=h=40:s=1.3"
    " by Night|hue=h=200:b=-2"
)
# Picture sizes and frame rates the clips cycle through.
zerafin_catalogue_sizes=(640x360 512x288 768x432)
zerafin_catalogue_rates=(25 30 24)
# Bumped whenever the clips or their facts change, so an older catalogue is made anew.
zerafin_catalogue_version=2

# One clip, its thumbnail and its facts (a JSON object the server merges into the clip's record).
# The facts file is written last: a clip without one is made again by the next run.
zerafin_make_catalogue_clip() {
    local folder=$1 index=$2 title=$3 tags=$4 graph=$5 seconds=$6
    local clip="$folder/$title.mp4" facts="$folder/$title.json"
    [ -s "$clip" ] && [ -s "$folder/$title.jpg" ] && [ -s "$facts" ] && return 0
    ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$graph" -t "$seconds" -c:v libx264 \
        -preset ultrafast -crf 30 -pix_fmt yuv420p -threads 1 -movflags +faststart "$clip.part.mp4" &&
        mv -f "$clip.part.mp4" "$clip" || return 1
    ffmpeg -nostdin -hide_banner -loglevel error -y -ss 1 -i "$clip" -frames:v 1 -vf scale=320:180 \
        "$folder/$title.jpg" || return 1
    local key value width='' height='' rate='' duration='' bitrate=''
    while IFS='=' read -r key value; do
        case $key in
        width) width=$value ;;
        height) height=$value ;;
        avg_frame_rate) rate=$value ;;
        duration) duration=$value ;;
        bit_rate) bitrate=$value ;;
        esac
    done < <(ffprobe -v error -select_streams v:0 -show_entries stream=width,height,avg_frame_rate,bit_rate,duration \
        -of default=nw=1 "$clip")
    [ -n "$width" ] && [ -n "$height" ] && [ -n "$duration" ] && [ "${rate#*/}" != 0 ] || return 1
    [[ $bitrate =~ ^[0-9]+$ ]] || bitrate=0
    # Downloads and upload times differ from clip to clip, in an order unlike the titles' or each
    # other's, so that "Newest" and "Hottest" each show their own order.
    local downloads=$(((index * 7919 + 211) % 9973)) hours=$(((index * 131 + 17) % 2000))
    local uploaded
    uploaded=$(date -u -d "2026-11-30 18:00:00 UTC - $hours hours" '+%Y-%m-%d %H:%M:%S')
    printf '{"width":%d,"height":%d,"time":%d,"frame":%d,"rate":%d,"ratio":"16:9","audio":0,"tags":"%s",%s\n' \
        "$width" "$height" "$(awk "BEGIN{printf \"%d\", $duration * 1000}")" "$((${rate%/*} / ${rate#*/}))" \
        "$bitrate" "$tags" "\"description\":\"A generated loop of $seconds seconds.\"," >"$facts.part"
    printf '"down":%d,"view":%d,"upcount":%d,"uptime":"%s"}\n' "$downloads" "$((downloads * 3 + 40))" \
        "$((index % 7))" "$uploaded" >>"$facts.part"
    mv -f "$facts.part" "$facts"
}

# The side bar's leaflet: our own picture, drawn by ffmpeg (text where a font can be found).
zerafin_make_leaflet() {
    local file=$1
    [ -s "$file" ] && return 0
    local base="[0][1]overlay=30:170,drawbox=x=26:y=166:w=228:h=136:color=white@0.9:t=4"
    base+=",drawbox=x=40:y=420:w=200:h=52:color=#ff8000@0.95:t=fill"
    local text=",drawtext=text=Zerafin:fontsize=46:fontcolor=white:x=(w-tw)/2:y=56"
    text+=",drawtext=text=Living wallpapers:fontsize=22:fontcolor=white@0.85:x=(w-tw)/2:y=118"
    text+=",drawtext=text=New clips every week:fontsize=18:fontcolor=white:x=(w-tw)/2:y=340"
    text+=",drawtext=text=Explore:fontsize=24:fontcolor=white:x=(w-tw)/2:y=433"
    local sources=(-f lavfi -i "gradients=s=280x520:c0=#161a45:c1=#b8336a:nb_colors=2:x0=140:y0=0:x1=140:y1=520:speed=0.00001"
        -f lavfi -i "mandelbrot=s=220x128:start_scale=0.6")
    ffmpeg -nostdin -hide_banner -loglevel error -y "${sources[@]}" -filter_complex "$base$text" \
        -frames:v 1 "$file" 2>/dev/null ||
        ffmpeg -nostdin -hide_banner -loglevel error -y "${sources[@]}" -filter_complex "$base" \
            -frames:v 1 "$file"
}

zerafin_make_catalogue() {
    local folder=$1 count=${2:-48}
    mkdir -p "$folder" || return 1
    if [ "$(cat "$folder/.version" 2>/dev/null)" != "$zerafin_catalogue_version" ]; then
        rm -f "$folder"/*.mp4 "$folder"/*.jpg "$folder"/*.json "$folder"/*.part "$folder/leaflet.png"
        echo "$zerafin_catalogue_version" >"$folder/.version"
    fi
    zerafin_make_leaflet "$folder/leaflet.png" || return 1
    local scenes=${#zerafin_catalogue_scenes[@]} slots failed=0 index pids=() pid
    slots=$(nproc 2>/dev/null || echo 2)
    for ((index = 0; index < count; index++)); do
        local scene=${zerafin_catalogue_scenes[index % scenes]}
        local mood=${zerafin_catalogue_moods[(index / scenes) % ${#zerafin_catalogue_moods[@]}]}
        local size=${zerafin_catalogue_sizes[index % ${#zerafin_catalogue_sizes[@]}]}
        local rate=${zerafin_catalogue_rates[index % ${#zerafin_catalogue_rates[@]}]}
        local title=${scene%%|*}${mood%%|*} rest=${scene#*|}
        local tags=${rest%%|*} graph=${rest#*|}
        graph=${graph//SIZE/$size}
        graph="${graph//RATE/$rate},${mood#*|}"
        # At most one clip per processor at a time; each one's own status is read at the end.
        while [ "$(jobs -rp | wc -l)" -ge "$slots" ]; do
            wait -n || true
        done
        zerafin_make_catalogue_clip "$folder" "$index" "$title" "$tags" "$graph" $((4 + index % 5)) &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid" || failed=1
    done
    return "$failed"
}

zerafin_start_catalogue_server() {
    local build=$1 folder=$2 log=$3
    local leaflet=()
    [ -s "$folder/leaflet.png" ] && leaflet=(--leaflet "$folder/leaflet.png")
    "$build/tests/tools/zerafin_test_server" --library "$folder" "${leaflet[@]}" \
        --category "1=Landscape" --category "2=Abstract" --category "3=City" \
        --hot-tags "nature,city,ocean,space" --hot-keys "aurora,neon,galaxy" \
        --keywords "aurora,city loop,coral reef,desert dunes,ember,galaxy,harbour lights,lagoon,meadow,neon grid,night market,ocean waves,rain forest,snow peaks,starfield,tide pools" \
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
