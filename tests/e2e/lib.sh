# Shared by the end-to-end tests: a private X server, the program started in it
# with its own preferences folder, and small waits. Sourced with the program and xtool.
set -euo pipefail

PROGRAM=$(readlink -f "$1")
XTOOL=$(readlink -f "$2")
WORK=$(mktemp -d /tmp/qz-e2e.XXXXXX)
export XDG_CONFIG_HOME="$WORK/config"
mkdir -p "$XDG_CONFIG_HOME"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
APP_PID=""
XVFB_PID=""
HELPER_PIDS="" # other servers a script starts, ended with it

# A program still running is asked to quit first, so that it writes what it
# writes on the way out (a coverage profile), and killed when it does not.
# The work folder goes only once every process that may still write into it
# has ended (a sound server saves its state on the way out). With QZ_E2E_KEEP
# set to a folder, a failed run's work folder is copied there first.
cleanup() {
    local status=$? pid
    if [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null; then
        { retry 40 eval "! kill -0 $APP_PID" || kill -9 "$APP_PID" || true; } 2>/dev/null
    fi
    [ -n "$HELPER_PIDS" ] && kill $HELPER_PIDS 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    { for pid in $APP_PID $HELPER_PIDS $XVFB_PID; do
        retry 100 eval "! kill -0 $pid" || kill -9 "$pid" || true
        wait "$pid" || true
    done; } 2>/dev/null
    if [ "$status" != 0 ] && [ -n "${QZ_E2E_KEEP:-}" ]; then
        mkdir -p "$QZ_E2E_KEEP" && cp -r "$WORK" "$QZ_E2E_KEEP/$(basename "$0" .sh)-$(basename "$WORK")" || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs "${@:2}" every 50 ms until it succeeds, at most $1 times.
retry() {
    local n=$1 i
    shift
    for i in $(seq 1 "$n"); do "$@" && return 0; sleep 0.05; done
    return 1
}

# -noreset: otherwise the server resets whenever its last client leaves, and a
# program started during the reset finds no display.
start_xvfb() {
    Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
    XVFB_PID=$!
    retry 200 grep -qs . "$WORK/display" || fail "could not start Xvfb"
    export DISPLAY=":$(head -n1 "$WORK/display")"
}

# Starts the program in the background; extra arguments are environment assignments.
start_app() {
    env "$@" "$PROGRAM" >"$WORK/app.out" 2>"$WORK/app.err" &
    APP_PID=$!
}

# Prints the id of the main window once it is mapped.
main_window() {
    retry 200 eval 'kill -0 "$APP_PID" 2>/dev/null && xdotool search --onlyvisible --name "^Quib Zerevarove\$" 2>/dev/null' |
        head -n1 | grep . || fail "main window never mapped: $(cat "$WORK/app.err")"
}

# Waits for the program to end and sets EXIT_STATUS (call it directly, not in $(...)).
wait_exit() {
    retry 200 eval '! kill -0 "$APP_PID" 2>/dev/null' || fail "program did not exit"
    EXIT_STATUS=0
    wait "$APP_PID" || EXIT_STATUS=$?
    APP_PID=""
}

# Geometry of a window as "x y w h" (the frame: menu strip included).
window_geometry() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}'
}

# Waits until the window's frame geometry is "x y w h"; fails with what it is.
wait_geometry() {
    local window=$1 want=$2
    retry 60 eval '[ "$(window_geometry "$window")" = "$want" ]' ||
        fail "window geometry is '$(window_geometry "$window")', expected '$want'"
}

prefs_file() { echo "$XDG_CONFIG_HOME/QuibZerevarovePrefs.plist"; }

# Gives a window the keyboard (there is no window manager to activate it).
focus_window() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
    sleep 0.1
}

# Drags with button 1 from x0,y0 to x1,y1 in the given number of even steps,
# all in one xdotool run; a delay (seconds) between steps, none by default.
mouse_drag() {
    local x0=$1 y0=$2 x1=$3 y1=$4 steps=$5 delay=${6:-} i args=()
    for i in $(seq 1 "$steps"); do
        args+=(mousemove $(( x0 + (x1 - x0) * i / steps )) $(( y0 + (y1 - y0) * i / steps )))
        [ -n "$delay" ] && args+=(sleep "$delay")
    done
    xdotool mousemove "$x0" "$y0" sleep 0.05 mousedown 1 sleep 0.05
    xdotool "${args[@]}"
    xdotool sleep 0.1 mouseup 1 sleep 0.1
}

# Starts openbox in the private X server and waits until it manages windows.
start_openbox() {
    openbox --sm-disable >/dev/null 2>&1 &
    HELPER_PIDS+=" $!"
    local i
    for i in $(seq 1 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.05
    done
    fail "openbox did not start"
}

# The program's open menus, one window id a line: its mapped windows that no
# window manager handles (a menu's window type is not always set).
open_menus() {
    local w
    for w in $(xdotool search --onlyvisible --class '^quib-zerevarove$' 2>/dev/null); do
        if xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes'; then echo "$w"; fi
    done
}

# Runs xdotool with the arguments, then waits until a menu that was not open
# before is open: a key sent sooner would go to whatever had the keyboard.
opens_menu() {
    local before
    before=$(open_menus)
    xdotool "$@"
    retry 200 eval '[ -n "$(open_menus | grep -vxF -- "$before")" ]' || fail "no menu opened after: $*"
}

# Runs xdotool with the arguments, then waits until no menu is open.
closes_menu() {
    xdotool "$@"
    retry 200 eval '[ -z "$(open_menus)" ]' || fail "a menu is still open after: $*"
}

# A window's property as xprop prints it after the "=".
window_prop() { xprop -id "$1" "$2" | sed 's/^[^=]*= *//'; }
