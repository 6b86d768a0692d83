#!/usr/bin/env bash
# Sound comes back: after its PulseAudio server restarts (a private one with a
# null sink, its monitor recorded), also when killed mid-translation, when the
# program started before the server, after the only sink is unloaded and
# loaded again, and after the server stops taking sound for a while.
# Meanwhile translations finish at the sounds' own pace, in silence, and
# standard error says once that sound is lost and once that it is back. A
# broken sound library is named in the loader's own words.
source "$(dirname "$0")/lib.sh" "$@"
CAPTURE_TOOL=$(dirname "$XTOOL")/qz_capture
export QZ_RESOURCE_FILE=$(dirname "$PROGRAM")/quib-zerevarove.rcc SDL_AUDIODRIVER=pulseaudio
export XDG_RUNTIME_DIR=$WORK/run HOME=$WORK
mkdir -m 700 "$XDG_RUNTIME_DIR"
SERVER=""
PAREC=""
BUSY=""
trap 'kill -CONT $SERVER 2>/dev/null; kill $BUSY $PAREC $SERVER 2>/dev/null; cleanup' EXIT
CAPTURE=0

# Records the sink's monitor into a capture file of its own.
record() {
    if [ -n "$PAREC" ]; then kill "$PAREC" 2>/dev/null || true; wait "$PAREC" 2>/dev/null || true; fi
    CAPTURE=$((CAPTURE + 1))
    parec -d qz.monitor --format=s16le --rate=44100 --channels=1 --latency-msec=2 --raw >"$WORK/capture$CAPTURE.raw" 2>/dev/null &
    PAREC=$!
}
# Without a stream that asks for a short latency a null sink renders two
# seconds at a time, and the start of a new stream reaches its monitor
# mangled. A stream of silence keeps it short; the block under way ends first.
keep_busy() {
    if [ -n "$BUSY" ]; then kill "$BUSY" 2>/dev/null || true; wait "$BUSY" 2>/dev/null || true; fi
    pacat -d qz --raw --format=s16le --rate=44100 --channels=1 --latency-msec=10 </dev/zero 2>/dev/null &
    BUSY=$!
    sleep 2.2
}
start_server() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --load="module-null-sink sink_name=qz rate=44100" \
        --load=module-native-protocol-unix >>"$WORK/pulse.log" 2>&1 &
    SERVER=$!
    retry 100 pactl info >/dev/null 2>&1 || fail "PulseAudio did not start"
    keep_busy
    record
}
stop_server() {
    kill "$BUSY" "$PAREC" "$SERVER" 2>/dev/null || true
    wait "$BUSY" "$PAREC" "$SERVER" 2>/dev/null || true
    BUSY=""
    PAREC=""
    SERVER=""
}
# Frames of sound in the current capture. A busy machine may leave a hole in a
# sound, so this counts frames, not whole sounds.
heard() { "$CAPTURE_TOOL" sounds "$WORK/capture$CAPTURE.raw" | awk '{ n += $2 - $1 } END { print n + 0 }'; }
# Waits until the current capture holds at least $1 sounds' worth (60 ms each).
expect_heard() {
    local want=$(( $1 * 2646 ))
    retry 100 eval '[ "$(heard)" -ge "$want" ]' || fail "$PHASE: heard $(heard) of $want frames"
}
# Fails unless standard error holds, from line $1 on, exactly one line saying
# sound is lost and then one saying it is back.
expect_lost_and_back() {
    local said
    said=$(tail -n "+$1" "$WORK/app.err")
    [[ $said =~ ^"quib-zerevarove: no sound ("[^$'\n']*"); playing silently"$'\n'"quib-zerevarove: sound is back"$ ]] ||
        fail "$PHASE: standard error says [$said]"
}
# The number of the next line on standard error.
lines() { echo $(( $(wc -l <"$WORK/app.err") + 1 )); }

start_server
start_xvfb

PHASE="server restart"
start_app
wid=$(main_window)
focus_window "$wid"
xdotool type "abc"
xdotool key Return
expect_heard 3
sleep 0.5
from=$(lines)
stop_server
# No sound, but the translation ends at the sounds' pace: otherwise the next Return would be dropped.
xdotool key Return
sleep 1.5
start_server
# Both translations are heard.
for sounds in 3 6; do
    sleep 0.5
    xdotool key Return
    expect_heard $sounds
done
expect_lost_and_back "$from"

PHASE="sink unloaded"
sleep 0.5
from=$(lines)
pactl unload-module module-null-sink
xdotool key Return
sleep 1.5
pactl load-module module-null-sink sink_name=qz rate=44100 >/dev/null
keep_busy
record
xdotool key Return
expect_heard 3
expect_lost_and_back "$from"

PHASE="server stopped"
sleep 0.5
from=$(lines)
kill -STOP "$SERVER"
xdotool key Return
sleep 2.5
kill -CONT "$SERVER"
record
# Had the translation waited for the server, the rest of it would be heard now.
sleep 1.5
[ "$(heard)" = 0 ] || fail "$PHASE: the translation waited for the server"

xdotool key Return
expect_heard 3
expect_lost_and_back "$from"

# SDL goes on calling a device whose server is gone, into nothing: that is no sound either.
PHASE="server killed while speaking"
sleep 0.5
from=$(lines)
xdotool key ctrl+a type "abcdefghijklmnopqrstuvwxyz"
xdotool key Return
expect_heard 1
stop_server
sleep 1
grep -q "no sound" <(tail -n "+$from" "$WORK/app.err") || fail "$PHASE: nothing said while the translation goes on"
start_server
sleep 2
xdotool key Return
expect_heard 3
expect_lost_and_back "$from"
"$XTOOL" close "$wid"
wait_exit
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"

PHASE="server started after the program"
stop_server
start_app
wid=$(main_window)
focus_window "$wid"
sleep 1
start_server
xdotool type "abc"
xdotool key Return
expect_heard 3
expect_lost_and_back 1
"$XTOOL" close "$wid"
wait_exit

# A stand-in for the sound library that lacks SDL's functions.
PHASE="broken sound library"
mkdir "$WORK/nosdl"
ln -s "$(ldd "$PROGRAM" | awk '$1 ~ /^libm\.so/ { print $3 }')" "$WORK/nosdl/libSDL2-2.0.so.0"
start_app LD_LIBRARY_PATH="$WORK/nosdl"
wid=$(main_window)
"$XTOOL" close "$wid"
wait_exit
[[ $(cat "$WORK/app.err") == "quib-zerevarove: no sound (cannot load the sound library: "*": undefined symbol: SDL_"*"); playing silently" ]] ||
    fail "$PHASE: standard error says [$(cat "$WORK/app.err")]"
echo PASS
