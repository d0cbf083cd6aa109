#!/usr/bin/env bash
# The committed Russian translation covers every text of the sources and
# nothing else: lupdate is run into a copy, never over the committed file,
# and any text it would add, or that waits for a translation, or that the
# sources no longer use, is named with the command that brings it up to date.
#
#   check_translations.sh LUPDATE TS_FILE SOURCES_LIST [LUPDATE_OPTIONS...]
set -euo pipefail

LUPDATE="$1"; TS="$2"; SOURCES="$3"; shift 3
SCRATCH="$(mktemp -d "${TMPDIR:-/tmp}/tarexa-ts.XXXXXX")"
trap 'rm -rf "$SCRATCH"' EXIT

cp "$TS" "$SCRATCH/committed.ts"
cp "$TS" "$SCRATCH/updated.ts"
"$LUPDATE" -silent "$@" "@$SOURCES" -ts "$SCRATCH/updated.ts" >"$SCRATCH/lupdate.log" 2>&1 \
    || { cat "$SCRATCH/lupdate.log" >&2; echo "lupdate failed" >&2; exit 1; }

# One line per message: its state (done, unfinished, vanished, obsolete),
# its context and its source text with the XML escapes undone.
messages() {
    awk 'BEGIN { RS = "</message>" }
         {
             if (match($0, /<name>[^<]*<\/name>/))
                 context = substr($0, RSTART + 6, RLENGTH - 13)
             if (!match($0, /<source>[^<]*<\/source>/))
                 next
             source = substr($0, RSTART + 8, RLENGTH - 17)
             gsub(/\n/, "\\n", source)
             gsub(/&lt;/, "<", source); gsub(/&gt;/, ">", source)
             gsub(/&quot;/, "\"", source); gsub(/&apos;/, "\047", source)
             gsub(/&amp;/, "\\&", source)
             state = "done"
             if (match($0, /<translation[^>]*type="[a-z]*"/)) {
                 state = substr($0, RSTART, RLENGTH)
                 sub(/.*type="/, "", state); sub(/"$/, "", state)
             }
             print state "\t" context "\t" source
         }' "$1"
}

messages "$SCRATCH/committed.ts" | cut -f2- | sort >"$SCRATCH/committed.lst"
messages "$SCRATCH/updated.ts" >"$SCRATCH/updated.states"
grep -v '^vanished\|^obsolete' "$SCRATCH/updated.states" | cut -f2- | sort >"$SCRATCH/current.lst" || true

faults=0
report() {            # heading, file of "context<TAB>text" lines
    [ -s "$2" ] || return 0
    echo "$1:"
    sed 's/^\([^\t]*\)\t/    [\1] /' "$2"
    faults=1
}

comm -13 "$SCRATCH/committed.lst" "$SCRATCH/current.lst" >"$SCRATCH/new.lst"
comm -23 "$SCRATCH/committed.lst" "$SCRATCH/current.lst" >"$SCRATCH/gone.lst"
grep '^unfinished' "$SCRATCH/updated.states" | cut -f2- | sort >"$SCRATCH/unfinished.lst" || true
grep '^vanished\|^obsolete' "$SCRATCH/updated.states" | cut -f2- | sort >"$SCRATCH/stale.lst" || true
comm -23 "$SCRATCH/unfinished.lst" "$SCRATCH/new.lst" >"$SCRATCH/waiting.lst"
sort -u "$SCRATCH/gone.lst" "$SCRATCH/stale.lst" >"$SCRATCH/unused.lst"

report "Texts in the sources but not in $(basename "$TS")" "$SCRATCH/new.lst"
report "Texts in $(basename "$TS") still waiting for a translation" "$SCRATCH/waiting.lst"
report "Texts in $(basename "$TS") that the sources no longer use" "$SCRATCH/unused.lst"

if [ "$faults" -ne 0 ]; then
    echo
    echo "Bring the file up to date with:  cmake --build build --target update_translations"
    echo "then translate the new texts in $TS (Qt Linguist, or by hand: remove type=\"unfinished\")."
    exit 1
fi
echo "$(wc -l <"$SCRATCH/current.lst") texts, all translated"
