#!/usr/bin/env bash
# Start-up figures: time from launch until the main window is mapped (the
# first MapNotify, waited for as an X event) and peak RSS, for the program and
# three baselines built in the same build directory: a bare Qt window, the
# same with an SDL audio device, and the same with a menu bar and a text
# field. All are launched in turns in one private Xvfb.
#   bench/startup/run.sh <build dir> [launches]     (launches: default 20)
# Environment: SETTLE seconds to let a program run on after its window maps
# before its peak RSS is read (default 0.5); SDL_AUDIODRIVER (default dummy,
# so the figures do not depend on a sound server).
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: $0 <build dir> [launches]" >&2; exit 2; }
build=$(readlink -f "$1")
launches=${2:-20}
settle=${SETTLE:-0.5}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

root=$(cd "$(dirname "$0")/../.." && pwd)
# Regenerates without touching the cache, so a new bench folder is known.
{
    cmake -S "$root" -B "$build" &&
        cmake --build "$build" -j"$(nproc)" --target quib-zerevarove xtool bench_bare_window \
            bench_bare_window_sdl bench_bare_window_widgets
} >"${TMPDIR:-/tmp}/qz-bench-startup-build.log" 2>&1 ||
    { tail -n 20 "${TMPDIR:-/tmp}/qz-bench-startup-build.log" >&2; exit 1; }
program=$build/quib-zerevarove
xtool=$build/tests/xtool
bare=$build/bench/startup/bench_bare_window
bare_sdl=$build/bench/startup/bench_bare_window_sdl
bare_widgets=$build/bench/startup/bench_bare_window_widgets

work=$(mktemp -d /tmp/qz-bench-startup.XXXXXX)
xvfb_pid=""
cleanup() {
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"

# Xvfb picks a free display itself and names it once it accepts clients.
Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 200); do
    [[ -s $work/display ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.05
done
[[ -s $work/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# True while the process runs (a zombie no longer counts).
running() { [[ -e /proc/$1 ]] && ! grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null; }

# One launch: prints "milliseconds-to-map peak-RSS-kB". The program's own
# output goes to a log, so that only xtool's line comes back.
launch() {
    local line ms pid hwm
    line=$("$xtool" wait-map 20000 sh -c 'exec "$0" "$@" >>"'"$work"'/programs.log" 2>&1' "$@") ||
        { echo "no window mapped by $1" >&2; tail -n 5 "$work/programs.log" >&2; return 1; }
    ms=${line% *}
    pid=${line#* }
    sleep "$settle"
    hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    [[ -n $hwm ]] || { echo "$1 ended before its memory was read" >&2; return 1; }
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do running "$pid" || break; sleep 0.02; done
    if running "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
    echo "$ms $hwm"
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

kinds=(program bare bare_sdl bare_widgets)
declare -A command=([program]=$program [bare]=$bare [bare_sdl]=$bare_sdl [bare_widgets]=$bare_widgets)
# One unmeasured round warms the file cache and writes the preferences file.
for kind in "${kinds[@]}"; do launch "${command[$kind]}" >/dev/null; done
for _ in $(seq 1 "$launches"); do
    for kind in "${kinds[@]}"; do launch "${command[$kind]}" >>"$work/$kind"; done
done

declare -A ms rss
for kind in "${kinds[@]}"; do
    ms[$kind]=$(cut -d' ' -f1 "$work/$kind" | median)
    rss[$kind]=$(cut -d' ' -f2 "$work/$kind" | median)
done

echo "Start-up, launch until the window is mapped; medians of $launches launches each, interleaved, in one Xvfb"
echo "(SDL_AUDIODRIVER=$SDL_AUDIODRIVER; peak RSS read ${settle} s after mapping)"
row() { awk -v l="$1" -v t="${ms[$2]}" -v r="${rss[$2]}" 'BEGIN { printf "  %-22s %8.1f ms   peak RSS %7.1f MB\n", l, t, r / 1024 }'; }
row "program" program
row "bare Qt window" bare
row "bare Qt+SDL window" bare_sdl
row "bare Qt window+widgets" bare_widgets
ratio() {
    awk -v l="$1" -v t1="${ms[$2]}" -v t0="${ms[$3]}" -v r1="${rss[$2]}" -v r0="${rss[$3]}" -v target="$4" \
        'BEGIN { printf "  %-34s time x%.3f, RSS %+.1f MB%s\n", l, t1 / t0, (r1 - r0) / 1024, target }'
}
ratio "program / bare Qt window:" program bare "   (target: at most x1.15 and +10 MB)"
ratio "program / bare Qt+SDL window:" program bare_sdl "   (target: at most x1.05 and +3 MB)"
ratio "program / bare Qt window+widgets:" program bare_widgets ""
ratio "bare Qt+SDL / bare Qt window:" bare_sdl bare ""
ratio "bare Qt window+widgets / bare Qt:" bare_widgets bare ""
