#!/usr/bin/env bash
# Makes the screenshots shown in README.md and the AppStream data, so that
# they can be made again after any change to the window: a virtual X screen
# of 1280x800 with a window manager, the demo (the simulated scale with the
# demo PLUs, its line paced at 9600 baud so that a read lasts a few
# seconds), and Tarexa driven by shotdriver, which saves one PNG per shot of
# its table into OUTPUT_DIR.          screenshots.sh BUILD_DIR OUTPUT_DIR
set -euo pipefail

BUILD="$(cd "${1:?usage: screenshots.sh BUILD_DIR OUTPUT_DIR}" && pwd)"
OUT="${2:?usage: screenshots.sh BUILD_DIR OUTPUT_DIR}"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
DRIVER="$BUILD/tools/screenshots/libshotdriver.so"
SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/tarexa-shots.XXXXXX")"
XVFB_PID="" WM_PID=""

cleanup() {
    for pid in $WM_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$SCRATCH"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

wait_for() {      # what, command...: up to 10 s for the command to succeed
    local what="$1"; shift
    for _ in $(seq 200); do
        "$@" && return 0
        sleep 0.05
    done
    echo "$what did not start" >&2
    return 1
}

[ -f "$DRIVER" ] || { echo "no $DRIVER: build the target shotdriver first" >&2; exit 1; }
mkdir -p "$OUT" "$SCRATCH/home" "$SCRATCH/runtime"
chmod 700 "$SCRATCH/runtime"

# Xvfb writes the number of the display it chose once it takes clients.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3> "$SCRATCH/display" 2> "$SCRATCH/xvfb.log" &
XVFB_PID=$!
wait_for "Xvfb" test -s "$SCRATCH/display"
export DISPLAY=":$(cat "$SCRATCH/display")"

# The window manager draws the title bars a user sees; its own settings
# only, never the user's.
HOME="$SCRATCH/home" XDG_CONFIG_HOME="$SCRATCH/home/.config" openbox > "$SCRATCH/wm.log" 2>&1 &
WM_PID=$!
wait_for "The window manager" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'

env -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$SCRATCH/runtime" \
    SCREENSHOT_DIR="$OUT" SCREENSHOT_PDF="$SCRATCH/price-list.pdf" LD_PRELOAD="$DRIVER" \
    timeout 120 "$HERE/../demo/demo.sh" "$BUILD" --pace > "$SCRATCH/demo.out"
grep '^saved ' "$SCRATCH/demo.out"

# The printed price list: the first page of the PDF that Export PDF wrote,
# at the width of a screenshot.
pdftoppm -png -singlefile -f 1 -l 1 -scale-to-x 1000 -scale-to-y -1 \
    "$SCRATCH/price-list.pdf" "$OUT/price-list"
echo "saved $OUT/price-list.png"
