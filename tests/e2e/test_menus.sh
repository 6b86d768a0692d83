#!/usr/bin/env bash
# The menu strip and the contextual menu: Ctrl+Q and the contextual "Quit" end
# the program with status 0 after saving the geometry; Alt opens a menu by its
# mnemonic; Select All, Copy and Paste work on the text field.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb

# Quits in the given way and checks that the main window was closed on the way
# out, which writes the preferences file anew.
expect_quit() {
    rm -f "$(prefs_file)"
    "$@"
    wait_exit
    [ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after $*"
    grep -q '<key>Window1.Width</key>' "$(prefs_file)" 2>/dev/null || fail "geometry not saved by $*"
}

start_app
wid=$(main_window)
focus_window "$wid"
expect_quit xdotool key ctrl+q

start_app
wid=$(main_window)
read -r x y w h < <(window_geometry "$wid")
top=$(( y + h - 120 ))
contextual_quit() {
    xdotool mousemove $(( x + 5 )) $(( top + 60 )) sleep 0.1 click 3 sleep 0.4
    # The last entry is "Quit".
    xdotool key Up sleep 0.1 key Return
}
expect_quit contextual_quit

start_app
wid=$(main_window)
focus_window "$wid"
xdotool type --delay 10 "Quib Zerevarove"
sleep 0.3
text_pixels() { "$XTOOL" count $(( x + 20 )) $(( top + 20 )) 360 80 00FF00; }
once=$(text_pixels)
[ "$once" -gt 50 ] || fail "typed text not shown ($once green pixels)"
menu_item() { xdotool key "alt+$1" sleep 0.4 key "$2" sleep 0.3; }
menu_item e a   # Edit > Select All
menu_item e c   # Edit > Copy
xdotool key End sleep 0.2
menu_item e p   # Edit > Paste
twice=$(text_pixels)
# The text twice: twice the green, give or take the caret.
[ $(( twice * 100 / once )) -ge 185 ] && [ $(( twice * 100 / once )) -le 215 ] ||
    fail "after Select All, Copy, End, Paste: $twice green pixels, $once before"
expect_quit menu_item f Return
echo PASS
