#!/usr/bin/env bash
# A hostile session: a toolkit that cannot start, pasting with nothing to
# paste, start-up messages nobody answers, termination signals, a frozen X
# server, the browser that the About badge starts, no sound library, and the
# X server going away.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb

# A toolkit that cannot start, though the display works: one line, in its own words.
status=0
QT_QPA_PLATFORM=no-such-platform "$PROGRAM" >"$WORK/out" 2>"$WORK/err" || status=$?
(( status != 0 && status < 128 )) && [ "$(grep -c . "$WORK/err")" = 1 ] && grep -q '"no-such-platform"' "$WORK/err" &&
    ! grep -q 'open a display' "$WORK/err" || fail "unknown platform: status $status, $(cat "$WORK/err")"

# Whether the focused field or box holds $1, through Select All and Copy
# (tried until the keys have reached it); clipboard() is what it held.
clipboard() { xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true; }
copies() {
    xdotool key ctrl+a sleep 0.05 key ctrl+c sleep 0.1
    [ "$(clipboard)" = "$1" ]
}

# Every route that pastes, with an empty clipboard and selection, leaves the field as it was.
start_app
wid=$(main_window)
focus_window "$wid"
xdotool type --delay 20 "abc"
read -r x y _ h < <(window_geometry "$wid")
for route in "key ctrl+v" "key shift+Insert" "mousemove $((x + 20)) $((y + h - 20)) click 2"; do
    # shellcheck disable=SC2086
    xdotool $route sleep 0.3
    kill -0 "$APP_PID" 2>/dev/null || fail "'$route' ended the program: $(cat "$WORK/app.err")"
done
retry 40 copies abc || fail "pasting nothing changed the field to '$(clipboard)'"
"$XTOOL" close "$wid"
wait_exit
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after pasting nothing"

# A start-up that stops at a message box: a link to a FIFO as the preferences
# file (start-up never blocks opening it, nor replaces the link) and a missing
# resource file. The box is the program's, with its message; a termination
# signal then still ends the program, and what the quit has to say goes to
# standard error.
mkfifo "$WORK/fifo"
cases=(
    "couldn't write preferences File|ln -sf $WORK/fifo $(prefs_file)|"
    "An exception of class NilObjectException: resource file was not handled.|true|QZ_RESOURCE_FILE=$WORK/none"
)
box_found() {
    box=$(xdotool search --onlyvisible --class '^quib-zerevarove$' 2>/dev/null | while read -r w; do
        window_prop "$w" _NET_WM_WINDOW_TYPE | grep -q DIALOG && echo "$w"; done | head -n1)
    [ -n "$box" ]
}
for c in "${cases[@]}"; do
    IFS='|' read -r message setup settings <<<"$c"
    $setup
    # shellcheck disable=SC2086
    start_app $settings
    retry 200 box_found || fail "no message box for '$message'"
    [ "$(xdotool getwindowname "$box")" = "Quib Zerevarove" ] || fail "box titled '$(xdotool getwindowname "$box")'"
    focus_window "$box"
    read -r x y w _ < <(window_geometry "$box")
    xdotool mousemove $((x + w / 2)) $((y + 17)) click 1 sleep 0.2 # on the message
    retry 40 copies "$message" || fail "the box says '$(clipboard)', not '$message'"
    kill -TERM "$APP_PID"
    wait_exit
    (( EXIT_STATUS < 128 )) && grep -qxF "quib-zerevarove: $message" "$WORK/app.err" ||
        fail "SIGTERM at the box '$message': status $EXIT_STATUS, $(cat "$WORK/app.err")"
    if [ "$setup" != true ]; then
        [ -L "$(prefs_file)" ] && [ -p "$(prefs_file)" ] || fail "the link to a FIFO was replaced"
        rm "$(prefs_file)"
    fi
done

# Termination signals quit: the window's place is saved and the status is 0.
for signal in TERM HUP INT; do
    printf '<key>Window1.Top</key><string>200</string>' >"$(prefs_file)"
    start_app --default-signal=INT
    main_window >/dev/null
    kill -s "$signal" "$APP_PID"
    wait_exit
    [ "$EXIT_STATUS" = 0 ] && grep -q Window1.Height "$(prefs_file)" || fail "SIG$signal: status $EXIT_STATUS, unsaved"
done

# A quit that cannot finish (the X server stopped answering) still ends,
# when the grace period is over or, sooner, at a second signal.
caught() { (( 16#$(awk '/^SigCgt/ { print $2 }' "/proc/$APP_PID/status") & (1 << ($1 - 1)) )); }
for second in "" INT; do
    start_app --default-signal=INT
    main_window >/dev/null
    kill -STOP "$XVFB_PID"
    kill -TERM "$APP_PID"
    if [ -n "$second" ]; then
        retry 100 eval '! caught 2' || fail "SIGINT still caught after SIGTERM"
        kill -s "$second" "$APP_PID"
    fi
    wait_exit
    kill -CONT "$XVFB_PID"
    want=$(( 128 + $(kill -l "${second:-TERM}") ))
    [ "$EXIT_STATUS" = "$want" ] || fail "SIGTERM ${second:+then SIG$second }with a frozen X server: status $EXIT_STATUS"
done

# The About badge's browser gets the user's environment, without what the
# program set for itself, and with what the user set.
mkdir "$WORK/bin"
printf '#!/bin/sh\nenv >"%s/env.part" && mv "%s/env.part" "%s/browser.env"\n' "$WORK" "$WORK" "$WORK" >"$WORK/bin/xdg-open"
chmod +x "$WORK/bin/xdg-open"
for settings in "" "QT_QPA_PLATFORM=xcb PULSE_LATENCY_MSEC=40"; do
    rm -f "$WORK/browser.env"
    # shellcheck disable=SC2086
    start_app PATH="$WORK/bin:$PATH" $settings
    wid=$(main_window)
    focus_window "$wid"
    xdotool key alt+h sleep 0.4 key Down sleep 0.2 key Return
    about=""
    retry 100 eval 'about=$(xdotool search --onlyvisible --class "^quib-zerevarove\$" | grep -vx "$wid" | head -n1); [ -n "$about" ]' ||
        fail "no About window"
    read -r x y _ h < <(window_geometry "$about")
    xdotool mousemove $((x + 140)) $((y + h - 27)) click 1
    retry 100 test -s "$WORK/browser.env" || fail "no browser started"
    got=$({ grep -E '^(QT_QPA_PLATFORM|PULSE_LATENCY_MSEC)=' "$WORK/browser.env" || true; } | sort | tr '\n' ' ')
    want=$(printf '%s\n' $settings | sort | tr '\n' ' ')
    [ "$got" = "${want# }" ] || fail "with '$settings' the browser got '$got'"
    "$XTOOL" close "$wid"
    wait_exit
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
# The toolkit may first warn of a call that failed as the server went (its
# shared-memory image, say); the report of the lost server comes once, last.
[ "$(grep -c "X11 connection broke" "$WORK/app.err")" = 1 ] && tail -n 1 "$WORK/app.err" | grep -q "X11 connection broke" ||
    fail "lost display: stderr is [$(cat -A "$WORK/app.err")]"
echo PASS
