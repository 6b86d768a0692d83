#!/usr/bin/env bash
# A hostile session: pasting with nothing to paste, a link to a FIFO as the
# preferences file, termination signals, no sound library, and the X server
# going away.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb

# Every route that pastes, with an empty clipboard and selection, does nothing.
start_app
wid=$(main_window)
focus_window "$wid"
read -r x y _ h < <(window_geometry "$wid")
for route in "key ctrl+v" "key shift+Insert" "mousemove $((x + 20)) $((y + h - 20)) click 2"; do
    # shellcheck disable=SC2086
    xdotool $route sleep 0.3
    kill -0 "$APP_PID" 2>/dev/null || fail "'$route' ended the program: $(cat "$WORK/app.err")"
done
"$XTOOL" close "$wid"
wait_exit
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after pasting nothing"

# Start-up never blocks opening a FIFO, and replaces no link to one: it shows
# a window (the message that it cannot save there) instead.
mkfifo "$WORK/fifo"
ln -sf "$WORK/fifo" "$(prefs_file)"
start_app
for i in $(seq 1 100); do
    [ -n "$(xdotool search --onlyvisible --class '^quib-zerevarove$' 2>/dev/null)" ] && break
    [ "$i" = 100 ] && fail "start-up blocks on a FIFO"
    sleep 0.05
done
kill -9 "$APP_PID"
[ -L "$(prefs_file)" ] && [ -p "$(prefs_file)" ] || fail "the link to a FIFO was replaced"
rm "$(prefs_file)"

# Termination signals quit: the window's place is saved and the status is 0.
for signal in TERM HUP INT; do
    printf '<key>Window1.Top</key><string>200</string>' >"$(prefs_file)"
    start_app --default-signal=INT
    main_window >/dev/null
    kill -s "$signal" "$APP_PID"
    wait_exit
    [ "$EXIT_STATUS" = 0 ] && grep -q Window1.Height "$(prefs_file)" || fail "SIG$signal: status $EXIT_STATUS, unsaved"
done

# Without the sound library (a stand-in that lacks SDL's functions) the
# program says so once and runs on in silence.
mkdir "$WORK/nosdl"
ln -s "$(ldd "$PROGRAM" | awk '$1 ~ /^libm\.so/ { print $3 }')" "$WORK/nosdl/libSDL2-2.0.so.0"
start_app LD_LIBRARY_PATH="$WORK/nosdl"
wid=$(main_window)
focus_window "$wid"
xdotool type "ab" key Return sleep 0.5
"$XTOOL" close "$wid"
wait_exit
[ "$EXIT_STATUS" = 0 ] && [[ $(cat "$WORK/app.err") == "quib-zerevarove: no sound (cannot load the sound library: "*"); playing silently" ]] ||
    fail "without the sound library: status $EXIT_STATUS, $(cat "$WORK/app.err")"

# The X server goes away: one line on standard error and a failure status, no crash.
start_app
main_window >/dev/null
kill "$XVFB_PID"
XVFB_PID=""
wait_exit
[ "$EXIT_STATUS" != 0 ] && [ "$EXIT_STATUS" -lt 128 ] || fail "lost display: exit status $EXIT_STATUS"
[ "$(grep -c . "$WORK/app.err")" = 1 ] || fail "lost display: stderr is [$(cat -A "$WORK/app.err")]"
echo PASS
