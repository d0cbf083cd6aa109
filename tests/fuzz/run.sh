#!/usr/bin/env bash
# Runs each fuzzer for a bounded time from its seed corpus.
#   run.sh FUZZ_BUILD_DIR [SECONDS]
# Fails on a crash, a sanitizer report, a leak, or an input that takes over
# one second. New inputs go to a scratch folder, not into the repository.
set -euo pipefail
BUILD="$(cd "$1" && pwd)"
SECONDS_EACH="${2:-30}"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT

status=0
for fuzzer in "$BUILD"/tests/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name="$(basename "$fuzzer")"
    seeds="$HERE/corpus/${name#fuzz_}"
    mkdir -p "$SCRATCH/$name"
    echo "== $name (${SECONDS_EACH} s)"
    if (cd "$SCRATCH" && QT_QPA_PLATFORM=offscreen \
        ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 LSAN_OPTIONS="suppressions=$HERE/lsan.supp" \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$fuzzer" -max_total_time="$SECONDS_EACH" -timeout=1 -rss_limit_mb=4096 \
                  -print_final_stats=1 "$SCRATCH/$name" "$seeds" > "$SCRATCH/$name.log" 2>&1); then
        grep -E "^stat::number_of_executed_units|^Done " "$SCRATCH/$name.log" || true
    else
        tail -60 "$SCRATCH/$name.log"
        echo "$name FAILED"
        status=1
    fi
done
exit $status
