#!/usr/bin/env bash
# Usage: scripts/tsan.sh
# Builds the tests that run threads (the split beside the walk, the worker, stops, the command
# line's signal watch, the hand-off to the window) with ThreadSanitizer and runs them; any data
# race fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset tsan
cmake --build --preset tsan --target veltrane_fault_tests veltrane_unit_tests

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
# Without address-space randomisation: ThreadSanitizer's fixed memory layout does not fit the
# wider randomisation of recent kernels.
norandom=(setarch "$(uname -m)" -R)
"${norandom[@]}" build/tsan/tests/veltrane_fault_tests \
    --gtest_filter='Feeds/SplitBeside.*:SplitBesideStop.*:PotokTar.*:Atomic.*:WindowHandOff.*'
"${norandom[@]}" build/tsan/tests/veltrane_unit_tests --gtest_filter='StopOnSignal.*'
