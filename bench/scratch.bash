# Sourced by the bench scripts (run from the tree's top): a scratch folder in $work and a list
# $pids of processes to stop, both cleaned up when the script exits.
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
