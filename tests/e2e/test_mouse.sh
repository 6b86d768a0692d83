#!/usr/bin/env bash
# Dragging the main window's body moves it by the mouse's movement; dragging
# from the grip at its lower-right corner resizes it, and the field follows.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_app
wid=$(main_window)
read -r x y w h < <(window_geometry "$wid")
[ "$w" = 400 ] || fail "first run width $w"
strip=$(( h - 120 )) # the menu strip stands above the 400 x 120 content
[ "$strip" -ge 0 ] || fail "frame height $h"
top=$(( y + strip ))

# The body, in the margin left of the text field: slowly, then in one burst.
mouse_drag $(( x + 5 )) $(( top + 60 )) $(( x + 105 )) $(( top + 120 )) 20 0.01
wait_geometry "$wid" "$(( x + 100 )) $(( y + 60 )) 400 $h"
x=$(( x + 100 )); y=$(( y + 60 )); top=$(( top + 60 ))
mouse_drag $(( x + 5 )) $(( top + 60 )) $(( x + 305 )) $(( top + 260 )) 100
wait_geometry "$wid" "$(( x + 300 )) $(( y + 200 )) 400 $h"
x=$(( x + 300 )); y=$(( y + 200 )); top=$(( top + 200 ))

# A line of text long enough to wrap in the field, then a wider window.
focus_window "$wid"
xdotool type --delay 5 "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"
sleep 0.3
text_beyond() { "$XTOOL" count $(( x + 400 )) $(( top + 20 )) 120 40 00FF00; }
[ "$(text_beyond)" = 0 ] || fail "green beyond the window before the resize"

mouse_drag $(( x + 395 )) $(( top + 115 )) $(( x + 545 )) $(( top + 175 )) 30 0.01
wait_geometry "$wid" "$x $y 550 $(( 180 + strip ))"
sleep 0.2
[ "$(text_beyond)" -gt 0 ] || fail "the text did not follow the field to the new width"
# Redrawn at the new size: outline 10 pixels inside, black corners, grey panel.
[ "$("$XTOOL" pixel $(( x + 550 - 12 )) $(( top + 90 )))" = 00FF00 ] || fail "no outline at the new right edge"
[ "$("$XTOOL" pixel $(( x + 275 )) $(( top + 180 - 12 )))" = 00FF00 ] || fail "no outline at the new bottom edge"
[ "$("$XTOOL" pixel $(( x + 549 )) $(( top + 179 )))" = 000000 ] || fail "corner not black"
[ "$("$XTOOL" pixel $(( x + 15 )) $(( top + 90 )))" = 222222 ] || fail "panel not dark grey"

# Far past the minimum: the window stops at 100 x 60, where it stays.
mouse_drag $(( x + 545 )) $(( top + 175 )) 0 0 25
wait_geometry "$wid" "$x $y 100 $(( 60 + strip ))"

"$XTOOL" close "$wid"
wait_exit
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
for entry in "Window1.Left:$x" "Window1.Top:$top" "Window1.Width:100" "Window1.Height:60"; do
    grep -A2 "<key>${entry%%:*}</key>" "$(prefs_file)" | grep -q "<string>${entry#*:}</string>" ||
        fail "saved ${entry%%:*} is not ${entry#*:}: $(cat "$(prefs_file)")"
done
echo PASS
