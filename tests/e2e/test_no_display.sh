#!/usr/bin/env bash
# With no display the program says so in one line and exits non-zero, without a crash.
source "$(dirname "$0")/lib.sh" "$@"
for display in "" ":4321"; do
    status=0
    env DISPLAY="$display" "$PROGRAM" >"$WORK/out" 2>"$WORK/err" || status=$?
    [ "$status" != 0 ] || fail "exit status 0 with DISPLAY='$display'"
    [ "$status" -lt 128 ] || fail "crashed with status $status (DISPLAY='$display')"
    [ "$(grep -c . "$WORK/err")" = 1 ] || fail "expected one line on stderr, got: $(cat "$WORK/err")"
    grep -q "display" "$WORK/err" || fail "message does not mention the display"
done
echo PASS
