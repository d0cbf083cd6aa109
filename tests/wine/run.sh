#!/usr/bin/env bash
# The Win32 serial backend for real: serialwine.cpp is cross-compiled with
# MinGW-w64 and run under Wine, whose COM7 is the simulated scale's
# pseudo-terminal. Wine gets a fresh prefix of its own in a scratch folder,
# which goes away afterwards together with its wineserver.
#                                            run.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
SOURCE="$1" BUILD="$2"
SIM="$BUILD/tools/scalesim/tarexa-scale-sim"
SCRATCH="$(mktemp -d)"
SIM_PID=""

# A console program needs no display, and nothing of this run should show
# up on the desktop of whoever runs the tests.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$SCRATCH/prefix" WINEDEBUG=-all
# The wineserver's socket folder goes into TMPDIR; keep it in the scratch too.
mkdir "$SCRATCH/tmp"
export TMPDIR="$SCRATCH/tmp"
# No offer to download Mono or Gecko while the prefix is made, and no menu
# entries or file types written for the user.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine links the prefix's user folders to the home folder's: give it one
# of its own, so that the user's home stays untouched.
mkdir "$SCRATCH/home"
export HOME="$SCRATCH/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME

stop_wineserver() {
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    timeout 30 wineserver -w >/dev/null 2>&1 || true
}

cleanup() {
    if [ -n "$SIM_PID" ]; then
        kill "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
    fi
    if [ -d "$WINEPREFIX" ]; then
        stop_wineserver
    fi
    rm -rf "$SCRATCH"
}
trap cleanup EXIT

fail() {
    echo "Win32 serial backend under Wine: FAILED: $*" >&2
    exit 1
}

# Waits up to $2 seconds for file $1 to hold a line.
wait_for_line() {
    local deadline=$((SECONDS + $2))
    until [ -s "$1" ] && grep -q . "$1"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    fail "wine is not installed (Debian packages wine and wine64)"
fi
[ -x "$SIM" ] || fail "$SIM has not been built"

x86_64-w64-mingw32-g++ -std=c++17 -Wall -Wextra -Werror -O2 -static -I "$SOURCE/src/serial" \
    "$SOURCE/tests/wine/serialwine.cpp" "$SOURCE/src/serial/serial.cpp" "$SOURCE/src/serial/serial_win.cpp" \
    "$SOURCE/src/serial/serial_net.cpp" "$SOURCE/src/serial/net_socket_win.cpp" -lws2_32 \
    -o "$SCRATCH/serialwine.exe" || fail "the test program did not build"

# Makes the prefix; $1 is the WINEDEBUG setting for this try.
# wineboot's output ends up in its own file, and so does wineserver's: the
# server outlives wineboot and would otherwise write into our output.
make_prefix() {
    WINEDEBUG="$1" timeout 300 wineboot -i >"$SCRATCH/wineboot.log" 2>&1 \
        && [ -d "$WINEPREFIX/dosdevices" ]
}

# Wine has been seen, once, to fail to load its own kernel32.dll while making
# a prefix on a machine where it otherwise always worked. One more try on a
# new prefix, with the loader's messages on, either gets past such a hiccup
# or tells why Wine cannot start here.
started=$SECONDS
if ! make_prefix -all; then
    tail -n 20 "$SCRATCH/wineboot.log" >&2
    echo "Wine could not make a prefix; trying once more on a new one" >&2
    stop_wineserver
    rm -rf "$WINEPREFIX"
    if ! make_prefix err+all,warn+module; then
        tail -n 60 "$SCRATCH/wineboot.log" >&2
        echo "Wine: $(wine --version 2>&1); $SCRATCH is on: $(findmnt -n -o OPTIONS -T "$SCRATCH" 2>&1)" >&2
        fail "Wine could not make a prefix here, so it cannot run Windows programs on this machine"
    fi
fi
echo "Wine prefix made in $((SECONDS - started)) s"

"$SIM" --link "$WINEPREFIX/dosdevices/com7" --log "$SCRATCH/frames.log" \
    --store "$SCRATCH/store" --tcp 0 >"$SCRATCH/sim.out" 2>&1 &
SIM_PID=$!
if ! wait_for_line "$SCRATCH/sim.out" 10 || [ ! -L "$WINEPREFIX/dosdevices/com7" ]; then
    cat "$SCRATCH/sim.out" >&2
    fail "the simulated scale did not start"
fi

started=$SECONDS
status=0
ADDRESS="$(sed -n 2p "$SCRATCH/sim.out")"
case "$ADDRESS" in tcp://*) ;; *) cat "$SCRATCH/sim.out" >&2; fail "the simulated scale has no TCP address" ;; esac
timeout 60 wine "$SCRATCH/serialwine.exe" COM7 "$ADDRESS" || status=$?
echo "test program ran for $((SECONDS - started)) s"
[ "$status" -ne 124 ] || fail "the test program did not finish within 60 s"
[ "$status" -eq 0 ] || fail "the test program ended with status $status"

# What the scale received: the programming frame and the read request
# twice on COM7, then the two once more over TCP, each byte for byte, and
# nothing else.
cat >"$SCRATCH/expected.log" <<'EOF'
01 41 32 30 35 09 31 2e 35 30 09 61 62 63 09 09 09 30 30 30 30 30 30 30 30 30 30 30 30 30 09 30 09 31 30 09 30 3b 03
01 62 30 30 3c 32 03
01 62 30 30 3c 32 03
01 41 32 30 35 09 31 2e 35 30 09 61 62 63 09 09 09 30 30 30 30 30 30 30 30 30 30 30 30 30 09 30 09 31 30 09 30 3b 03
01 62 30 30 3c 32 03
EOF
diff "$SCRATCH/expected.log" "$SCRATCH/frames.log" >&2 \
    || fail "the scale's frame log differs from what was sent (- expected, + received)"
echo "Win32 serial backend under Wine: OK"
