#!/usr/bin/env bash
# A sound device whose open blocks (SDL's file driver writing into a FIFO that
# nobody reads yet) never stalls the window: Escape and Close work and save the
# geometry, also while the device is still blocked, and the text is spoken once
# the device opens.
source "$(dirname "$0")/lib.sh" "$@"
CAPTURE_TOOL=$(dirname "$XTOOL")/qz_capture
export QZ_RESOURCE_FILE=$(dirname "$PROGRAM")/quib-zerevarove.rcc SDL_AUDIODRIVER=disk
mkfifo "$WORK/fifo"
start_xvfb

# Run 1 quits while the device is still blocked; run 2 lets it open.
for run in 1 2; do
    rm -f "$(prefs_file)"
    start_app SDL_DISKAUDIOFILE="$WORK/fifo"
    wid=$(main_window)
    focus_window "$wid"
    xdotool type --delay 20 "ab"
    xdotool key Return sleep 0.3 key Escape key Return
    if [ "$run" = 2 ]; then
        cat "$WORK/fifo" >"$WORK/capture.raw" &
        HELPER_PIDS+=" $!"
        for _ in $(seq 1 100); do
            [ "$("$CAPTURE_TOOL" sounds "$WORK/capture.raw" | awk '$3 != 0' | wc -l)" -ge 2 ] && break
            sleep 0.1
        done
        "$CAPTURE_TOOL" check "$WORK/capture.raw" "ab" >"$WORK/check" || fail "not spoken: $(cat "$WORK/check")"
    fi
    "$XTOOL" close "$wid"
    wait_exit
    [ "$EXIT_STATUS" = 0 ] || fail "run $run: exit status $EXIT_STATUS"
    grep -q '<key>Window1.Top</key>' "$(prefs_file)" || fail "run $run: geometry not saved on close"
done
echo PASS
