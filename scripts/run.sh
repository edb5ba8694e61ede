#!/usr/bin/env bash
# One command on a fresh clone: install what is needed, build the release, and extract the
# bundled sample SIG file into out/sample, printing the run's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset release
cmake --build --preset release
output=out/sample
mkdir -p "$output"
build/release/cli/veltrane-extract --kinds all --output "$output" resources/samples/sample.sig
echo "run: products are in $output"
