#!/usr/bin/env bash
# The whole program, one run after another in one X server. Without a display
# it says so and exits. The first run opens at the default place, shows and
# speaks typed text, moves and resizes by mouse and saves that at close; the
# next reopens there, copies and pastes through the Edit menu and saves on
# Ctrl+Q; a position off every screen still opens partly on screen, and the
# contextual Quit saves too.
source "$(dirname "$0")/lib.sh" "$@"
CAPTURE_TOOL=$(dirname "$XTOOL")/qz_capture
export QZ_RESOURCE_FILE=$(dirname "$PROGRAM")/quib-zerevarove.rcc

for settings in "DISPLAY=" "DISPLAY=:4321" "DISPLAY= QT_QPA_PLATFORM=xcb"; do
    status=0
    # shellcheck disable=SC2086
    env -u DISPLAY $settings "$PROGRAM" >"$WORK/out" 2>"$WORK/err" || status=$?
    (( status != 0 && status < 128 )) || fail "exit status $status with $settings"
    [ "$(grep -c . "$WORK/err")" = 1 ] && grep -q display "$WORK/err" && [ ! -s "$WORK/out" ] ||
        fail "with $settings, not one line about the display: $(cat "$WORK/out" "$WORK/err")"
done

# The saved geometry as "top left width height", in file order.
saved() {
    sed -n 's/.*<key>\(.*\)<\/key>.*/\1/p; s/.*<string>\(.*\)<\/string>.*/\1/p' "$(prefs_file)" | paste -d= - - | tr '\n' ' '
}
expect_saved() {
    local want
    want=$(printf 'Window1.Top=%s Window1.Left=%s Window1.Width=%s Window1.Height=%s ' "$@")
    [ "$(saved)" = "$want" ] || fail "$PHASE: preferences file holds '$(saved)', not '$want'"
}
# Ends the run in the given way; it must close the main window, which writes the file anew.
expect_quit() {
    rm -f "$(prefs_file)"
    "$@"
    wait_exit
    [ "$EXIT_STATUS" = 0 ] || fail "$PHASE: exit status $EXIT_STATUS"
}
# The frame's geometry with the menu strip above the 120-row content left out.
content() { read -r x y w h < <(window_geometry "$wid"); strip=$(( h - ${1:-120} )); top=$(( y + strip )); }

start_xvfb
PHASE="first run"
start_app SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/capture.raw"
wid=$(main_window)
[ "$(xdotool search --onlyvisible --name '^Quib Zerevarove$' | wc -l)" = 1 ] || fail "more than one main window"
content
[ "$x $top $w" = "10 40 400" ] || fail "first run opened at $x $top ${w}x$h (strip $strip)"
expect_saved 40 10 400 120

# Each printable character's beep in order, with a silence for each space.
TEXT='Hello,  World! ~42'
focus_window "$wid"
xdotool type --delay 20 "$TEXT"
green() { "$XTOOL" count $(( x + 20 )) $(( top + 20 )) 360 80 00FF00; }
retry 100 eval '[ "$(green)" -gt 150 ]' || fail "typed text not shown ($(green) green pixels)"
xdotool key Return
beeps=$(printf '%s' "$TEXT" | tr -d ' ' | wc -c)
# Looked at seldom and at low priority, so that the program's pace is not disturbed.
for _ in $(seq 1 40); do
    sleep 0.5
    [ "$(nice -n 19 "$CAPTURE_TOOL" sounds "$WORK/capture.raw" | awk '$3 != 0' | wc -l)" -ge "$beeps" ] && break
done

# Dragged by the body, left of the field; then from the grip, far past the minimum and back.
mouse_drag 15 70 115 130 20 0.01
wait_geometry "$wid" "110 $(( y + 60 )) 400 $h"
mouse_drag 505 215 0 0 25
wait_geometry "$wid" "110 $(( y + 60 )) 100 $(( 60 + strip ))"
mouse_drag 205 155 585 255 30 0.01
wait_geometry "$wid" "110 $(( y + 60 )) 480 $(( 160 + strip ))"
content 160
# Redrawn at the new size: black corner, grey panel, the outline 10 pixels inside the new edges.
# The frame reaches its size before the content is painted at it.
for probe in "$(( x + 479 )) $(( top + 159 )) 000000" "$(( x + 15 )) $(( top + 80 )) 222222" \
             "$(( x + 468 )) $(( top + 80 )) 00FF00" "$(( x + 240 )) $(( top + 148 )) 00FF00"; do
    read -r px py want <<<"$probe"
    retry 100 eval '[ "$("$XTOOL" pixel "$px" "$py")" = "$want" ]' || fail "pixel $px,$py is not $want after the resize"
done
"$XTOOL" close "$wid"
wait_exit
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
expect_saved 100 110 480 160
"$CAPTURE_TOOL" check "$WORK/capture.raw" "$TEXT" >"$WORK/check" || fail "$(cat "$WORK/check")"

PHASE="second run"
start_app
wid=$(main_window)
content 160
[ "$x $top $w $(( h - strip ))" = "110 100 480 160" ] || fail "second run opened at $x $top ${w}x$h"
# Edit > Select All, Copy, then Paste at the end: the text twice, twice the green.
focus_window "$wid"
xdotool type --delay 20 "Quib"
# The count once it has settled: the last keys may not be painted yet.
settled_green() {
    local a b
    a=$(green)
    sleep 0.2
    b=$(green)
    [ "$a" = "$b" ] && echo "$b"
}
once=""
retry 100 eval 'once=$(settled_green) && [ "$once" -gt 30 ]' || fail "typed text not shown"
menu_item() { opens_menu key alt+e; closes_menu key "$1"; }
menu_item a
# Copy is reached from the File menu by the arrow key: its state must not depend on the route.
opens_menu key alt+f
opens_menu key Right
closes_menu key c
xdotool key End
menu_item p
doubled() { twice=$(green); (( twice * 100 / once >= 185 && twice * 100 / once <= 215 )); }
retry 100 doubled || fail "Select All, Copy, Paste: $twice green, $once before"
expect_quit xdotool key ctrl+q
expect_saved 100 110 480 160

PHASE="off-screen run"
sed -i 's/<string>110<\/string>/<string>-5000<\/string>/' "$(prefs_file)"
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
start_app
wid=$(main_window)
on_screen() { content 160; (( x + w > 0 && x < screen_w && top + 160 > 0 && top < screen_h && w == 480 )); }
retry 100 on_screen || fail "window at $x $top ${w}x$h is not partly on the ${screen_w}x$screen_h screen"
contextual_quit() { # in the right margin, which stays on screen; Quit is the menu's last entry
    opens_menu mousemove $(( x + 470 )) $(( top + 60 )) sleep 0.1 click 3
    closes_menu key Up key Return
}
expect_quit contextual_quit
[ "$(saved | grep -o 'Window1.Width=[0-9]*')" = Window1.Width=480 ] || fail "contextual Quit saved '$(saved)'"
echo PASS
