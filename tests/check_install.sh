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
    for f in bin/tarexa bin/tarexa-scale-sim \
             share/applications/org.kestrova.tarexa.desktop \
             share/metainfo/org.kestrova.tarexa.metainfo.xml \
             share/mime/packages/tarexa.xml \
             share/icons/hicolor/16x16/apps/tarexa.png \
             share/icons/hicolor/32x32/apps/tarexa.png \
             share/icons/hicolor/48x48/apps/tarexa.png \
             share/icons/hicolor/64x64/apps/tarexa.png \
             share/icons/hicolor/128x128/apps/tarexa.png \
             share/icons/hicolor/256x256/apps/tarexa.png; do
        if [ ! -e "$root$prefix/$f" ]; then
            echo "missing in $root: $prefix/$f"; missing=1
        fi
    done
    return $missing
}

cmake --install "$BUILD" --prefix "$SCRATCH/stage/usr" >/dev/null
expect_files "$SCRATCH/stage" /usr
desktop-file-validate "$SCRATCH/stage/usr/share/applications/org.kestrova.tarexa.desktop"
appstreamcli validate --no-net "$SCRATCH/stage/usr/share/metainfo/org.kestrova.tarexa.metainfo.xml"

(cd "$BUILD" && cpack -G DEB -B "$SCRATCH/deb" >/dev/null)
DEB="$(ls "$SCRATCH"/deb/*.deb)"
dpkg-deb --field "$DEB" Depends | tee "$SCRATCH/depends"
grep -q "libqt6widgets6" "$SCRATCH/depends"
grep -q "qt6-qpa-plugins" "$SCRATCH/depends"
dpkg -x "$DEB" "$SCRATCH/root"
expect_files "$SCRATCH/root" /usr
echo "install tree and package complete"
