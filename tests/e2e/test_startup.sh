#!/usr/bin/env bash
# The program maps one main window, takes typed text, and closing the window ends it with status 0.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb
start_app
wid=$(main_window)
[ "$(xdotool search --onlyvisible --name '^Quib Zerevarove$' | wc -l)" = 1 ] || fail "more than one main window"
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
xdotool type --delay 20 "hello"
sleep 0.3
"$XTOOL" close "$wid"
wait_exit
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
grep -q '<key>Window1.Top</key>' "$(prefs_file)" || fail "geometry not saved on close"
echo PASS
