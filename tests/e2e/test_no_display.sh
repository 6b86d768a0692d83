#!/usr/bin/env bash
# With no display the program says so in one line and exits non-zero, without a crash.
source "$(dirname "$0")/lib.sh" "$@"
# Each case: the environment the program starts in.
cases=(
    "DISPLAY="
    "DISPLAY=:4321"
    "DISPLAY= QT_QPA_PLATFORM=xcb"
)
for settings in "${cases[@]}"; do
    status=0
    # shellcheck disable=SC2086
    env -u DISPLAY $settings "$PROGRAM" >"$WORK/out" 2>"$WORK/err" || status=$?
    [ "$status" != 0 ] || fail "exit status 0 with $settings"
    [ "$status" -lt 128 ] || fail "crashed with status $status ($settings)"
    [ "$(grep -c . "$WORK/err")" = 1 ] || fail "expected one line on stderr ($settings), got: $(cat "$WORK/err")"
    grep -q "display" "$WORK/err" || fail "message does not mention the display ($settings)"
    [ ! -s "$WORK/out" ] || fail "wrote to standard output ($settings)"
done
echo PASS
