#!/bin/sh
# Runs a command inside a private desktop session and stops the session
# afterwards:
#   - Xvfb on a free display (BASICS_SCREEN, default 1280x1024x24; BASICS_DPI,
#     default 96),
#   - the openbox window manager (EWMH hints, frames, activation),
#   - a D-Bus session bus of its own.
# DISPLAY, DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR are set for the
# command; its exit code is returned.
#   scripts/with-desktop.sh ctest --test-dir build/default -L desktop
set -eu
screen=${BASICS_SCREEN:-1280x1024x24}
dpi=${BASICS_DPI:-96}

session=$(mktemp -d "${TMPDIR:-/tmp}/basics-desktop.XXXXXX")
chmod 700 "$session"
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    for pid in $pids; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$session"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Waits up to ten seconds for a file to hold something.
wait_for_file() {
    i=0
    while [ ! -s "$1" ]; do
        i=$((i + 1))
        if [ "$i" -gt 100 ]; then
            echo "with-desktop: $2 did not start" >&2
            [ -f "$session/$2.log" ] && cat "$session/$2.log" >&2
            exit 1
        fi
        sleep 0.1
    done
}

Xvfb -displayfd 3 -screen 0 "$screen" -dpi "$dpi" -nolisten tcp -noreset \
    3>"$session/display" >"$session/Xvfb.log" 2>&1 &
pids="$!"
wait_for_file "$session/display" Xvfb
DISPLAY=":$(head -n 1 "$session/display")"
export DISPLAY

dbus-daemon --session --nofork --nopidfile --print-address=4 \
    4>"$session/bus" >"$session/dbus.log" 2>&1 &
pids="$! $pids"
wait_for_file "$session/bus" dbus
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$session/bus")
export DBUS_SESSION_BUS_ADDRESS

XDG_RUNTIME_DIR="$session/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR

openbox --sm-disable >"$session/openbox.log" 2>&1 &
pids="$! $pids"
# The window manager is ready once it has announced itself on the root window.
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    i=$((i + 1))
    if [ "$i" -gt 100 ]; then
        echo "with-desktop: openbox did not start" >&2
        cat "$session/openbox.log" >&2
        exit 1
    fi
    sleep 0.1
done

set +e
"$@"
code=$?
set -e
exit "$code"
