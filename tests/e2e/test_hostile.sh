#!/usr/bin/env bash
# A hostile session: pasting with nothing to paste, a preferences "file" that is
# a FIFO, termination signals, and the X server going away.
source "$(dirname "$0")/lib.sh" "$@"
start_xvfb

# Dismisses the program's message box ("couldn't write preferences File").
dismiss_box() {
    local i w box=""
    for i in $(seq 1 100); do
        for w in $(xdotool search --onlyvisible --class '^quib-zerevarove$' 2>/dev/null || true); do
            [ "$(xdotool getwindowname "$w")" = "Quib Zerevarove" ] || box=$w
        done
        [ -n "$box" ] && break
        kill -0 "$APP_PID" 2>/dev/null || fail "program ended instead of showing its message: $(cat "$WORK/app.err")"
        sleep 0.05
    done
    [ -n "$box" ] || fail "no message box: the program hangs"
    focus_window "$box"
    xdotool key Return
}

expect_clean_exit() {
    wait_exit
    [ "$EXIT_STATUS" = 0 ] || fail "$1: exit status $EXIT_STATUS: $(cat "$WORK/app.err")"
}

# Each route that pastes, with an empty clipboard and selection: nothing happens.
start_app
wid=$(main_window)
focus_window "$wid"
read -r x y _ h < <(window_geometry "$wid")
for route in "key ctrl+v" "key shift+Insert" "mousemove $((x + 20)) $((y + h - 20)) click 2"; do
    # shellcheck disable=SC2086
    xdotool $route
    sleep 0.3
    kill -0 "$APP_PID" 2>/dev/null || fail "paste by '$route' ended the program: $(cat "$WORK/app.err")"
done
"$XTOOL" close "$wid"
expect_clean_exit "after pasting nothing"

# A FIFO (or a link to one) is neither read, which would block, nor replaced.
mkfifo "$WORK/fifo"
for kind in fifo link; do
    rm -f "$(prefs_file)"
    if [ "$kind" = fifo ]; then mkfifo "$(prefs_file)"; else ln -s "$WORK/fifo" "$(prefs_file)"; fi
    start_app
    dismiss_box
    "$XTOOL" close "$(main_window)"
    dismiss_box
    expect_clean_exit "$kind"
    [ -p "$(prefs_file)" ] && { [ "$kind" = fifo ] || [ -L "$(prefs_file)" ]; } || fail "$kind was replaced"
done
rm -f "$(prefs_file)"

# Termination signals quit: the window's place is saved and the status is 0.
for signal in TERM HUP INT; do
    printf '<key>Window1.Top</key><string>200</string>' >"$(prefs_file)"
    start_app --default-signal=INT
    main_window >/dev/null
    kill -s "$signal" "$APP_PID"
    expect_clean_exit "SIG$signal"
    grep -q '<key>Window1.Height</key>' "$(prefs_file)" || fail "SIG$signal: geometry not saved"
done

# The X server goes away: one line on standard error and a failure status, no crash.
start_app
main_window >/dev/null
kill "$XVFB_PID"
XVFB_PID=""
wait_exit
[ "$EXIT_STATUS" != 0 ] && [ "$EXIT_STATUS" -lt 128 ] || fail "lost display: exit status $EXIT_STATUS"
[ "$(grep -c . "$WORK/app.err")" = 1 ] || fail "lost display: stderr is $(cat "$WORK/app.err")"
echo PASS
