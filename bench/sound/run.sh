#!/usr/bin/env bash
# Speaking figures for the real program in a private Xvfb:
#  1. On a sound server as a desktop plays it: a private PulseAudio with a null
#     sink, its monitor recorded with parec. RUNS runs (default 10) of a
#     100-character text, min/median/max of: dropouts (holes inside a beep),
#     pace (span of the beeps against their own lengths), gaps between beeps,
#     Return to the first sample at the server (the translation's Return plus
#     PROBES (default 6) presses of Return then Escape, alternately after 2 s
#     and after 0.3 s of silence), CPU while speaking, and
#     CPU and wakeups (context switches of all the program's threads) over
#     IDLE seconds (default 30) with nothing playing.
#  2. With SDL's disk driver, which is paced by the program's own buffer and
#     so proves nothing about timing: that the capture holds exactly the
#     text's samples.
#  3. The sound bank's share of start-up, in process (bench_sound_bank).
# The start-up against a bare Qt window with an SDL device is bench/startup/run.sh.
# Needs Debian's pulseaudio and pulseaudio-utils (installed if missing). Run it
# un-niced: the program and the server should get the priority they get on a desktop.
# PULSE_LATENCY_MSEC, when set, goes to the program as it is.
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
cmake --build "$build" --target quib-zerevarove xtool qz_capture bench_sound_bank bench_capture -j"$(nproc)" >/dev/null
if ! command -v pulseaudio >/dev/null || ! command -v parec >/dev/null; then
    $([[ $(id -u) = 0 ]] || echo sudo) apt-get install -y pulseaudio pulseaudio-utils >/dev/null
fi
program=$build/quib-zerevarove
xtool=$build/tests/xtool
capture_tool=$build/tests/qz_capture
export QZ_RESOURCE_FILE=$build/quib-zerevarove.rcc
runs=${RUNS:-10}
probes=${PROBES:-6}
idle=${IDLE:-30}

work=$(mktemp -d /tmp/qz-bench-sound.XXXXXX)
xvfb=""
app=""
pulse=""
parec=""
cleanup() {
    [[ -n $app ]] && kill "$app" 2>/dev/null || true
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null || true
    [[ -n $parec ]] && kill "$parec" 2>/dev/null || true
    [[ -n $pulse ]] && kill "$pulse" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 1 200); do
    [[ -s $work/display ]] && break
    sleep 0.05
