#!/usr/bin/env bash
# Usage: scripts/fuzz.sh --list             the fuzz targets, one a line
#        scripts/fuzz.sh TARGET SECONDS     build (preset "fuzz": clang, libFuzzer, ASan, UBSan)
#                                           and fuzz TARGET for SECONDS
# Exits non-zero on a finding: a crash, a sanitizer report, a leak, an input that takes over
# 1 s (-timeout=1), memory over the rss limit, or a fault the target's own checks abort on
# (a file outside the output folder, a ".part" file left behind, a count without its file).
# The failing input is kept under build/fuzz/artifacts/TARGET/; once mended, copy it into
# tests/fuzz-regressions/TARGET/ so ctest replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

targets() {
    sed -n 's/^set(VELTRANE_FUZZ_TARGETS \(.*\))$/\1/p' fuzz/CMakeLists.txt | tr ' ' '\n'
}

usage() {
    echo "usage: scripts/fuzz.sh --list | TARGET SECONDS" >&2
    exit 2
}

if [ "${1:-}" = "--list" ]; then
    targets
    exit 0
fi
[ $# -eq 2 ] || usage
target=$1
seconds=$2
targets | grep -qx "$target" || { echo "fuzz: unknown target '$target'" >&2; usage; }
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || usage

scripts/deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "fuzz_$target" veltrane-make-sig veltrane-fuzz-seeds

build=build/fuzz
seeds=$build/seeds
corpus=$build/corpus/$target
artifacts=$build/artifacts/$target
log=$build/logs/$target.log
mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
fuzz/make_seeds.sh "$build/tools/veltrane-make-sig" "$build/fuzz/veltrane-fuzz-seeds" "$seeds"

# Every input is written and extracted under here: in memory where /dev/shm allows it, since a
# disk's file creation and removal would dominate each run and make -timeout=1 measure the disk.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    scratch=$(mktemp -d /dev/shm/veltrane-fuzz.XXXXXX)
else
    scratch=$build/tmp/$target
    rm -rf "$scratch"
    mkdir -p "$scratch"
fi
trap 'rm -rf "$scratch"' EXIT

options=(-max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -print_final_stats=1
         -artifact_prefix="$artifacts/")
if [ -f "fuzz/$target.dict" ]; then
    options+=(-dict="fuzz/$target.dict")
fi
echo "fuzz: $target for $seconds s" >&2
status=0
TMPDIR=$scratch "$build/fuzz/fuzz_$target" "${options[@]}" \
    "$corpus" "$seeds/$target" "tests/fuzz-regressions/$target" >"$log" 2>&1 || status=$?

# The figures docs/robustness.md quotes: executions, coverage (cov: edges, ft: features).
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
echo "fuzz: $target: ${runs:-?} executions in $seconds s, cov ${cov:-?}, ft ${ft:-?}," \
    "corpus $(find "$corpus" -type f | wc -l) inputs" >&2

if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "fuzz: $target FAILED (status $status); log $log; inputs kept in $artifacts/" >&2
    exit 1
fi
