#!/usr/bin/env bash
# The search field under a real X server (Xvfb): a word typed with xdotool while the suggestions
# popup is open arrives whole in the field, the popup stays open under the field and follows the
# typing, it is a window of the field's window (transient for it, managed, not an override-redirect
# tool tip) that follows it when it moves, and a click elsewhere in the window closes it.
# Usage: search_field_e2e.sh BUILD_DIR
# Exits 77 (skipped) when a tool it needs is missing.
set -uo pipefail
build=$(cd "${1:?usage: search_field_e2e.sh BUILD_DIR}" && pwd)
for tool in Xvfb xdotool xprop xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (tools/install-deps.sh installs it)"
        exit 77
    fi
done
program="$build/tests/tools/search_field_window"
[ -x "$program" ] || { echo "FAIL: $program is not built"; exit 1; }

work=$(mktemp -d /tmp/zerafin-search-e2e-XXXXXX)
pids=()
failures=0
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "kept the run's files in $work"; fi
}
trap cleanup EXIT
E2E_POLL=0.1
source "$(dirname "$0")/e2e-lib.sh"

e2e_fresh_home

exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 5>&-
wait_for 10 test -s "$work/display" || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

log="$work/window.log"
"$program" >"$log" 2>"$work/window.err" &
pids+=($!)
wait_for 15 grep -q "^ready " "$log" || { echo "FAIL: the window did not come up"; cat "$work/window.err"; exit 1; }
ready=$(grep "^ready " "$log" | head -n1)
field=$(sed -n 's/.*field=\([0-9]*\),\([0-9]*\).*/\1 \2/p' <<<"$ready")
elsewhere=$(sed -n 's/.*elsewhere=\([0-9]*\),\([0-9]*\).*/\1 \2/p' <<<"$ready")
window=$(sed -n 's/.*window=\([0-9]*\).*/\1/p' <<<"$ready")
state() { grep "^state " "$log" | tail -n1; }
state_has() {
    local now
    now=$(state)
    for part in "$@"; do [[ "$now" == *"$part"* ]] || return 1; done
}

# A click on the field: the history popup opens and the field has the keyboard.
xdotool mousemove $field click 1
if wait_for 5 state_has "text=[]" "popup=1" "focus=1" "first=[aurora]"; then
    pass "a click on the field opens the popup with the hot keywords"
else
    fail "a click on the field: $(state)"
fi

# Typing while the popup is open: every character arrives and the popup follows.
xdotool type --delay 120 "ocean"
if wait_for 5 state_has "text=[ocean]" "popup=1" "focus=1" "first=[ocean waves]"; then
    pass "typed with the popup open: the field holds \"ocean\" and the popup shows its keywords"
else
    fail "typing: $(state)"
fi
for prefix in o oc oce ocea ocean; do
    grep -q "first=\[$prefix waves\]" "$log" || fail "the popup never showed the keywords of \"$prefix\""
done
now=$(state)
top=$(sed -n 's/.*popupTop=\(-\?[0-9]*\).*/\1/p' <<<"$now")
bottom=$(sed -n 's/.*fieldBottom=\(-\?[0-9]*\).*/\1/p' <<<"$now")
if [ "$top" = "$((bottom + 2))" ]; then
    pass "the popup hangs 2 pixels under the field"
else
    fail "the popup's top is $top, the field's bottom $bottom"
fi
if grep "^state " "$log" | grep "focus=1" | sed -n '/text=\[o\]/,$p' | grep -q "popup=0"; then
    fail "the popup closed while typing"
fi

# The popup is the field window's own: transient for it and left to the window manager, not a
# tool tip stacked over every application.
popup_id=$(sed -n 's/.*popupId=\([0-9]*\).*/\1/p' <<<"$(state)")
if [ -n "$popup_id" ] && [ "$popup_id" != 0 ]; then
    transient=$(xprop -id "$popup_id" WM_TRANSIENT_FOR 2>&1)
    if [[ "$transient" == *"$(printf '0x%x' "$window")"* ]]; then
        pass "the popup is transient for the field's window"
    else
        fail "the popup's WM_TRANSIENT_FOR: $transient (window $(printf '0x%x' "$window"))"
    fi
    if xwininfo -id "$popup_id" | grep -q "Override Redirect State: no"; then
        pass "the popup is not an override-redirect window"
    else
        fail "the popup is an override-redirect window"
    fi
else
    fail "no popup window id: $(state)"
fi

# Moving the window takes the popup along.
xdotool windowmove "$window" 160 140
follows() {
    local now top bottom left popup_left
    now=$(state)
    top=$(sed -n 's/.*popupTop=\(-\?[0-9]*\).*/\1/p' <<<"$now")
    bottom=$(sed -n 's/.*fieldBottom=\(-\?[0-9]*\).*/\1/p' <<<"$now")
    left=$(sed -n 's/.*fieldLeft=\(-\?[0-9]*\).*/\1/p' <<<"$now")
    popup_left=$(sed -n 's/.*popupLeft=\(-\?[0-9]*\).*/\1/p' <<<"$now")
    [ "$top" = "$((bottom + 2))" ] && [ "$popup_left" = "$left" ] && [[ "$now" == *"popup=1"* ]]
}
if wait_for 5 state_has "fieldLeft=180" && wait_for 5 follows; then
    pass "the popup follows its window"
else
    fail "moving the window: $(state)"
fi

# A click elsewhere in the window (moved by 60, 40) closes the popup and leaves the text.
read -r ex ey <<<"$elsewhere"
elsewhere="$((ex + 60)) $((ey + 40))"
xdotool mousemove $elsewhere click 1
if wait_for 5 state_has "text=[ocean]" "popup=0"; then
    pass "a click elsewhere closes the popup"
else
    fail "a click elsewhere: $(state)"
fi

[ "$failures" -eq 0 ] || { echo "--- window log"; cat "$log"; }
exit $((failures > 0))
