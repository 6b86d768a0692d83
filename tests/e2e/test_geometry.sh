#!/usr/bin/env bash
# The main window comes back where the user left it: the first run opens at the
# defaults and saves them, a moved and resized window reopens at the same place
# and size, and a position off every screen still opens partly on the screen.
source "$(dirname "$0")/lib.sh" "$@"

# Content geometry "left top width height": the frame minus the menu strip above the content.
STRIP=0
content_geometry() {
    local x y w h
    read -r x y w h < <(window_geometry "$1")
    echo "$x $(( y + STRIP )) $w $(( h - STRIP ))"
}

# Keys and values of the preferences file as "key=value" lines, in file order.
saved() {
    sed -n 's/.*<key>\(.*\)<\/key>.*/\1/p; s/.*<string>\(.*\)<\/string>.*/\1/p' "$(prefs_file)" | paste -d= - -
}

# Waits for the content geometry, since the program follows the mouse a moment later.
wait_content() {
    local i
    for i in $(seq 1 60); do
        [ "$(content_geometry "$1")" = "$2" ] && return 0
        sleep 0.05
    done
    fail "$3 $(content_geometry "$1")"
}

expect_saved() {
    local want
    want=$(printf 'Window1.Top=%s\nWindow1.Left=%s\nWindow1.Width=%s\nWindow1.Height=%s' "$@")
    [ "$(saved)" = "$want" ] || fail "preferences file holds
$(saved)
instead of
$want"
}

drag() { # from x y, by dx dy, in small steps
    local x=$1 y=$2 dx=$3 dy=$4 i
    xdotool mousemove "$x" "$y"
    sleep 0.1
    xdotool mousedown 1
    sleep 0.1
    for i in 1 2 3 4; do
        xdotool mousemove "$(( x + dx * i / 4 ))" "$(( y + dy * i / 4 ))"
        sleep 0.1
    done
    xdotool mouseup 1
    sleep 0.2
}

close_app() {
    "$XTOOL" close "$1"
    wait_exit
    [ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
}

start_xvfb

# First run: defaults, and the file is there before the window closes.
start_app
wid=$(main_window)
# The strip's height follows from the frame when the content has its default height;
# a wrong height would then show as a wrong top.
read -r _ _ _ frame_h < <(window_geometry "$wid")
STRIP=$(( frame_h - 120 ))
[ "$(content_geometry "$wid")" = "10 40 400 120" ] ||
    fail "first run opened at $(content_geometry "$wid") (strip $STRIP), not 10 40 400 120"
[ -f "$(prefs_file)" ] || fail "no preferences file after opening"
expect_saved 40 10 400 120

# Move by the body (left margin of the content), then resize from the grip.
drag 15 70 100 60
wait_content "$wid" "110 100 400 120" "drag moved the window to"
drag $(( 110 + 400 - 4 )) $(( 100 + 120 - 4 )) 80 40
wait_content "$wid" "110 100 480 160" "resize gave"
expect_saved 40 10 400 120
close_app "$wid"
expect_saved 100 110 480 160

# Second run: the same place and size.
start_app
wid=$(main_window)
[ "$(content_geometry "$wid")" = "110 100 480 160" ] ||
    fail "second run opened at $(content_geometry "$wid"), not 110 100 480 160"
close_app "$wid"
expect_saved 100 110 480 160

# A position off every screen: part of the window still shows.
sed -i 's/<string>110<\/string>/<string>-5000<\/string>/' "$(prefs_file)"
expect_saved 100 -5000 480 160
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
start_app
wid=$(main_window)
read -r x y w h < <(content_geometry "$wid")
(( x + w > 0 && x < screen_w && y + h > 0 && y < screen_h )) ||
    fail "window at $x $y ${w}x$h is off the ${screen_w}x$screen_h screen"
(( w == 480 && h == 160 )) || fail "size changed to ${w}x$h"
close_app "$wid"

echo PASS
