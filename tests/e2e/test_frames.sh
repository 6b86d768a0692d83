#!/usr/bin/env bash
# Under a window manager each window's frame follows its layout: title, close,
# minimise and maximise controls, resizing; the main window's real size is what
# it saves, whoever resized it, and a saved size beyond the screen comes back on
# it. One menu on a right-click in the text; the About window's background is the
# style's; the menu bar's Ctrl+Q works from the Help window and saves the geometry.
# A minimised About or Help window comes back forward when its command is chosen.
source "$(dirname "$0")/lib.sh" "$@"

# "x y w h" of the content a window shows, as the X server has it.
client_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
# The program's visible windows other than the main one.
others() { xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$main" || true; }
wait_other() {
    local i
    for i in $(seq 1 60); do
        [ "$(others | wc -l)" = "$1" ] && { others | head -n1; return 0; }
        sleep 0.05
    done
    fail "expected $1 window(s) besides the main one, found $(others | wc -l)"
}
# Checks a window's title, its allowed actions (+ present, - absent) and that it has a title bar.
expect_frame() {
    local wid=$1 title=$2 actions a
    shift 2
    [ "$(window_prop "$wid" _NET_WM_NAME)" = "\"$title\"" ] || fail "title $(window_prop "$wid" _NET_WM_NAME), not '$title'"
    actions=$(window_prop "$wid" _NET_WM_ALLOWED_ACTIONS)
    for a in "$@"; do
        case "$a" in
        +*) grep -q "_NET_WM_ACTION_${a#+}\b" <<<"$actions" || fail "'$title' lacks ${a#+}: $actions" ;;
        -*) ! grep -q "_NET_WM_ACTION_${a#-}\b" <<<"$actions" || fail "'$title' allows ${a#-}: $actions" ;;
        esac
    done
    read -r _ _ top _ < <(window_prop "$wid" _NET_FRAME_EXTENTS | tr -d ,)
    [ "${top:-0}" -gt 0 ] || fail "'$title' has no title bar: $(window_prop "$wid" _NET_FRAME_EXTENTS)"
}
wm_state() { xprop -id "$1" WM_STATE | awk '/window state/{print $NF}'; }
active() { xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}'; }
minimise() {
    local win=$1
    PLACE=$(client_geometry "$win")
    xdotool windowminimize "$win"
    retry 60 eval '[ "$(wm_state "$win")" = Iconic ]' || fail "window $win not minimised: $(wm_state "$win")"
}
# Chooses a Help menu item ("Return" or "Down Return") from the main window.
choose_help_item() {
    focus_window "$main"
    xdotool key alt+h sleep 0.3 key "$@"
}
# Its command brought window $1 back where it was, forward and with the focus
# (once the window manager's animation has brought it there).
expect_forward() {
    local win=$1
    retry 60 eval '[ "$(wm_state "$win")" = Normal ] && (( $(active) == win )) && [ "$(client_geometry "$win")" = "$PLACE" ]' ||
        fail "$2: state $(wm_state "$win"), active window $(active), at $(client_geometry "$win"), not $win at $PLACE"
}
saved() { sed -n 's/.*<string>\(.*\)<\/string>.*/\1/p' "$(prefs_file)" | paste -sd' '; }

start_xvfb
start_openbox
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
cat >"$(prefs_file)" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>Window1.Top</key><string>40</string><key>Window1.Left</key><string>10</string>
<key>Window1.Width</key><string>100000</string><key>Window1.Height</key><string>2147483647</string>
</dict></plist>
PLIST
start_app
main=$(main_window)
sleep 0.3
read -r _ _ w h < <(client_geometry "$main")
# The limits reach the window manager; the strip above the content adds to the height.
hints=$(xprop -id "$main" WM_NORMAL_HINTS)
strip=$(awk '/minimum size/{print $NF - 60}' <<<"$hints")
grep -q "minimum size: 100 by $((60 + strip))" <<<"$hints" && grep -q "maximum size: 32000 by $((32000 + strip))" <<<"$hints" ||
    fail "size hints: $hints"
(( w <= screen_w && h - strip <= screen_h )) || fail "saved size 100000 x 2147483647 shown as $w x $((h - strip))"
expect_frame "$main" "Quib Zerevarove" +CLOSE +MINIMIZE -MAXIMIZE -RESIZE

# A resize by the window manager, then a move by the body and a resize from the grip.
xdotool windowsize "$main" 500 $((150 + strip))
xdotool windowmove "$main" 30 50
sleep 0.3
mouse_drag 35 $((50 + strip + 60)) 55 $((50 + strip + 70)) 4 0.05
mouse_drag $((50 + 495)) $((60 + strip + 145)) $((50 + 535)) $((60 + strip + 165)) 4 0.05

# A right-click in the text shows one menu, the field's (longer than the window's three items).
read -r x y _ _ < <(client_geometry "$main")
xdotool mousemove $((x + 60)) $((y + strip + 40)) click 3
menu=$(wait_other 1)
read -r _ _ _ menu_h < <(client_geometry "$menu")
(( menu_h > 100 )) || fail "the right-click menu is $menu_h pixels high: not the field's"
xdotool key Escape
sleep 0.5
wait_other 0 >/dev/null

choose_help_item Down Return
about=$(wait_other 1)
expect_frame "$about" " " +CLOSE -MAXIMIZE -RESIZE
minimise "$about"
choose_help_item Down Return
expect_forward "$about" "About chosen again after minimising it"
[ "$(wait_other 1)" = "$about" ] || fail "a second About window"
read -r ax ay _ _ < <(client_geometry "$about")
[ "$("$XTOOL" pixel $((ax + 5)) $((ay + 5)))" = EFEFEF ] || fail "About background $("$XTOOL" pixel $((ax + 5)) $((ay + 5)))"
"$XTOOL" close "$about"
wait_other 0 >/dev/null

choose_help_item Return
help=$(wait_other 1)
expect_frame "$help" "Help" +CLOSE +MINIMIZE -MAXIMIZE -RESIZE
minimise "$help"
choose_help_item Return
expect_forward "$help" "Help chosen again after minimising it"
choose_help_item Return
expect_forward "$help" "Help chosen twice"
[ "$(wait_other 1)" = "$help" ] || fail "a second Help window"
focus_window "$help"
xdotool key ctrl+q
wait_exit
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after Ctrl+Q in the Help window"
[ "$(saved)" = "$((60 + strip)) 50 540 170" ] || fail "saved '$(saved)', not where the window was left"
# Opened and closed untouched, the window writes back what it read: the content box, not the frame.
start_app
"$XTOOL" close "$(main_window)"
wait_exit
[ "$(saved)" = "$((60 + strip)) 50 540 170" ] || fail "an untouched window saved '$(saved)'"
echo PASS
