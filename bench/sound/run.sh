#!/usr/bin/env bash
# Speaking figures, from the program's own audio captured with SDL's disk
# driver in a private Xvfb:
#  1. Pace: a 100-character text; the span from the first beep's start to the
#     last beep's end against the sum of the beeps' own lengths (target at most
#     1.05), and the gaps between beeps (target: median at most 6 ms).
#  2. CPU while speaking: the same translation, the program's CPU time over its
#     wall time (target at most 5% of one core), beside the idle program.
#  3. Return to the first sound: ROUNDS presses of Return on a one-character text.
#  4. The sound bank's share of start-up, in process (bench_sound_bank).
# The start-up against a bare Qt window with an SDL device is bench/startup/run.sh.
#   bench/sound/run.sh [build dir]   (default: a release build in build/bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ $# -ge 1 ]]; then
    build=$(cd "$1" && pwd)
else
    build=$root/build/bench
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target quib-zerevarove xtool qz_capture bench_sound_bank -j"$(nproc)" >/dev/null
program=$build/quib-zerevarove
xtool=$build/tests/xtool
capture_tool=$build/tests/qz_capture
export QZ_RESOURCE_FILE=$build/quib-zerevarove.rcc
rounds=${ROUNDS:-15}

work=$(mktemp -d /tmp/qz-bench-sound.XXXXXX)
xvfb=""
app=""
cleanup() {
    [[ -n $app ]] && kill "$app" 2>/dev/null || true
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 1 200); do
    [[ -s $work/display ]] && break
    sleep 0.05
done
[[ -s $work/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_CONFIG_HOME=$work/config SDL_AUDIODRIVER=disk
mkdir -p "$XDG_CONFIG_HOME"

# Starts the program capturing into $1; sets app and wid.
start() {
    SDL_DISKAUDIOFILE=$1 "$program" >>"$work/program.log" 2>&1 &
    app=$!
    wid=""
    for _ in $(seq 1 200); do
        wid=$(xdotool search --onlyvisible --name '^Quib Zerevarove$' 2>/dev/null | head -n1 || true)
        [[ -n $wid ]] && break
        sleep 0.05
    done
    [[ -n $wid ]] || { echo "the main window never mapped" >&2; exit 1; }
    xdotool windowfocus --sync "$wid"
}

stop() {
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    app=""
}

# Clock ticks of CPU the process (all its threads) has used.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
now() { date +%s.%N; }

identified() { "$capture_tool" sounds "$1" | awk '$3 != 0' | wc -l; }

# 100 printable characters, every one of the 94 at least once.
text=$(awk 'BEGIN { for (i = 0; i < 100; i++) printf "%c", 33 + (i * 37) % 94 }')

echo "== pace and CPU: a ${#text}-character text, disk driver =="
start "$work/pace.raw"
xdotool type --delay 10 -- "$text"
sleep 1
t0=$(now); c0=$(ticks "$app")
sleep 3
t1=$(now); c1=$(ticks "$app")
xdotool key Return
t2=$(now); c2=$(ticks "$app")
for _ in $(seq 1 600); do
    [[ $(identified "$work/pace.raw") -ge ${#text} ]] && break
    sleep 0.05
done
t3=$(now); c3=$(ticks "$app")
stop
"$capture_tool" check "$work/pace.raw" "$text" >"$work/check" || {
    echo "the capture does not hold the text's beeps:" >&2
    cat "$work/check" >&2
}
"$capture_tool" pace "$work/pace.raw" | sed 's/^/  /'
awk -v a="$c0" -v b="$c1" -v s="$t0" -v e="$t1" -v hz="$hz" \
    'BEGIN { printf "  CPU idle (3 s before Return):  %5.2f%% of one core\n", 100 * (b - a) / hz / (e - s) }'
awk -v a="$c2" -v b="$c3" -v s="$t2" -v e="$t3" -v hz="$hz" \
    'BEGIN { printf "  CPU while speaking (%.1f s):   %5.2f%% of one core   (target: at most 5%%)\n", e - s, 100 * (b - a) / hz / (e - s) }'
echo "  (pace targets: ratio at most 1.05, median gap at most 6 ms)"

echo "== Return to the first sound sample: $rounds presses on a one-character text =="
start "$work/latency.raw"
xdotool type -- "a"
sleep 1
for _ in $(seq 1 "$rounds"); do
    "$capture_tool" latency "$work/latency.raw" xdotool key Return >>"$work/latency"
    sleep 0.5
done
stop
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column() { awk -v k="$1" '{ for (i = 1; i < NF; i++) if ($i == k) print $(i + 1) }' "$work/latency"; }
printf "  key sent -> sample written:           median %6.1f ms, worst %6.1f ms\n" \
    "$(column key_sent_to_sample_written_ms | median)" "$(column key_sent_to_sample_written_ms | sort -n | tail -n1)"
printf "  key delivered -> sample written:      median %6.1f ms, worst %6.1f ms\n" \
    "$(column key_returned_to_sample_written_ms | median)" "$(column key_returned_to_sample_written_ms | sort -n | tail -n1)"
printf "  device frames from Return to sample:  median %6.1f ms\n" "$(column device_frames_ms | median)"

echo "== sound bank =="
"$build/bench/sound/bench_sound_bank" | sed 's/^/  /'
