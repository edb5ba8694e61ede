#!/usr/bin/env bash
# The pictures in resources/pictures/ are the drawing tool's output: redraw them into a scratch
# folder and require the same files, byte for byte. A difference means someone changed the
# drawing without running scripts/draw-pictures.sh, or changed a picture by hand.
# Usage: pictures_redraw.sh <veltrane-draw-pictures> <committed folder> <scratch folder>
set -euo pipefail

DRAW=$1
COMMITTED=$2
SCRATCH=$3

rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"
"$DRAW" "$SCRATCH"

failures=0
for name in load.bmp processing.bmp about.bmp check.bmp emblem.bmp veltrane.png; do
    if ! cmp "$COMMITTED/$name" "$SCRATCH/$name"; then
        echo "FAIL: $name differs from what the tool draws (run scripts/draw-pictures.sh)" >&2
        failures=$((failures + 1))
    fi
done
# Nothing drawn may be missing from the committed set, nor the other way round.
drawn=$(find "$SCRATCH" -type f -printf '%f\n' | sort | tr '\n' ' ')
committed=$(find "$COMMITTED" -type f ! -name README.md -printf '%f\n' | sort | tr '\n' ' ')
if [ "$drawn" != "$committed" ]; then
    echo "FAIL: the tool draws [$drawn] but the folder holds [$committed]" >&2
    failures=$((failures + 1))
fi
if [ "$failures" -ne 0 ]; then
    exit 1
fi
rm -rf "$SCRATCH"
