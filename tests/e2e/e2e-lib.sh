# Shared by the end-to-end scripts: result lines, polling, and a fresh home for the programs.
# Source it after setting `work` (the run's scratch folder) and `failures=0`.

pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# wait_for SECONDS COMMAND...: runs the command every 0.2 s (E2E_POLL) until it succeeds.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep "${E2E_POLL:-0.2}"
    done
}

# A home of its own under $work, with the XDG folders the programs use.
e2e_fresh_home() {
    export HOME="$work/home"
    export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}
