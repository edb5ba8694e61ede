#!/usr/bin/env bash
# Usage: scripts/test.sh [--large | --large-only]
# One command on a fresh clone: install what is needed, build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and run every test. Exits non-zero on any failure.
# --large adds the large-file test (a SIG file over 4 GiB carrying an archive over 2 GiB), built
# optimised since the sanitizers would make it slow; it needs about 10 GiB free under build/ and
# a few minutes, and removes what it wrote. --large-only runs that test alone.
set -euo pipefail
cd "$(dirname "$0")/.."

suite=true
large=false
case "${1:-}" in
    "") ;;
    --large) large=true ;;
    --large-only) suite=false large=true ;;
    *)
        echo "usage: scripts/test.sh [--large | --large-only]" >&2
        exit 2
        ;;
esac

scripts/deps.sh
if $suite; then
    cmake --preset dev
    cmake --build --preset dev
    ctest --preset dev
fi
if $large; then
    cmake --preset release
    cmake --build --preset release --target veltrane_large_file_test
    # Under build/ rather than /tmp, which may be a small tmpfs.
    work=$PWD/build/release/large-file
    mkdir -p "$work"
    TMPDIR=$work build/release/tests/veltrane_large_file_test
fi
