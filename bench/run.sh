#!/usr/bin/env bash
# Runs every benchmark program of a build: ./bench/run.sh BUILD_DIR [args...]
# Each program prints its own figures; none of them asserts a target.
set -euo pipefail
BUILD="${1:?usage: bench/run.sh BUILD_DIR [args]}"
shift || true
status=0
for program in "$BUILD"/bench/bench_*; do
    [ -x "$program" ] && [ -f "$program" ] || continue
    echo "== $(basename "$program")"
    "$program" "$@" || status=1
done
exit $status
