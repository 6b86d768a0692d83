#!/usr/bin/env bash
# Builds and runs the paint benchmarks: in a release build in build/bench, or in
# the build directory given as the first argument (configured as it is).
#  1. bench_paint: time per paint of the main window at 400 x 120 and 2000 x 1200.
#  2. The program in Xvfb, resized from its grip by a drag at 60 steps a second:
#     the size changes a second it keeps up with and the CPU it takes.
#     Target: keeps up with the 60 steps a second using at most 25% of one core.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [[ $# -ge 1 ]]; then
  build=$(cd "$1" && pwd)
else
  build=$root/build/bench
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target bench_paint dragwatch quib-zerevarove -j"$(nproc)" >/dev/null
export QZ_RESOURCE_FILE=$build/quib-zerevarove.rcc

echo "== time per paint (offscreen) =="
"$build/bench/paint/bench_paint" 2> >(grep -v "does not support" >&2)

work=$(mktemp -d /tmp/qz-bench-paint.XXXXXX)
xvfb=""; app=""
cleanup() {
  [[ -n "$app" ]] && kill "$app" 2>/dev/null || true
  [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for n in $(seq 0 40); do
  d=$(( 90 + (RANDOM % 400) ))
  [[ -e /tmp/.X11-unix/X$d || -e /tmp/.X$d-lock ]] && continue
  Xvfb ":$d" -noreset -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$d"
  for i in $(seq 1 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.05; done
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  kill "$xvfb" 2>/dev/null || true; xvfb=""
done
[[ -n "$xvfb" ]] || { echo "could not start Xvfb" >&2; exit 1; }

unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_CONFIG_HOME=$work/config SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_CONFIG_HOME"

# One drag of 300 steps from the grip (5 s at 60 a second), dx and dy pixels each.
drag() {
  local wid=$1 dx=$2 dy=$3
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  local gx=$(( X + WIDTH - 5 )) gy=$(( Y + HEIGHT - 5 ))
  xdotool mousemove "$gx" "$gy" sleep 0.2 mousedown 1 sleep 0.1
  "$build/bench/paint/dragwatch" "$wid" "$app" "$gx" "$gy" "$dx" "$dy" 300 60
  xdotool mouseup 1 sleep 0.3
}

"$build/quib-zerevarove" >/dev/null 2>&1 &
app=$!
wid=""
for i in $(seq 1 200); do
  wid=$(xdotool search --onlyvisible --name '^Quib Zerevarove$' 2>/dev/null | head -n1 || true)
  [[ -n "$wid" ]] && break
  sleep 0.05
done
[[ -n "$wid" ]] || { echo "main window never mapped" >&2; exit 1; }
sleep 0.5
echo
echo "== resize drag in Xvfb at 60 steps a second: 400 x 120 growing to 1000 x 420 =="
drag "$wid" 2 1
echo
echo "== and back, shrinking to 400 x 120 =="
drag "$wid" -2 -1
echo
echo "== large: 1400 x 700 growing to 2000 x 1000 =="
# Grown to the start size first, in one step.
eval "$(xdotool getwindowgeometry --shell "$wid")"
strip=$(( HEIGHT - 120 ))
xdotool mousemove $(( X + WIDTH - 5 )) $(( Y + HEIGHT - 5 )) sleep 0.2 mousedown 1 sleep 0.1 \
  mousemove $(( X + 1400 - 5 )) $(( Y + strip + 700 - 5 )) sleep 0.5 mouseup 1 sleep 0.5
drag "$wid" 2 1
echo
echo "(width and height are set one after the other: two size changes per step)"
echo "target: keeps up with 60 steps a second using at most 25% of one core"
