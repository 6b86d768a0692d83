#!/usr/bin/env bash
# Under a window manager, a saved geometry the screen cannot show as it is opens
# with the whole window on the screen, strip and title bar included: positions
# off each edge or from a bigger screen, a size beyond the screen, a top above
# the title bar's height. The window saves where it was shown. A drag still
# follows the mouse past the top edge; that position comes back on the screen.
source "$(dirname "$0")/lib.sh" "$@"
export QZ_RESOURCE_FILE=$(dirname "$PROGRAM")/quib-zerevarove.rcc

# A private X server of the given size ("1600x1000") with openbox in it.
start_screen() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID"
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    rm -f "$WORK/display"
    Xvfb -displayfd 3 -noreset -screen 0 "$1x24" -nolisten tcp 3>"$WORK/display" 2>/dev/null &
    XVFB_PID=$!
    retry 200 grep -q . "$WORK/display" || fail "could not start Xvfb"
    export DISPLAY=":$(head -n1 "$WORK/display")"
    start_openbox
    read -r SCREEN_W SCREEN_H < <(xdotool getdisplaygeometry)
}

write_prefs() { # top left width height
    cat >"$(prefs_file)" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>Window1.Top</key><string>$1</string><key>Window1.Left</key><string>$2</string>
<key>Window1.Width</key><string>$3</string><key>Window1.Height</key><string>$4</string>
</dict></plist>
PLIST
}
saved() { sed -n 's/.*<string>\(.*\)<\/string>.*/\1/p' "$(prefs_file)" | paste -sd' '; }

# "x y w h" of the program's own window (strip included), as the X server has it;
# xdotool counts the frame in under a window manager.
client_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

# Sets FRAME ("x y w h" of the whole window, title bar included) and CONTENT
# ("top left width height", as the program saves it) once the window manager has framed it.
measure() {
    local l r t b x y w h
    retry 100 eval '[ -n "$(window_prop "$wid" _NET_FRAME_EXTENTS | grep -v "not found")" ]' || fail "never framed"
    sleep 0.3
    read -r l r t b < <(window_prop "$wid" _NET_FRAME_EXTENTS | tr -d ,)
    read -r x y w h < <(client_geometry "$wid")
    FRAME="$(( x - l )) $(( y - t )) $(( w + l + r )) $(( h + t + b ))"
    CONTENT="$(( y + STRIP )) $x $w $(( h - STRIP ))"
    SPARE="$(( SCREEN_W - l - r )) $(( SCREEN_H - t - b - STRIP ))"
}
on_screen() {
    local x y w h
    read -r x y w h <<<"$FRAME"
    (( x >= 0 && y >= 0 && x + w <= SCREEN_W && y + h <= SCREEN_H ))
}
close_and_check_saved() {
    "$XTOOL" close "$wid"
    wait_exit
    [ "$EXIT_STATUS" = 0 ] || fail "$1: exit status $EXIT_STATUS"
    [ "$(saved)" = "$CONTENT" ] || problem "$1: saved '$(saved)', shown at '$CONTENT'"
}
PROBLEMS=()
problem() { PROBLEMS+=("$*"); }

start_screen 1600x1000
# The strip's height, from a window that opens as saved.
write_prefs 200 100 400 120
start_app
wid=$(main_window)
STRIP=0
measure
read -r _ _ _ h < <(client_geometry "$wid")
STRIP=$(( h - 120 ))
measure
[ "$CONTENT" = "200 100 400 120" ] || fail "a window that fits opened at '$CONTENT', not as saved"
close_and_check_saved "fits"

# saved "top left width height" | "size" the window shows with, or "full" for as much as the screen has
run_case() {
    local name=$1 prefs=$2 size=$3
    write_prefs $prefs
    start_app
    wid=$(main_window)
    measure
    echo "$SCREEN_W x $SCREEN_H, $name: saved $prefs, frame at $FRAME"
    on_screen || problem "$name: frame '$FRAME' is not on the $SCREEN_W x $SCREEN_H screen"
    [ "$size" = full ] && size=$SPARE
    [ "$(cut -d' ' -f3- <<<"$CONTENT")" = "$size" ] || problem "$name: shown $CONTENT, not $size"
    close_and_check_saved "$name"
}
run_case "off the left" "300 -300 400 120" "400 120"
run_case "off the right" "300 1500 400 120" "400 120"
run_case "title bar above the top" "10 300 400 120" "400 120"
run_case "off the bottom" "950 300 400 120" "400 120"
run_case "too big" "40 10 100000 100000" full

# Dragged by its body up against the top edge, the window follows the mouse
# beyond it; it comes back whole.
write_prefs 300 100 400 120
start_app
wid=$(main_window)
measure
mouse_drag 105 $(( 300 + 60 )) 105 0 8 0.05
measure
echo "$SCREEN_W x $SCREEN_H, dragged to the top: frame at $FRAME"
[ "$(cut -d' ' -f1 <<<"$CONTENT")" -lt 0 ] || problem "the drag stopped at the edge: shown at '$CONTENT'"
close_and_check_saved "dragged"
run_case "after the drag" "$(saved)" "400 120"

start_screen 800x600
run_case "from a bigger screen" "1800 2500 400 120" "400 120"

for p in "${PROBLEMS[@]}"; do echo "FAIL: $p" >&2; done
(( ${#PROBLEMS[@]} == 0 )) || exit 1
echo PASS
