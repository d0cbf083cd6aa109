#!/usr/bin/env bash
# Installs a build into a scratch folder and packs it as a .deb, then checks
# that both hold what a desktop user expects and that the desktop entry and
# the AppStream data validate.   check_install.sh BUILD_DIR
set -euo pipefail
BUILD="$1"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT

expect_files() {   # root, prefix
    local root="$1" prefix="$2" missing=0
    for f in bin/tarexa bin/tarexa-cli bin/tarexa-scale-sim \
             share/man/man1/tarexa-cli.1 \
             share/applications/org.kestrova.tarexa.desktop \
             share/metainfo/org.kestrova.tarexa.metainfo.xml \
             share/mime/packages/tarexa.xml \
             share/icons/hicolor/16x16/apps/tarexa.png \
             share/icons/hicolor/32x32/apps/tarexa.png \
             share/icons/hicolor/48x48/apps/tarexa.png \
             share/icons/hicolor/64x64/apps/tarexa.png \
             share/icons/hicolor/128x128/apps/tarexa.png \
             share/icons/hicolor/256x256/apps/tarexa.png \
             lib/systemd/user/tarexa-sync.service lib/systemd/user/tarexa-sync.timer; do
        if [ ! -e "$root$prefix/$f" ]; then
            echo "missing in $root: $prefix/$f"; missing=1
        fi
    done
    return $missing
}

# The systemd user units of the scheduled upload, as a user's systemd would
# load them: the service's tarexa-cli and the manual page both units name
# must be there, and any complaint at all (systemd-analyze passes settings
# it ignores with a warning) fails.
verify_user_units() {   # installed prefix
    local units="$1/lib/systemd/user" out
    mkdir -p -m 700 "$SCRATCH/runtime"
    grep -Fqx "ExecStart=$1/bin/tarexa-cli program --changed --all-scales \${TAREXA_SYNC_FILE}" \
        "$units/tarexa-sync.service" \
        || { echo "tarexa-sync.service does not start $1/bin/tarexa-cli"; return 1; }
    out="$(XDG_RUNTIME_DIR="$SCRATCH/runtime" MANPATH="$1/share/man" \
           systemd-analyze --user verify "$units/tarexa-sync.service" "$units/tarexa-sync.timer" 2>&1)" \
        && [ -z "$out" ] || { echo "systemd-analyze verify:"; echo "$out"; return 1; }
}

cmake --install "$BUILD" --prefix "$SCRATCH/stage/usr" >/dev/null
expect_files "$SCRATCH/stage" /usr
desktop-file-validate "$SCRATCH/stage/usr/share/applications/org.kestrova.tarexa.desktop"
# Tarexa opens no file named on its command line (files are dropped onto its
# window), so the entry offers it for no file type; the PLU type itself stays
# registered, with its icon.
if grep -q '^MimeType=' "$SCRATCH/stage/usr/share/applications/org.kestrova.tarexa.desktop"; then
    echo "the desktop entry offers Tarexa for a file type, but Tarexa opens no file it is given"
    exit 1
fi
grep -q '<icon name="tarexa"/>' "$SCRATCH/stage/usr/share/mime/packages/tarexa.xml"
appstreamcli validate --no-net "$SCRATCH/stage/usr/share/metainfo/org.kestrova.tarexa.metainfo.xml"
verify_user_units "$SCRATCH/stage/usr"

build_id() {       # ELF file
    readelf -n "$1" | sed -n 's/.*Build ID: *\([0-9a-f]*\).*/\1/p'
}

# The packaged programs carry no debug information; the -dbgsym package
# beside the .deb holds it, one file per program, named by its build ID.
expect_stripped_with_dbgsym() {   # unpacked .deb root, unpacked .ddeb root
    local root="$1" dbg="$2" bad=0 id
    for f in "$root"/usr/bin/*; do
        if readelf -S "$f" | grep -q '\.debug_'; then
            echo "debug sections left in $f:"; readelf -S "$f" | grep '\.debug_'; bad=1
        fi
        id="$(build_id "$f")"
        if [ -z "$id" ]; then
            echo "no build ID in $f"; bad=1
        elif ! readelf -S "$dbg/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" 2>/dev/null \
                | grep -q '\.debug_info'; then
            echo "no debug information for $f (build ID $id) in the dbgsym package"; bad=1
        fi
    done
    return $bad
}

(cd "$BUILD" && cpack -G DEB -B "$SCRATCH/deb" >/dev/null)
DEB="$(ls "$SCRATCH"/deb/*.deb)"
DDEB="$(ls "$SCRATCH"/deb/tarexa-dbgsym_*.ddeb)" || { echo "no dbgsym package beside $DEB"; exit 1; }
dpkg-deb --field "$DEB" Depends | tee "$SCRATCH/depends"
grep -q "libqt6widgets6" "$SCRATCH/depends"
grep -q "qt6-qpa-plugins" "$SCRATCH/depends"
grep -q "libqt6sql6-sqlite" "$SCRATCH/depends"
grep -q "qt6-translations-l10n" "$SCRATCH/depends"
grep -q "libxlsxwriter4" "$SCRATCH/depends"
grep -q "liborcus-0.17-0" "$SCRATCH/depends"
dpkg -x "$DEB" "$SCRATCH/root"
expect_files "$SCRATCH/root" /usr
grep -Fqx 'ExecStart=/usr/bin/tarexa-cli program --changed --all-scales ${TAREXA_SYNC_FILE}' \
    "$SCRATCH/root/usr/lib/systemd/user/tarexa-sync.service" \
    || { echo "the packaged tarexa-sync.service does not start /usr/bin/tarexa-cli"; exit 1; }
[ "$(dpkg-deb --field "$DDEB" Depends)" = "tarexa (= $(dpkg-deb --field "$DEB" Version))" ] \
    || { echo "the dbgsym package does not depend on this very tarexa"; exit 1; }
dpkg -x "$DDEB" "$SCRATCH/dbgsym"
expect_stripped_with_dbgsym "$SCRATCH/root" "$SCRATCH/dbgsym"
ls -l "$DEB" "$DDEB"
echo "installed size: $(dpkg-deb --field "$DEB" Installed-Size) KiB, debug information apart"
echo "install tree and package complete"
