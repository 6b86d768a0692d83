#!/usr/bin/env bash
# Help > Help shows the Help window and its OK button closes it; Help > About
# shows one About window with the icon, the badge and the bold headings.
source "$(dirname "$0")/lib.sh" "$@"
SHOT=${QZ_E2E_SHOTS:-$(dirname "$PROGRAM")}/about-window.png

# Prints the ids of the program's visible windows of the given size.
windows_of_size() {
    local w ww hh
    for w in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null || true); do
        read -r _ _ ww hh < <(window_geometry "$w")
        [ "$ww $hh" = "$1 $2" ] && echo "$w"
    done
    return 0
}

# Waits until the program shows exactly $3 windows of size $1 x $2 and prints the first.
wait_windows() {
    local i found
    for i in $(seq 1 100); do
        found=$(windows_of_size "$1" "$2")
        if [ "$(printf '%s' "$found" | grep -c .)" = "$3" ]; then
            printf '%s\n' "$found" | head -n1
            return 0
        fi
        sleep 0.05
    done
    fail "expected $3 window(s) of $1 x $2, found: $(windows_of_size "$1" "$2" | wc -l)"
}

# Chooses an item of the Help menu by its place (0 Help..., 1 About) from the main window's strip.
choose_help_item() {
    xdotool windowfocus --sync "$wid" 2>/dev/null || true
    xdotool key alt+h
    sleep 0.3
    [ "$1" -gt 0 ] && xdotool key --repeat "$1" Down
    xdotool key Return
}

count() { "$XTOOL" count "$@"; }

start_xvfb
start_app
wid=$(main_window)

choose_help_item 0
help=$(wait_windows 300 86 1)
[ "$(xdotool getwindowname "$help")" = "Help" ] || fail "Help window title: $(xdotool getwindowname "$help")"
read -r hx hy _ _ < <(window_geometry "$help")
# OK: 80 x 20 at (110, 46).
xdotool mousemove $((hx + 150)) $((hy + 56)) click 1
wait_windows 300 86 0 >/dev/null

choose_help_item 1
about=$(wait_windows 284 366 1)
choose_help_item 1
sleep 0.3
wait_windows 284 366 1 >/dev/null
read -r ax ay _ _ < <(window_geometry "$about")
sleep 0.3
"$XTOOL" shot "$SHOT" || fail "no screenshot"

# The icon (64 x 64 at (110, 8)) shows its green body inside its mask's rounded corners.
green=$(count $((ax + 110)) $((ay + 8)) 64 64 2E9E4F)
[ "$green" -gt 800 ] || fail "icon not shown: $green green pixels ($SHOT)"
[ "$("$XTOOL" pixel $((ax + 110)) $((ay + 8)))" != 202020 ] || fail "icon drawn without its mask ($SHOT)"
# The badge (216 x 30 at (34, 324)) shows its dark face, its corners masked away.
dark=$(count $((ax + 34)) $((ay + 324)) 216 30 202020)
[ "$dark" -gt 2000 ] || fail "badge not shown: $dark dark pixels ($SHOT)"
[ "$("$XTOOL" pixel $((ax + 34)) $((ay + 324)))" != 202020 ] || fail "badge drawn without its mask ($SHOT)"

# Bold text has solid black stems; plain 12-point text has hardly any pure black.
# Lines of the credits field start 4 pixels below its top (132) and are 14 apart.
line_top() { echo $((ay + 132 + 4 + 14 * ($1 - 1))); }
author=$(count $((ax + 2)) "$(line_top 1)" 60 13 000000)
disclaimer=$(count $((ax + 2)) "$(line_top 6)" 80 13 000000)
plain=$(count $((ax + 26)) "$(line_top 2)" 180 13 000000)
[ "$author" -gt $((3 * plain * 60 / 180 + 10)) ] || fail "Author: not bold ($author vs $plain plain) ($SHOT)"
[ "$disclaimer" -gt $((3 * plain * 80 / 180 + 10)) ] || fail "Disclaimer: not bold ($disclaimer vs $plain plain) ($SHOT)"

"$XTOOL" close "$wid"
wait_exit
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
echo PASS
