#!/usr/bin/env bash
# The demo form of the run command, headless: Tarexa reads the preloaded
# PLUs from the simulated scale and quits; afterwards no simulator runs and
# no settings or temporary file is left, and the user's own settings folder
# was never touched.            check_demo.sh SOURCE_DIR BUILD_DIR DRIVER
set -euo pipefail
SOURCE="$1" BUILD="$2" DRIVER="$3"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT
mkdir -p "$SCRATCH/tmp" "$SCRATCH/home" "$SCRATCH/runtime"
chmod 700 "$SCRATCH/runtime"

QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$SCRATCH/runtime" TMPDIR="$SCRATCH/tmp" HOME="$SCRATCH/home" \
XDG_CONFIG_HOME="$SCRATCH/home/.config" DEMO_REPORT="$SCRATCH/report" \
LD_PRELOAD="$DRIVER" timeout 60 "$SOURCE/tools/demo/demo.sh" "$BUILD" > "$SCRATCH/out"

cat "$SCRATCH/report"
grep -qx 'shown Tarexa' "$SCRATCH/report" || { echo "the window did not start titled Tarexa"; exit 1; }
rows="$(grep -c '^row ' "$SCRATCH/report" || true)"
[ "$rows" -eq 12 ] || { echo "expected 12 PLUs read, got $rows"; exit 1; }
grep -q '^row 5 1.50 Хлеб Бородинский$' "$SCRATCH/report" \
    || { echo "the Cyrillic PLU 5 did not arrive intact"; exit 1; }
if grep '^box ' "$SCRATCH/report" | grep -v 'save the changes'; then
    echo "unexpected message box"; exit 1
fi
if [ -n "$(ls -A "$SCRATCH/tmp")" ]; then
    echo "left behind:"; ls -laR "$SCRATCH/tmp"; exit 1
fi
if [ -n "$(ls -A "$SCRATCH/home")" ]; then
    echo "the user's folder was touched:"; ls -laR "$SCRATCH/home"; exit 1
fi
if pgrep -f "$SCRATCH/tmp" >/dev/null; then
    echo "a process outlived the demo"; exit 1
fi
echo "demo read 12 PLUs and left nothing behind"
