#!/usr/bin/env bash
# The screenshots can still be made after a change to the window: the
# screenshot script drives Tarexa under a virtual X screen, and every image
# that the AppStream data names comes out as a PNG of the size it states,
# is kept in docs/screenshots/, and the README shows the default one.
#                                   check_screenshots.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
SOURCE="$1" BUILD="$2"
METAINFO="$SOURCE/packaging/org.kestrova.tarexa.metainfo.xml"
SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT

png_size() {       # file: "WIDTHxHEIGHT" from the PNG header
    local b
    read -ra b <<< "$(od -An -tu1 -j16 -N8 "$1")"
    echo "$(( (b[0] << 24) + (b[1] << 16) + (b[2] << 8) + b[3] ))x$(( (b[4] << 24) + (b[5] << 16) + (b[6] << 8) + b[7] ))"
}

"$SOURCE/tools/screenshots/screenshots.sh" "$BUILD" "$SCRATCH/shots"

bad=0 count=0
while read -r width height name; do
    count=$((count + 1))
    made="$SCRATCH/shots/$name"
    if [ "$(head -c 8 "$made" 2>/dev/null | od -An -tx1 | tr -d ' ')" != 89504e470d0a1a0a ]; then
        echo "$name: not made as a PNG"; bad=1; continue
    fi
    [ "$(png_size "$made")" = "${width}x$height" ] \
        || { echo "$name: $(png_size "$made"), not ${width}x$height"; bad=1; }
    [ -f "$SOURCE/docs/screenshots/$name" ] || { echo "$name: not in docs/screenshots/"; bad=1; }
done < <(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">https://tarexa.kestrova.org/screenshots/\([^<]*\)</image>.*|\1 \2 \3|p' "$METAINFO")

[ "$count" -gt 0 ] || { echo "no screenshot named in $METAINFO"; exit 1; }
default="$(sed -n '/<screenshot type="default">/,/<\/screenshot>/s|.*/screenshots/\([^<]*\)</image>.*|\1|p' "$METAINFO")"
grep -q "](docs/screenshots/$default)" "$SOURCE/README.md" \
    || { echo "README.md does not show $default"; bad=1; }
[ "$bad" -eq 0 ] && echo "$count screenshots made, as the AppStream data names them"
exit $bad
