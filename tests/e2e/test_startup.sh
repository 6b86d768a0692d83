#!/usr/bin/env bash
# The program maps one main window, typed text shows in its field, and closing
# the window ends it with status 0.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_app
wid=$(main_window)
[ "$(xdotool search --onlyvisible --name '^Quib Zerevarove$' | wc -l)" = 1 ] || fail "more than one main window"
[ "$(xdotool getwindowname "$wid")" = "Quib Zerevarove" ] || fail "title is '$(xdotool getwindowname "$wid")'"
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"

# The field lies 20 pixels inside the content's edges; the content is the
# frame's bottom 120 rows (a menu strip may sit above it).
read -r x y w h < <(window_geometry "$wid")
field=("$((x + 20))" "$((y + h - 100))" "$((w - 40))" 80)
green_in_field() { "$XTOOL" count "${field[@]}" 00FF00; }
# Before typing: the most of a few looks, as a blinking caret may add some.
sleep 0.3
before=0
for _ in 1 2 3; do n=$(green_in_field); [ "$n" -gt "$before" ] && before=$n; sleep 0.1; done
xdotool type --delay 20 "hello world"
# "hello world" in bold 14-point green is well over a hundred pure green
# pixels; a caret alone is a few dozen at most.
after=0
for _ in $(seq 1 50); do
    after=$(green_in_field)
    [ "$after" -ge $((before + 80)) ] && break
    sleep 0.1
done
[ "$after" -ge $((before + 80)) ] || fail "typed text not seen in the field ($before green pixels before, $after after)"

"$XTOOL" close "$wid"
wait_exit
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
grep -q '<key>Window1.Top</key>' "$(prefs_file)" || fail "geometry not saved on close"
echo PASS
