#!/usr/bin/env bash
# Typed text and Return: the captured audio holds each printable character's
# beep in order with a silence for each space, and a second run sounds the same.
source "$(dirname "$0")/lib.sh" "$@"
CAPTURE_TOOL=$(dirname "$XTOOL")/qz_capture
export QZ_RESOURCE_FILE=$(dirname "$PROGRAM")/quib-zerevarove.rcc
export SDL_AUDIODRIVER=disk
# Repeated letters, a double space, both ends of the printable range.
TEXT='Hello,  World! ~42'
BEEPS=$(printf '%s' "$TEXT" | tr -d ' ' | wc -c)

start_xvfb

# Speaks TEXT in a fresh run of the program and leaves the sounds heard in $WORK/heard.$1.
speak_once() {
    local capture="$WORK/capture.$1.raw" i n
    start_app SDL_DISKAUDIOFILE="$capture"
    local wid
    wid=$(main_window)
    xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
    xdotool type --delay 20 "$TEXT"
    xdotool key Return
    for i in $(seq 1 200); do
        n=$("$CAPTURE_TOOL" sounds "$capture" | awk '$3 != 0' | wc -l)
        [ "$n" -ge "$BEEPS" ] && break
        sleep 0.1
    done
    # Time for a beep that should not be there to show.
    sleep 0.5
    "$XTOOL" close "$wid"
    wait_exit
    [ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
    "$CAPTURE_TOOL" check "$capture" "$TEXT" >"$WORK/check.$1" || fail "run $1: $(cat "$WORK/check.$1")"
    grep '^heard' "$WORK/check.$1" >"$WORK/heard.$1"
}

speak_once 1
speak_once 2
cmp -s "$WORK/heard.1" "$WORK/heard.2" || fail "the second run sounds different: $(cat "$WORK/heard.1" "$WORK/heard.2")"
echo PASS
