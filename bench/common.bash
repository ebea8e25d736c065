# Sourced by the bench scripts (run from the tree's top).

# A scratch folder in $work and a list $pids of processes to stop, both cleaned up when the script
# exits.
bench_scratch() {
    work=$(mktemp -d "${1:-/tmp/zerafin-bench-XXXXXX}")
    pids=()
    trap bench_cleanup EXIT
}

bench_cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}

# 1,000 library rows in SUPPORT/Corvex.db, each with a thumbnail file and a video file on disk.
bench_thousand_row_library() {
    local support=$1
    convert -size 320x180 gradient:#349BFF-#27D76E "$support/thumbnail.jpg"
    head -c 65536 /dev/urandom >"$support/DownloadVideo/clip.mp4"
    sqlite3 -batch -bail "$support/Corvex.db" ".read resources/Corvex.sql" "
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)
INSERT INTO LocalVideos SELECT i, printf('%032x', i), '', 'Video ' || i,
    'file://$support/DownloadVideo/clip.mp4', '', 10000, 65536, '$support/thumbnail.jpg', 2048, '', '16:9',
    1920, 1080, 30, 4000000, 0, '2026-01-01', 0, 0, 'zerafin', '', 0, '', 0, 1 FROM n;"
}
