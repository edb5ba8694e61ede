#!/usr/bin/env bash
# One command on a fresh clone: install what is needed, build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and run every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev
