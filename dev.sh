#!/usr/bin/env bash
# Set-up, build, run and test Tarexa on a Debian machine.
#
#   ./dev.sh run      install what is missing, build, start Tarexa
#   ./dev.sh run --demo   the same, beside a simulated scale holding a dozen PLUs
#   ./dev.sh test     install what is missing, build, run every test
#   ./dev.sh bench    install what is missing, build, run the benchmarks
#   ./dev.sh screenshots  install what is missing, build, remake docs/screenshots/
#   ./dev.sh translations  bring translations/tarexa_ru.ts up to date with the sources
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="$ROOT/build"
JOBS="$(nproc 2>/dev/null || echo 2)"

PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6sql6-sqlite libgl-dev fonts-dejavu-core
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    libxlsxwriter-dev liborcus-dev libixion-dev
)
# A virtual X screen with a window manager, for the screenshots.
SCREENSHOT_PACKAGES=(xvfb openbox x11-utils poppler-utils)
# Only the tests need these: the package checks (systemd-analyze and man
# check the systemd units of the scheduled upload), the Windows cross build,
# Wine to run it, the check that the screenshots can still be made, and
# LibreOffice Calc without a display as the spreadsheet program that .xlsx
# files go round through, poppler's pdftotext and pdfinfo to read back the
# printed price list, and ser2net, the serial-to-network server that the
# network scales are tested (and benchmarked) through.
TEST_PACKAGES=(
    desktop-file-utils appstream dpkg-dev systemd man-db g++-mingw-w64-x86-64 wine wine64
    clang libclang-rt-dev procps "${SCREENSHOT_PACKAGES[@]}"
    libreoffice-calc-nogui poppler-utils ser2net
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$p")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
}

configure() {             # build-dir, extra cmake args...
    local dir="$1"; shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

configure_and_build() {   # build-dir, extra cmake args...
    configure "$@"
    cmake --build "$1" -j "$JOBS"
}

# Only the programs that are about to start, not the tests and benchmarks:
# a newcomer's first window comes several times sooner.
build_targets() {         # build-dir, targets...
    local dir="$1"; shift
    configure "$dir"
    cmake --build "$dir" -j "$JOBS" --target "$@"
}

# The serial layer must also build for Windows: compile it with the MinGW-w64
# cross compiler and treat every warning as an error.
check_windows_serial() {
    local out
    out="$(mktemp -d)"
    for f in serial.cpp serial_win.cpp serial_net.cpp net_socket_win.cpp; do
        x86_64-w64-mingw32-g++ -std=c++17 -Wall -Wextra -Werror \
            -I "$ROOT/src/serial" -c "$ROOT/src/serial/$f" -o "$out/${f%.cpp}.o" \
            || { rm -rf "$out"; echo "Windows build of the serial layer failed: $f" >&2; return 1; }
    done
    rm -rf "$out"
    echo "Windows build of the serial layer: OK"
}

run_tests() {             # build-dir
    (cd "$1" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS")
}

cmd_run() {
    install_missing "${PACKAGES[@]}"
    if [ "${1:-}" = "--demo" ]; then
        build_targets "$BUILD" tarexa tarexa-scale-sim
    else
        build_targets "$BUILD" tarexa
    fi
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "Tarexa needs a graphical display: neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
        exit 1
    fi
    if [ "${1:-}" = "--demo" ]; then
        exec "$ROOT/tools/demo/demo.sh" "$BUILD"
    fi
    exec "$BUILD/src/app/tarexa"
}

# The Windows serial backend run under Wine against the simulated scale of
# the normal build; short, so it comes before the long suite.
test_windows_serial_under_wine() {
    "$ROOT/tests/wine/run.sh" "$ROOT" "$BUILD"
}

test_normal_build() {
    configure_and_build "$BUILD" -DTAREXA_WARNINGS_AS_ERRORS=ON
    test_windows_serial_under_wine
    run_tests "$BUILD"
}

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer:
# the first report stops the test that made it, leaks included.
test_sanitized_build() {
    configure_and_build "$ROOT/build-asan" -DTAREXA_SANITIZE=ON -DTAREXA_WARNINGS_AS_ERRORS=ON \
        -DCMAKE_BUILD_TYPE=Debug
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        run_tests "$ROOT/build-asan"
}

# Each fuzzer for a bounded time; a crash, a sanitizer report, a leak or an
# input slower than one second fails the run.
test_fuzzers() {
    CC=clang CXX=clang++ cmake -S "$ROOT" -B "$ROOT/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAREXA_FUZZ=ON -DTAREXA_BUILD_TESTS=OFF >/dev/null
    cmake --build "$ROOT/build-fuzz" -j "$JOBS" --target fuzzers
    "$ROOT/tests/fuzz/run.sh" "$ROOT/build-fuzz" "${FUZZ_SECONDS:-30}"
}

cmd_test() {
    install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    check_windows_serial
    test_normal_build
    test_sanitized_build
    test_fuzzers
}

cmd_bench() {
    install_missing "${PACKAGES[@]}" ser2net
    configure_and_build "$BUILD"
    QT_QPA_PLATFORM=offscreen "$ROOT/bench/run.sh" "$BUILD" "$@"
}

cmd_screenshots() {
    install_missing "${PACKAGES[@]}" "${SCREENSHOT_PACKAGES[@]}"
    build_targets "$BUILD" tarexa tarexa-scale-sim shotdriver
    "$ROOT/tools/screenshots/screenshots.sh" "$BUILD" "$ROOT/docs/screenshots"
}

# New texts arrive in the .ts marked unfinished, texts gone from the sources
# leave it; then translate the unfinished ones (Qt Linguist, or by hand).
cmd_translations() {
    install_missing "${PACKAGES[@]}"
    configure "$BUILD"
    cmake --build "$BUILD" --target update_translations
}

case "${1:-run}" in
    run)   shift || true; cmd_run "$@" ;;
    test)  shift; cmd_test "$@" ;;
    bench) shift; cmd_bench "$@" ;;
    screenshots) shift; cmd_screenshots ;;
    translations) shift; cmd_translations ;;
    *) echo "usage: $0 run [--demo] | test | bench [N] | screenshots | translations" >&2; exit 2 ;;
esac
