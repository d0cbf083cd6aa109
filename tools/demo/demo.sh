#!/usr/bin/env bash
# Tries Tarexa without a scale: starts the simulated scale on a
# pseudo-terminal with a dozen PLUs, and Tarexa with a private, temporary
# settings location whose "Device" is that terminal. The user's own
# settings are never read or written. When Tarexa ends, the simulator stops
# and every temporary file goes. Options after the build folder go to the
# simulator (--pace, say).       demo.sh BUILD_DIR [SIMULATOR OPTIONS...]
set -euo pipefail

BUILD="${1:?usage: demo.sh BUILD_DIR [SIMULATOR OPTIONS...]}"
shift
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/tarexa-demo.XXXXXX")"
SIM_PID=""

cleanup() {
    if [ -n "$SIM_PID" ]; then
        kill "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
    fi
    rm -rf "$SCRATCH"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

cp "$HERE/demo-plus.txt" "$SCRATCH/scale-plus.txt"
"$BUILD/tools/scalesim/tarexa-scale-sim" --store "$SCRATCH/scale-plus.txt" \
    --link "$SCRATCH/scale" "$@" > "$SCRATCH/sim.out" &
SIM_PID=$!
for _ in $(seq 100); do
    [ -s "$SCRATCH/sim.out" ] && break
    kill -0 "$SIM_PID" 2>/dev/null || { echo "the simulated scale did not start" >&2; exit 1; }
    sleep 0.05
done
[ -s "$SCRATCH/sim.out" ] || { echo "the simulated scale did not start" >&2; exit 1; }

# Tarexa keeps its settings in $XDG_CONFIG_HOME/Kestrova/Weigh Scale.conf:
# one scale, named for the demo, on the simulated scale's terminal.
mkdir -p "$SCRATCH/config/Kestrova"
printf '[General]\nDevice=%s\nScale=Demo scale\n\n[Scales]\n1\\Name=Demo scale\n1\\Device=%s\nsize=1\n' \
    "$SCRATCH/scale" "$SCRATCH/scale" > "$SCRATCH/config/Kestrova/Weigh Scale.conf"

echo "Simulated scale on $SCRATCH/scale with 12 PLUs: use Scale > Read to fetch them."
status=0
# What the simulated scale holds and the demo's transfers stay out of the
# user's own journal: $XDG_DATA_HOME/Kestrova/Weigh Scale/scales.sqlite.
XDG_CONFIG_HOME="$SCRATCH/config" XDG_DATA_HOME="$SCRATCH/data" "$BUILD/src/app/tarexa" || status=$?
exit $status