done
[[ -s $work/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work
mkdir -p "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Starts the program with the environment assignments given; sets app and wid.
start() {
    env "$@" "$program" >>"$work/program.log" 2>&1 &
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

# Context switches so far of all the process's threads: each is a wake-up.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { s += $2 } END { print s }'; }
# Prints "min / median / max" of the numbers on standard input, and how many
# lines held none (a key press that brought no sound within 10 s).
spread() {
    sort -g | awk '/^[0-9.]+$/ { v[++n] = $1; next } { missed++ }
        END { m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
              printf "%s / %s / %s", v[1], m, v[n]; if (missed) printf " (%d with no sound)", missed }'
}
# The value after key $1 in lines of "key value" pairs on standard input.
field() { awk -v k="$1" '{ for (i = 1; i < NF; i++) if ($i == k) print $(i + 1) }'; }

echo "== PulseAudio null sink: ${runs} runs of a ${#text}-character text =="
pulseaudio -n --daemonize=no --exit-idle-time=-1 --load="module-null-sink sink_name=bench rate=44100" \
    --load=module-native-protocol-unix >"$work/pulse.log" 2>&1 &
pulse=$!
for _ in $(seq 1 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start" >&2; cat "$work/pulse.log" >&2; exit 1; }
server=$work/server.raw
parec -d bench.monitor --format=s16le --rate=44100 --channels=1 --latency-msec=2 --raw >"$server" &
parec=$!
frames() { echo $(( $(stat -c %s "$server") / 2 )); }
# The bench's own work runs niced, so that it takes no time from the program.
analyse() { nice -n 15 "$build/bench/sound/bench_capture" "$server" "$1"; }
for run in $(seq 1 "$runs"); do
    whole=$(frames)
    start SDL_AUDIODRIVER=pulseaudio
    xdotool type --delay 10 -- "$text"
    # Past the server's stall when a stream starts, and the device idle again.
    sleep 1.5
    # Audio from before (a new stream can hold back the server's output) must
    # have arrived, so that the text's beeps start the analysis.
    for _ in $(seq 1 40); do
        (( $(analyse $(( $(frames) - 44100 )) | field silent_tail_ms) >= 900 )) && break
        sleep 0.25
    done
    from=$(frames)
    t0=$(now); c0=$(ticks "$app")
    "$capture_tool" latency "$server" xdotool key Return >>"$work/latency" || true
    # Until every beep is heard, or damaged beeps aside, the program fell silent.
    for _ in $(seq 1 600); do
        found=$(analyse "$from")
        (( $(field sounds <<<"$found") + $(field unknown <<<"$found") >= ${#text} )) && break
        (( $(field sounds <<<"$found") > 0 && $(field silent_tail_ms <<<"$found") > 1000 )) && break
        sleep 0.25
    done
    t1=$(now); c1=$(ticks "$app")
    sleep 0.2
    analyse "$from" >>"$work/speaking"
    awk -v a="$c0" -v b="$c1" -v s="$t0" -v e="$t1" -v hz="$hz" 'BEGIN { print 100 * (b - a) / hz / (e - s) }' >>"$work/cpu"
    probed=""
    for probe in $(seq 1 "$probes"); do
        if (( probe % 2 )); then sleep 2; else sleep 0.3; fi
        line=$("$capture_tool" latency "$server" xdotool key Return) || line="key_sent_to_sample_written_ms none"
        echo "$line" >>"$work/latency.$(( probe % 2 ))"
        probed+=" $(field key_sent_to_sample_written_ms <<<"$line")"
        xdotool key Escape
        sleep 0.4
    done
    analyse "$whole" >>"$work/whole"
    if (( idle > 0 )); then
        sleep 2
        t0=$(now); c0=$(ticks "$app"); w0=$(switches "$app")
        sleep "$idle"
        t1=$(now); c1=$(ticks "$app"); w1=$(switches "$app")
        awk -v a="$c0" -v b="$c1" -v s="$t0" -v e="$t1" -v hz="$hz" -v w0="$w0" -v w1="$w1" \
            'BEGIN { print 100 * (b - a) / hz / (e - s), (w1 - w0) / (e - s) }' >>"$work/idle"
    fi
    stop
    printf "  run %2d: %s; Return %s ms, then%s ms\n" "$run" "$(tail -n1 "$work/speaking")" \
        "$(tail -n1 "$work/latency" | field key_sent_to_sample_written_ms)" "$probed"
done
echo "  min / median / max over $runs runs:"
printf "  %-44s %s   (target: 0 in every run)\n" "dropouts (holes inside a beep) per text" "$(field dropouts <"$work/speaking" | spread)"
printf "  %-44s %s   (target: at most 1.03)\n" "pace: span of the beeps / their lengths" "$(field ratio <"$work/speaking" | spread)"
printf "  %-44s %s ms   (target: median at most 3.5)\n" "median gap between beeps" "$(field gap_median_ms <"$work/speaking" | spread)"
printf "  %-44s %s ms\n" "longest gap between beeps" "$(field gap_max_ms <"$work/speaking" | spread)"
printf "  %-44s %s\n" "beeps found / stretches not recognised" "$(field sounds <"$work/speaking" | spread) / $(field unknown <"$work/speaking" | spread)"
printf "  %-44s %s / %s frames\n" "beeps missing their start, with the probes" \
    "$(field cut <"$work/whole" | spread)" "$(field cut_frames_max <"$work/whole" | spread)"
printf "  %-44s %s ms   (target: median at most 20)\n" "Return to first sample at the server" \
    "$(cat "$work/latency" "$work"/latency.? | field key_sent_to_sample_written_ms | spread)"
printf "  %-44s %s ms\n" "  of which the translation's own Return" "$(field key_sent_to_sample_written_ms <"$work/latency" | spread)"
printf "  %-44s %s ms\n" "  after 2 s of silence" "$(field key_sent_to_sample_written_ms <"$work/latency.1" | spread)"
[[ -s $work/latency.0 ]] && printf "  %-44s %s ms\n" "  after 0.3 s of silence" "$(field key_sent_to_sample_written_ms <"$work/latency.0" | spread)"
printf "  %-44s %s %% of one core\n" "CPU while speaking" "$(spread <"$work/cpu")"
if (( idle > 0 )); then
    printf "  %-44s %s %% of one core   (target: at most 0.1)\n" "CPU idle over ${idle} s" "$(cut -d' ' -f1 "$work/idle" | spread)"
    printf "  %-44s %s   (target: at most 50)\n" "wakeups per second idle" "$(cut -d' ' -f2 "$work/idle" | spread)"
fi
kill "$parec" "$pulse" 2>/dev/null || true
wait "$parec" "$pulse" 2>/dev/null || true
parec=""
pulse=""

echo "== exact samples: the same text with SDL's disk driver =="
start SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/disk.raw"
xdotool type --delay 10 -- "$text"
sleep 1
xdotool key Return
for _ in $(seq 1 600); do
    [[ $(identified "$work/disk.raw") -ge ${#text} ]] && break
    sleep 0.05
done
stop
if "$capture_tool" check "$work/disk.raw" "$text" >"$work/check"; then
    echo "  the capture holds exactly the text's beeps"
else
    echo "  the capture does not hold the text's beeps:"
    sed 's/^/  /' "$work/check"
fi

echo "== sound bank =="
"$build/bench/sound/bench_sound_bank" | sed 's/^/  /'
