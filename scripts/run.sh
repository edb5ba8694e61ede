#!/usr/bin/env bash
# One command on a fresh clone: install what is needed, build the release, and run Veltrane on
# the bundled sample SIG file.
# With a display, the window opens, with the sample in "ICAO SIG" beside the program where the
# load button looks first; the products go into folders beside the program. Without a display,
# the command line extracts the sample into out/sample and prints the run's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset release
cmake --build --preset release

program_folder=build/release/app
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    mkdir -p "$program_folder/ICAO SIG"
    cp resources/samples/sample.sig "$program_folder/ICAO SIG/"
    echo "run: load sample.sig with the first button, then press the gears;" \
        "the products appear in $program_folder" >&2
    exec "$program_folder/veltrane"
fi
output=out/sample
mkdir -p "$output"
build/release/cli/veltrane-extract --kinds all --output "$output" resources/samples/sample.sig
echo "run: no display, so the command line ran; products are in $output"
